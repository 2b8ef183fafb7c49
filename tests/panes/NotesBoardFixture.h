#pragma once

#include "PanesFixture.h"

#include "board/CardDragStarter.h"

#include <QMap>
#include <QMimeData>
#include <QPointF>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class AttachedObjectView;
class BoardNoteView;
class GeneralNotesView;
class ImageViewResponder;

// A story window showing its notes board, with drags recorded instead of run and a folder for
// the files a test attaches.
class NotesBoardFixture : public PanesFixture
{
public:
    // What a recorded drag carried.
    struct Drag {
        QMap<QString, QByteArray> formats;
        QPoint hotSpot;
    };

protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a new story, with these Screenplay columns set ("Column = value, ...") and the SQL
    // `before` run on its file first, showing the notes board.
    GeneralNotesView& openBoard(const QString& assignments = QString(), const QString& before = QString());
    GeneralNotesView& board() const;

    // A file of the test's folder holding `bytes`; answers its path.
    QString file(const QString& name, const QByteArray& bytes) const;
    // A picture file of that size and format ("PNG", "JPG", ...).
    QString picture(const QString& name, const QSize& size, const char* format = "PNG") const;

    // The mouse on one of a note's responders, with fractional positions where asked for.
    static void press(ImageViewResponder* view, const QPointF& at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = {});
    static void doubleClick(ImageViewResponder* view, const QPointF& at);
    static void drag(ImageViewResponder* view, const QPointF& at, Qt::MouseButtons buttons = Qt::LeftButton);
    static void release(ImageViewResponder* view, const QPointF& at, Qt::MouseButton button = Qt::LeftButton,
                        Qt::KeyboardModifiers modifiers = {});
    // Moves a note by its tack by `step`, in several events.
    static void moveByTack(BoardNoteView& note, const QPointF& step);

    // Data of the drag of files, text or a picture.
    static std::unique_ptr<QMimeData> filesData(const QStringList& paths);

    std::vector<Drag> drags_;
    QTemporaryDir files_;

private:
    std::unique_ptr<CardDragStarter> previousStarter_;
};

#include "NotesBoardFixture.h"

#include "app/MyDocument.h"
#include "board/ImageViewResponder.h"
#include "panes/BoardNoteView.h"
#include "panes/GeneralNotesView.h"
#include "model/StoryFile.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QUrl>

namespace {

class RecordingStarter : public CardDragStarter
{
public:
    explicit RecordingStarter(std::vector<NotesBoardFixture::Drag>& drags) : drags_(drags) {}

    Qt::DropAction startDrag(QWidget*, std::unique_ptr<QMimeData> data, const QPixmap&, const QPoint& hotSpot,
                             Qt::DropActions) override
    {
        NotesBoardFixture::Drag drag;
        for (const QString& format : data->formats())
            drag.formats.insert(format, data->data(format));
        drag.hotSpot = hotSpot;
        drags_.push_back(drag);
        return Qt::IgnoreAction;
    }

private:
    std::vector<NotesBoardFixture::Drag>& drags_;
};

void send(ImageViewResponder* view, QEvent::Type type, const QPointF& at, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, at, view->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(view, &event);
}

} // namespace

void NotesBoardFixture::SetUp()
{
    PanesFixture::SetUp();
    ASSERT_TRUE(files_.isValid());
    previousStarter_ = CardDragStarter::install(std::make_unique<RecordingStarter>(drags_));
}

void NotesBoardFixture::TearDown()
{
    CardDragStarter::install(std::move(previousStarter_));
    PanesFixture::TearDown();
}

GeneralNotesView& NotesBoardFixture::openBoard(const QString& assignments, const QString& before)
{
    QString columns = QStringLiteral("WindowState = 101111, ParentWindowWidth = 1400, ParentWindowHeight = 900, "
                                     "GeneralNotesSplitterDistance = 80");
    if (!assignments.isEmpty())
        columns += QStringLiteral(", ") + assignments;
    const QString path = story(QStringLiteral("Notes"), columns);
    if (!before.isEmpty()) {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), before);
    }
    open(path);
    return board();
}

GeneralNotesView& NotesBoardFixture::board() const
{
    GeneralNotesView* shown = document_->generalNotesBoard();
    if (!shown)
        throw std::runtime_error("the notes board is not shown");
    return *shown;
}

QString NotesBoardFixture::file(const QString& name, const QByteArray& bytes) const
{
    const QString path = QDir(files_.path()).filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
    return path;
}

QString NotesBoardFixture::picture(const QString& name, const QSize& size, const char* format) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    const QString path = QDir(files_.path()).filePath(name);
    if (!image.save(path, format))
        throw std::runtime_error("cannot write a test picture");
    return path;
}

void NotesBoardFixture::press(ImageViewResponder* view, const QPointF& at, Qt::MouseButton button,
                              Qt::KeyboardModifiers modifiers)
{
    send(view, QEvent::MouseButtonPress, at, button, button, modifiers);
}

void NotesBoardFixture::doubleClick(ImageViewResponder* view, const QPointF& at)
{
    press(view, at);
    release(view, at);
    send(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton, {});
    release(view, at);
}

void NotesBoardFixture::drag(ImageViewResponder* view, const QPointF& at, Qt::MouseButtons buttons)
{
    send(view, QEvent::MouseMove, at, Qt::NoButton, buttons, {});
}

void NotesBoardFixture::release(ImageViewResponder* view, const QPointF& at, Qt::MouseButton button,
                                Qt::KeyboardModifiers modifiers)
{
    send(view, QEvent::MouseButtonRelease, at, button, Qt::NoButton, modifiers);
}

void NotesBoardFixture::moveByTack(BoardNoteView& note, const QPointF& step)
{
    ImageViewResponder* tack = note.imgThumbTack();
    const QPointF hold(11, 11);
    press(tack, hold);
    // The tack moves with the note: each event is a step from where the tack was grabbed.
    constexpr int kSteps = 4;
    for (int i = 0; i < kSteps; ++i)
        drag(tack, hold + step / kSteps);
    release(tack, hold);
}

std::unique_ptr<QMimeData> NotesBoardFixture::filesData(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

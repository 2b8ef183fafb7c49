#pragma once

#include "PanesFixture.h"

#include <QByteArray>
#include <QMap>
#include <QPoint>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class QMimeData;
class QTableView;
class QWidget;

// An attachment as a test writes it into a story before the story opens.
struct AttachmentSpec {
    QString title;
    QString fileName;
    std::int64_t objectType = 1;
    QByteArray content;   // the stored file
    QByteArray thumbnail; // JPEG
};

// A set-up or pay-off as a test writes it into a story before the story opens: its text, the
// board card it lies on (its place in board order, or -1 for none) and, for a set-up, the
// pay-off it names (1-based, 0 for none).
struct SetupPayoffSpec {
    const char* text;
    int card = -1;
    int payoff = 0;
};

// What the recording drag starter saw of one drag.
struct ItemDrag {
    QWidget* source = nullptr;
    QMap<QString, QByteArray> formats;
};

// Story windows with characters, locations and attachments, whose drags are recorded instead
// of run.
class ItemsFixture : public PanesFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A story laid out wide enough for the section's commands, showing `section`, with these
    // characters and locations (names; descriptions "<name> described") and attachments.
    QString itemsStory(const QString& name, std::int64_t section, const QStringList& characters,
                       const QStringList& locations = {}, const std::vector<AttachmentSpec>& attachments = {},
                       bool withBeatCards = false);
    // Links stored before the story opens: (character or location key, attachment key, primary).
    void storeLink(const QString& path, const char* table, std::int64_t owner, std::int64_t attachment,
                   int primary);
    // Set-ups and pay-offs stored before the story opens, keyed 1, 2, ... in the order given.
    void storeSetupsAndPayoffs(const QString& path, const std::vector<SetupPayoffSpec>& setups,
                               const std::vector<SetupPayoffSpec>& payoffs);
    // The key of the board card at this place in the order the story was written with.
    std::int64_t cardKeyAt(int position) const;
    static AttachmentSpec picture(const QString& title, QColor color, const QString& fileName = QString());

    // A mouse drag from `from` by 30 points to the right, with real press and move events.
    static void dragFrom(QWidget* widget, const QPoint& from);
    // The point of a table row's cell, in the viewport's coordinates (scrolled into view).
    static QPoint cellPoint(QTableView* table, int row, int column);
    static void clickCell(QTableView* table, int row, int column);
    // The drag data of an attachment from `document` (nothing: from no window of this run).
    static std::unique_ptr<QMimeData> attachmentDrag(std::int64_t key, const MyDocument* document);
    // Drops the data on the cell and answers whether it was taken.
    static bool dropOnCell(QTableView* table, int row, const QMimeData& data);
    // Drops what a recorded drag carried on a widget and answers whether it was taken.
    static bool dropOn(QWidget* target, const ItemDrag& drag);

    QString storedIn(const QString& sql) const { return stored(sql); }

    std::vector<ItemDrag> drags_;
};

#include "ItemsFixture.h"

#include "app/MyDocument.h"
#include "board/CardDragStarter.h"
#include "board/RecordPasteboardType.h"
#include "model/StoryFile.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QBuffer>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>

namespace {

class RecordingStarter : public CardDragStarter
{
public:
    explicit RecordingStarter(std::vector<ItemDrag>& drags) : drags_(drags) {}

    Qt::DropAction startDrag(QWidget* source, std::unique_ptr<QMimeData> data, const QPixmap&, const QPoint&,
                             Qt::DropActions) override
    {
        ItemDrag drag;
        drag.source = source;
        for (const QString& format : data->formats())
            drag.formats.insert(format, data->data(format));
        drags_.push_back(drag);
        return Qt::IgnoreAction;
    }

private:
    std::vector<ItemDrag>& drags_;
};

QString quoted(const QString& text)
{
    return QStringLiteral("'") + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QStringLiteral("'");
}

QString blob(const QByteArray& bytes)
{
    return bytes.isNull() ? QStringLiteral("NULL") : QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

QString cardKey(int position)
{
    if (position < 0)
        return QStringLiteral("0");
    return QStringLiteral("(SELECT SceneCardID FROM SceneCard WHERE OnBoard = 1 ORDER BY SortOrder LIMIT 1 OFFSET %1)")
        .arg(position);
}

} // namespace

void ItemsFixture::SetUp()
{
    PanesFixture::SetUp();
    CardDragStarter::install(std::make_unique<RecordingStarter>(drags_));
}

void ItemsFixture::TearDown()
{
    PanesFixture::TearDown();
    CardDragStarter::install(nullptr);
}

QString ItemsFixture::itemsStory(const QString& name, std::int64_t section, const QStringList& characters,
                                 const QStringList& locations, const std::vector<AttachmentSpec>& attachments,
                                 bool withBeatCards)
{
    const QString path = story(
        name, QStringLiteral("WindowState = 101111, ParentWindowWidth = 1400, ParentWindowHeight = 900, "
                             "LogLineSplitterDistance = 13, BeatsSplitterDistance = 35, "
                             "GeneralNotesSplitterDistance = 80, BoardSplitterDistance = 80, BeatSectionShowing = %1")
                  .arg(section),
        withBeatCards);
    DatabaseConnection connection = StoryFile::open(path);
    const QString screenplay = QStringLiteral("(SELECT ScreenplayID FROM Screenplay)");
    for (const QString& character : characters)
        SqlProbe::exec(connection.get(),
                       QStringLiteral("INSERT INTO Character (ScreenplayID, CharacterName, Description) VALUES (%1, %2, %3)")
                           .arg(screenplay, quoted(character), quoted(character + QStringLiteral(" described"))));
    for (const QString& location : locations)
        SqlProbe::exec(connection.get(),
                       QStringLiteral("INSERT INTO SceneLocation (ScreenplayID, Location, Description) VALUES (%1, %2, %3)")
                           .arg(screenplay, quoted(location), quoted(location + QStringLiteral(" described"))));
    for (const AttachmentSpec& attachment : attachments)
        SqlProbe::exec(connection.get(),
                       QStringLiteral("INSERT INTO AttachedObject (ScreenplayID, Title, ObjectType, FileName, Color, "
                                      "Thumbnail, AttachedObject) VALUES (%1, %2, %3, %4, 1, %5, %6)")
                           .arg(screenplay, quoted(attachment.title))
                           .arg(attachment.objectType)
                           .arg(quoted(attachment.fileName), blob(attachment.thumbnail), blob(attachment.content)));
    return path;
}

void ItemsFixture::storeLink(const QString& path, const char* table, std::int64_t owner, std::int64_t attachment,
                             int primary)
{
    DatabaseConnection connection = StoryFile::open(path);
    const QString ownerColumn =
        QLatin1String(table) == QLatin1String("CharacterObject") ? QStringLiteral("CharacterID") : QStringLiteral("SceneLocationID");
    SqlProbe::exec(connection.get(), QStringLiteral("INSERT INTO %1 (%2, AttachedObjectID, PrimaryDisplayFlag) VALUES (%3, %4, %5)")
                                         .arg(QLatin1String(table), ownerColumn)
                                         .arg(owner)
                                         .arg(attachment)
                                         .arg(primary));
}

void ItemsFixture::storeSetupsAndPayoffs(const QString& path, const std::vector<SetupPayoffSpec>& setups,
                                         const std::vector<SetupPayoffSpec>& payoffs)
{
    DatabaseConnection connection = StoryFile::open(path);
    int key = 0;
    for (const SetupPayoffSpec& entry : payoffs)
        SqlProbe::exec(connection.get(),
                       QStringLiteral("INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) "
                                      "VALUES (%1, %2, %3)")
                           .arg(++key)
                           .arg(cardKey(entry.card), quoted(QLatin1String(entry.text))));
    key = 0;
    for (const SetupPayoffSpec& entry : setups)
        SqlProbe::exec(connection.get(),
                       QStringLiteral("INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
                                      "VALUES (%1, %2, %3, %4)")
                           .arg(++key)
                           .arg(cardKey(entry.card), quoted(QLatin1String(entry.text)))
                           .arg(entry.payoff));
}

std::int64_t ItemsFixture::cardKeyAt(int position) const
{
    return stored(QStringLiteral("SELECT ") + cardKey(position)).toLongLong();
}

AttachmentSpec ItemsFixture::picture(const QString& title, QColor color, const QString& fileName)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(color);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return {title, fileName.isEmpty() ? title + QStringLiteral(".png") : fileName, 1, jpeg, jpeg};
}

void ItemsFixture::dragFrom(QWidget* widget, const QPoint& from)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 3; ++step) {
        const QPoint to = from + QPoint(10 * step, 0);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), widget->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, {}, from + QPoint(30, 0));
}

QPoint ItemsFixture::cellPoint(QTableView* table, int row, int column)
{
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    return table->visualRect(index).center();
}

void ItemsFixture::clickCell(QTableView* table, int row, int column)
{
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellPoint(table, row, column));
}

std::unique_ptr<QMimeData> ItemsFixture::attachmentDrag(std::int64_t key, const MyDocument* document)
{
    return RecordPasteboardType::makeDragData(QString::fromLatin1(RecordPasteboardType::kAttachedObject), key, document);
}

bool ItemsFixture::dropOnCell(QTableView* table, int row, const QMimeData& data)
{
    const QPoint at = cellPoint(table, row, 1);
    QDragEnterEvent enter(at, Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &drop);
    return drop.isAccepted();
}

bool ItemsFixture::dropOn(QWidget* target, const ItemDrag& drag)
{
    QMimeData data;
    for (auto format = drag.formats.cbegin(); format != drag.formats.cend(); ++format)
        data.setData(format.key(), format.value());
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

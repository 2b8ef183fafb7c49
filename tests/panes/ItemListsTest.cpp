#include "ItemsFixture.h"

#include "app/AdviceWindow.h"
#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/RecordPasteboardType.h"
#include "model/Characterdb.h"
#include "model/Screenplaydb.h"
#include "panes/CharacterDetailView.h"
#include "panes/ItemsTableView.h"
#include "panes/LocationDetailView.h"

#include <QAction>
#include <QMimeData>
#include <QScrollArea>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

namespace {

// The two lists, told apart by their section.
struct ListCase {
    std::int64_t section;
    const char* emptyText;
    const char* helpTopic;
    const char* dragType;
    const char* linkTable;
    const char* ownerColumn;
};

const ListCase kLists[] = {
    {1, "No Characters", "CHARACTERS", RecordPasteboardType::kCharacter, "CharacterObject", "CharacterID"},
    {2, "No Locations", "LOCATIONS", RecordPasteboardType::kSceneLocation, "SceneLocationObject", "SceneLocationID"},
};

} // namespace

class ItemLists : public ItemsFixture
{
protected:
    QTableView* table() const
    {
        if (document_->charactersTableView())
            return document_->charactersTableView()->tvTable();
        return document_->locationsTableView() ? document_->locationsTableView()->tvTable() : nullptr;
    }

    QString shownHelp() const
    {
        return document_->adviceWindow() ? document_->adviceWindow()->webDocument()->source().toString() : QString();
    }

    QString open(std::int64_t section, const QStringList& names, const std::vector<AttachmentSpec>& attachments = {})
    {
        const QString name = QStringLiteral("List%1").arg(section);
        const QString path = section == 1 ? itemsStory(name, 1, names, {}, attachments)
                                          : itemsStory(name, 2, {}, names, attachments);
        PanesFixture::open(path);
        return path;
    }
};

TEST_F(ItemLists, AnEmptyListShowsOneRowThatOnlyOpensTheHelp)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        open(list.section, {});
        QTableView* rows = table();
        ASSERT_NE(rows, nullptr);
        ASSERT_EQ(rows->model()->rowCount(), 1);
        const QModelIndex text = rows->model()->index(0, 1);
        EXPECT_EQ(text.data().toString(), list.emptyText);
        EXPECT_EQ(text.data(Qt::BackgroundRole).value<QColor>(), document_->standardBackgroundColor());
        EXPECT_EQ(text.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
        EXPECT_TRUE(text.data(Qt::FontRole).value<QFont>().bold());
        EXPECT_FALSE(rows->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
        EXPECT_EQ(rows->rowHeight(0), 20);

        clickCell(rows, 0, 1);
        settle();
        EXPECT_TRUE(shownHelp().contains(QLatin1String(list.helpTopic))) << shownHelp().toStdString();
        EXPECT_TRUE(rows->selectionModel()->selectedIndexes().isEmpty());
        EXPECT_EQ(document_->characterDetailView(), nullptr);
        EXPECT_EQ(document_->locationDetailView(), nullptr);
        document_->window()->close();
        settle();
    }
}

TEST_F(ItemLists, ANameOpensThePanelADescriptionTheHelpAndASeparatorNothing)
{
    for (const bool arrows : {false, true})
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(testing::Message() << list.section << (arrows ? " by the arrows" : " by a click"));
        open(list.section, {QStringLiteral("BRUNO"), QStringLiteral("ADA")});
        QTableView* rows = table();
        // By the arrows: from the separator beside the row, which a click makes current.
        const auto choose = [&](int row) {
            clickCell(rows, arrows ? row + (row % 3 == 0 ? -1 : 1) : row, 1);
            if (arrows)
                QTest::keyClick(rows, row % 3 == 0 ? Qt::Key_Down : Qt::Key_Up);
        };
        ASSERT_EQ(rows->model()->rowCount(), 6);
        // Shown in name order: ADA first.
        EXPECT_EQ(rows->model()->index(0, 1).data().toString(), QStringLiteral("ADA"));
        EXPECT_EQ(rows->model()->index(4, 1).data().toString(), QStringLiteral("BRUNO described"));
        EXPECT_EQ(rows->rowHeight(3), 53);
        EXPECT_EQ(rows->rowHeight(5), 20);
        EXPECT_EQ(rows->model()->index(5, 1).data(Qt::BackgroundRole).value<QColor>(),
                  document_->standardBackgroundColor());

        clickCell(rows, 2, 1);
        settle();
        EXPECT_TRUE(rows->selectionModel()->selectedIndexes().isEmpty());
        EXPECT_TRUE(shownHelp().isEmpty());

        choose(4);
        settle();
        EXPECT_TRUE(rows->selectionModel()->selectedIndexes().isEmpty());
        EXPECT_TRUE(shownHelp().contains(QLatin1String(list.helpTopic)));

        choose(3);
        settle();
        ASSERT_NE(document_->scrBeatSectionDetails(), nullptr);
        EXPECT_EQ(document_->beatSectionTable(), document_->scrBeatSectionDetails());
        EXPECT_EQ(document_->charactersTableView(), nullptr);
        EXPECT_EQ(document_->locationsTableView(), nullptr);
        EXPECT_EQ(document_->scrBeatSectionDetails()->widget()->height(), 1000);
        EXPECT_TRUE(document_->window()->tbDeleteItem()->isVisible());
        if (list.section == 1) {
            ASSERT_NE(document_->characterDetailView(), nullptr);
            EXPECT_EQ(document_->characterDetailView()->character()->characterName(), QStringLiteral("BRUNO"));
            EXPECT_TRUE(app_->actions().mnuDeleteCharacter->isVisible());
        } else {
            ASSERT_NE(document_->locationDetailView(), nullptr);
            EXPECT_EQ(document_->locationDetailView()->location()->location(), QStringLiteral("BRUNO"));
            EXPECT_TRUE(app_->actions().mnuDeleteLocation->isVisible());
        }
        document_->window()->close();
        settle();
    }
}

TEST_F(ItemLists, OnlyANameRowStartsADragAndItCarriesThreeTimesThePositionWithItsStory)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        open(list.section, {QStringLiteral("ADA"), QStringLiteral("BRUNO"), QStringLiteral("CLEO")});
        QTableView* rows = table();
        const QString type = RecordPasteboardType::mimeType(QString::fromLatin1(list.dragType));
        for (int row = 0; row < 9; ++row) {
            SCOPED_TRACE(row);
            drags_.clear();
            rows->clearSelection();
            ItemsFixture::dragFrom(rows->viewport(), cellPoint(rows, row, 1));
            settle();
            if (row % 3 != 0) {
                EXPECT_TRUE(drags_.empty());
                continue;
            }
            ASSERT_EQ(drags_.size(), 1u);
            EXPECT_EQ(drags_[0].formats.value(type), QByteArray::number(row));
            QMimeData data;
            for (auto format = drags_[0].formats.cbegin(); format != drags_[0].formats.cend(); ++format)
                data.setData(format.key(), format.value());
            EXPECT_TRUE(RecordPasteboardType::comesFrom(&data, document_));
        }
        // Leave the section cleanly: a name row click opened a panel meanwhile.
        document_->window()->close();
        settle();
    }
}

TEST_F(ItemLists, ADroppedAttachmentIsLinkedOnceTheFirstOneAsThePicture)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        open(list.section, {QStringLiteral("ADA"), QStringLiteral("BRUNO")},
             {picture(QStringLiteral("Harbour"), Qt::red), picture(QStringLiteral("Lighthouse"), Qt::blue)});
        QTableView* rows = table();
        const QString links = QStringLiteral("SELECT group_concat(%1 || ':' || AttachedObjectID || ':' || "
                                             "PrimaryDisplayFlag, ' ') FROM (SELECT * FROM %2 ORDER BY 1)")
                                  .arg(QLatin1String(list.ownerColumn), QLatin1String(list.linkTable));
        const QImage generic = rows->model()->index(3, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
        fakes_.alerts->shown.clear();

        // Any of BRUNO's three rows names BRUNO (key 2).
        EXPECT_TRUE(dropOnCell(rows, 4, *attachmentDrag(1, document_)));
        EXPECT_EQ(stored(links), QStringLiteral("2:1:1"));
        EXPECT_NE(rows->model()->index(3, 0).data(Qt::DecorationRole).value<QPixmap>().toImage(), generic);
        EXPECT_TRUE(dropOnCell(rows, 5, *attachmentDrag(2, document_)));
        EXPECT_EQ(stored(links), QStringLiteral("2:1:1 2:2:0"));
        EXPECT_TRUE(fakes_.alerts->shown.empty());

        EXPECT_FALSE(dropOnCell(rows, 3, *attachmentDrag(1, document_)));
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Add Attachment"));
        EXPECT_EQ(fakes_.alerts->shown[0].message, QStringLiteral("Harbour is already attached."));

        // Refused without a word: an attachment that is gone, one from no window of this run,
        // and a drop on the separator of the last item still names it but nothing past it.
        EXPECT_FALSE(dropOnCell(rows, 0, *attachmentDrag(77, document_)));
        EXPECT_FALSE(dropOnCell(rows, 0, *attachmentDrag(1, nullptr)));
        EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(stored(links), QStringLiteral("2:1:1 2:2:0"));
        document_->window()->close();
        settle();
    }
}

TEST_F(ItemLists, TheCommandsAddAnItemIntoItsPanelAndDeleteItAfterTheQuestion)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        const QStringList ada{QStringLiteral("ADA")};
        const QString path = itemsStory(QStringLiteral("Commands%1").arg(list.section), list.section,
                                        list.section == 1 ? ada : QStringList(), list.section == 2 ? ada : QStringList(),
                                        {picture(QStringLiteral("Harbour"), Qt::red)});
        storeLink(path, list.linkTable, 1, 1, 1);
        PanesFixture::open(path);
        const QString table = list.section == 1 ? QStringLiteral("Character") : QStringLiteral("SceneLocation");
        StoryWindow* window = document_->window();
        ASSERT_TRUE(window->tbAddItem()->isVisible());
        window->tbAddItem()->trigger();
        settle();
        EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM %1").arg(table)), QStringLiteral("2"));
        ASSERT_NE(document_->scrBeatSectionDetails(), nullptr);
        EXPECT_TRUE(window->tbDeleteItem()->isVisible());

        // Back to ADA (the new item was added after her), who has an attachment, then delete: "No" keeps her, "Yes" takes her and
        // her attachment links, and the list shows again.
        if (list.section == 1)
            document_->showCharacterDetailForCharacter(screenplay().characters()[0].get());
        else
            document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[0].get());
        QAction* remove = list.section == 1 ? app_->actions().mnuDeleteCharacter : app_->actions().mnuDeleteLocation;
        fakes_.alerts->shown.clear();
        fakes_.alerts->answers = {AlertDefaultReturn, AlertAlternateReturn};
        remove->trigger();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, QStringLiteral("No"));
        EXPECT_TRUE(fakes_.alerts->shown[0].message.contains(QStringLiteral("ADA")));
        EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM %1").arg(table)), QStringLiteral("2"));
        window->tbDeleteItem()->trigger();
        settle();
        EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM %1").arg(table)), QStringLiteral("1"));
        EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(list.linkTable))),
                  QStringLiteral("0"));
        EXPECT_EQ(document_->scrBeatSectionDetails(), nullptr);
        ASSERT_NE(this->table(), nullptr);
        EXPECT_EQ(this->table()->model()->rowCount(), 3);
        EXPECT_FALSE(window->tbDeleteItem()->isVisible());
        EXPECT_EQ(stored(QStringLiteral("SELECT BeatSectionShowing FROM Screenplay")).toLongLong(), list.section);
        window->close();
        settle();
    }
}

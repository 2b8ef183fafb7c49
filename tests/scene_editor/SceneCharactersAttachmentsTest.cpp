#include "BigSceneFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "board/SceneCardView.h"
#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "panes/CharacterDetailView.h"
#include "panes/LocationDetailView.h"
#include "panes/TrackingTableView.h"
#include "scene_editor/BigSceneCharactersView.h"
#include "scene_editor/BigSceneView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using Items = BigSceneLinkedItemsView;

// The large card on the first of two board cards, with characters ANNA, BEN, CARL and "bella"
// (so that case decides nothing) and attachments "Map of the coast" and "Tide table".
class SceneCharactersAttachments : public BigSceneFixture
{
protected:
    void SetUp() override
    {
        BigSceneFixture::SetUp();
        ASSERT_NE(openCard({inBeat(1), inBeat(2)}), nullptr);
        addDroppableRecords();
        auto bella = std::make_unique<Characterdb>();
        bella->setScreenplayID(screenplay().screenplayID());
        bella->setCharacterName(QStringLiteral("bella"));
        bella->setDescription(QStringLiteral("one line\nand another\nand a third\nand a fourth\nand a fifth"));
        bella->insertIntoDatabase(&screenplay());
        screenplay().characters().push_back(std::move(bella));
        for (const auto& attachment : screenplay().attachedObjects()) {
            attachment->setTextDescription(attachment->title() + QStringLiteral(", its own words"));
            attachment->save();
        }
        key_ = big()->scene()->sceneCardID();
    }

    Items* characters()
    {
        big()->setSelectedTabID(4);
        settle();
        return big()->bigSceneCharactersView();
    }
    Items* attachments()
    {
        big()->setSelectedTabID(5);
        settle();
        return big()->bigSceneAttachmentsView();
    }

    static QString cell(Items* tab, int row, int column, int role = Qt::DisplayRole)
    {
        return tab->tvTable()->model()->index(row, column).data(role).toString();
    }
    // Rows as "name:tick" with the name column given.
    static QStringList shown(Items* tab, int nameColumn)
    {
        QStringList rows;
        for (int row = 0; row < tab->rowCount(); ++row) {
            const bool ticked =
                tab->tvTable()->model()->index(row, Items::kIncludedColumn).data(Qt::CheckStateRole).toInt() ==
                Qt::Checked;
            rows << cell(tab, row, nameColumn) + (ticked ? QStringLiteral(":1") : QStringLiteral(":0"));
        }
        return rows;
    }
    static int rowOf(Items* tab, int nameColumn, const QString& name)
    {
        for (int row = 0; row < tab->rowCount(); ++row)
            if (cell(tab, row, nameColumn) == name)
                return row;
        return -1;
    }
    static void click(Items* tab, int row, int column) { clickCell(*tab->tvTable(), row, column); }
    QString boardCharacters() const
    {
        const std::optional<ShownIndicator> shown =
            shownIndicator(*cardView(*document_, key_), SceneCardIndicator::Characters);
        return shown ? shown->imageName : QString();
    }

    std::int64_t key_ = 0;
};

using Chars = BigSceneCharactersView;
using Attach = BigSceneAttachmentsView;

} // namespace

TEST_F(SceneCharactersAttachments, ShowAllListsTheScenesCharactersFirstThenTheOthersEachByNameWithoutCase)
{
    EXPECT_EQ(characters()->rowCount(), 0);
    QTest::mouseClick(characters()->chkShowAll(), Qt::LeftButton);

    EXPECT_EQ(shown(characters(), Chars::Character), QStringList({"ANNA:0", "bella:0", "BEN:0", "CARL:0"}));

    struct Step {
        const char* click;
        QStringList rows;
        const char* stored;
        bool indicator;
    };
    const Step steps[] = {
        {"CARL", {"CARL:1", "ANNA:0", "bella:0", "BEN:0"}, "CARL", true},
        {"bella", {"bella:1", "CARL:1", "ANNA:0", "BEN:0"}, "bella,CARL", true},
        {"CARL", {"bella:1", "ANNA:0", "BEN:0", "CARL:0"}, "bella", true},
        {"bella", {"ANNA:0", "bella:0", "BEN:0", "CARL:0"}, "", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.click);
        click(characters(), rowOf(characters(), Chars::Character, step.click), Items::kIncludedColumn);
        EXPECT_EQ(shown(characters(), Chars::Character), step.rows);
        EXPECT_EQ(count(QStringLiteral("SELECT coalesce(group_concat(c.CharacterName), '') FROM (SELECT c.CharacterName FROM "
                                       "SceneCardCharacter s JOIN Character c ON c.CharacterID = s.CharacterID "
                                       "WHERE s.SceneCardID = %1 ORDER BY c.CharacterName COLLATE NOCASE) c")
                            .arg(key_)),
                  step.stored);
        EXPECT_EQ(boardCharacters(), step.indicator ? QStringLiteral("CharactersInScene") : QString());
        EXPECT_EQ(big()->imgCharacters()->isVisibleTo(big()->view()), step.indicator);
    }

    click(characters(), rowOf(characters(), Chars::Character, "BEN"), Items::kIncludedColumn);
    characters()->chkShowAll()->setChecked(false);
    EXPECT_EQ(shown(characters(), Chars::Character), QStringList({"BEN:1"}));
}

TEST_F(SceneCharactersAttachments, ATickedCharacterTakesItsOwnDescriptionWhichIsThenEditedForTheScene)
{
    Items* tab = characters();
    tab->chkShowAll()->setChecked(true);
    const int ben = rowOf(tab, Chars::Character, "BEN");
    EXPECT_EQ(cell(tab, ben, Chars::Description), "ben is here");
    // An unticked row's description is not edited.
    activate();
    click(tab, ben, Chars::Description);
    EXPECT_EQ(tab->tvTable()->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEditor")), nullptr);

    click(tab, ben, Items::kIncludedColumn);
    EXPECT_EQ(count(QStringLiteral("SELECT Description FROM SceneCardCharacter WHERE SceneCardID = %1").arg(key_)),
              "ben is here");
    click(tab, rowOf(tab, Chars::Character, "BEN"), Chars::Description);
    auto* editor = tab->tvTable()->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEditor"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("hides in the boat"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(count(QStringLiteral("SELECT Description FROM SceneCardCharacter WHERE SceneCardID = %1").arg(key_)),
              "hides in the boat");
    EXPECT_EQ(cell(tab, rowOf(tab, Chars::Character, "BEN"), Chars::Description), "hides in the boat");
    EXPECT_EQ(count(QStringLiteral("SELECT Description FROM Character WHERE CharacterName = 'BEN'")), "ben is here");

    // Row heights: at least 53; a description of many lines makes its row taller.
    EXPECT_EQ(tab->tvTable()->rowHeight(rowOf(tab, Chars::Character, "BEN")), Items::kLeastRowHeight);
    EXPECT_GT(tab->tvTable()->rowHeight(rowOf(tab, Chars::Character, "bella")), Items::kLeastRowHeight);
}

TEST_F(SceneCharactersAttachments, TheFirstTickedAttachmentIsPrimaryAndTheMarkMovesWithBothFlagsWritten)
{
    Items* tab = attachments();
    tab->chkShowAll()->setChecked(true);
    const auto flags = [&] {
        return count(QStringLiteral("SELECT coalesce(group_concat(mark, ' '), '') FROM (SELECT a.Title || '=' || "
                                    "s.PrimaryDisplayFlag AS mark FROM SceneCardObject s JOIN AttachedObject a ON "
                                    "a.AttachedObjectID = s.AttachedObjectID WHERE s.SceneCardID = %1 ORDER BY a.Title)")
                         .arg(key_));
    };
    const auto mark = [&](const char* title) {
        return cell(tab, rowOf(tab, Attach::Title, title), Attach::Primary, Items::kImageNameRole);
    };
    EXPECT_EQ(mark("Tide table"), "BlankZorvin");
    EXPECT_EQ(cell(tab, rowOf(tab, Attach::Title, "Tide table"), Attach::Description), "Tide table, its own words");
    click(tab, rowOf(tab, Attach::Title, "Tide table"), Attach::Primary);
    EXPECT_EQ(flags(), "") << "a click on an unticked row's mark does nothing";

    click(tab, rowOf(tab, Attach::Title, "Tide table"), Items::kIncludedColumn);
    click(tab, rowOf(tab, Attach::Title, "Map of the coast"), Items::kIncludedColumn);
    EXPECT_EQ(shown(tab, Attach::Title), QStringList({"Map of the coast:1", "Tide table:1"}));
    EXPECT_EQ(flags(), "Map of the coast=0 Tide table=1");
    EXPECT_EQ(mark("Tide table"), "PrimaryImage");
    EXPECT_EQ(mark("Map of the coast"), "MakePrimary");
    EXPECT_EQ(cell(tab, rowOf(tab, Attach::Title, "Tide table"), Attach::Description), "")
        << "the scene's description of a ticked attachment starts empty";

    click(tab, rowOf(tab, Attach::Title, "Map of the coast"), Attach::Primary);
    EXPECT_EQ(flags(), "Map of the coast=1 Tide table=0");
    EXPECT_EQ(mark("Map of the coast"), "PrimaryImage");
    EXPECT_EQ(mark("Tide table"), "MakePrimary");

    // Unticking the primary one leaves the other unmarked.
    click(tab, rowOf(tab, Attach::Title, "Map of the coast"), Items::kIncludedColumn);
    EXPECT_EQ(flags(), "Tide table=0");
    EXPECT_EQ(mark("Tide table"), "MakePrimary");
    EXPECT_EQ(mark("Map of the coast"), "BlankZorvin");
    EXPECT_EQ(shown(tab, Attach::Title), QStringList({"Tide table:1", "Map of the coast:0"}));
    EXPECT_EQ(screenplay().sceneCardObjects().size(), 1u);
}

TEST_F(SceneCharactersAttachments, ANameChangedInItsPanelShowsOnTheOpenLargeCardAtOnce)
{
    Items* tab = characters();
    tab->chkShowAll()->setChecked(true);
    big()->refreshView();
    big()->cmbLocations()->setCurrentIndex(1);
    ASSERT_EQ(big()->cmbLocations()->currentText(), "HARBOUR");
    activate();
    struct Case {
        const char* name;
        bool character;
        const char* typed;
    };
    const Case cases[] = {{"a character", true, "benjamin"}, {"a location", false, "old harbour"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QLineEdit* name = nullptr;
        if (c.character) {
            document_->showCharacterDetailForCharacter(screenplay().characters()[1].get());
            name = document_->characterDetailView()->tfName();
        } else {
            document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[0].get());
            name = document_->locationDetailView()->tfLocation();
        }
        settle();
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QString::fromLatin1(c.typed));
        QTest::keyClick(name, Qt::Key_Tab);
        settle();
        if (c.character)
            document_->closeCharacterDetails();
        else
            document_->closeLocationDetails();
        settle();
    }
    // The tab that shows is read as it stands, not chosen again.
    EXPECT_EQ(shown(big()->bigSceneCharactersView(), Chars::Character),
              QStringList({"ANNA:0", "bella:0", "BENJAMIN:0", "CARL:0"}));
    EXPECT_EQ(big()->cmbLocations()->currentText(), "OLD HARBOUR");
    EXPECT_EQ(big()->imgLocation()->toolTip(), "OLD HARBOUR");
}

TEST_F(SceneCharactersAttachments, DeletingTheCardsLocationEmptiesTheOpenLargeCardsLocationBox)
{
    big()->refreshView();
    big()->cmbLocations()->setCurrentIndex(1);
    ASSERT_EQ(big()->cmbLocations()->currentText(), "HARBOUR");
    ASSERT_TRUE(big()->imgLocation()->isVisibleTo(big()->view()));
    document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[0].get());
    settle();
    fakes_.alerts->answers = {AlertAlternateReturn};
    document_->addDeleteItem(app_->actions().mnuDeleteLocation);
    settle();
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")), "0");
    EXPECT_EQ(big()->cmbLocations()->count(), 2);
    EXPECT_EQ(big()->cmbLocations()->currentText(), "<No Location>");
    EXPECT_FALSE(big()->imgLocation()->isVisibleTo(big()->view()));
}

// A tick or untick sorts the rows again; the highlight goes with the item clicked, not with its
// old row number.
TEST_F(SceneCharactersAttachments, TheHighlightFollowsTheTickedItemToItsNewRow)
{
    struct Row {
        const char* tab;
        int nameColumn;
        const char* item;
    };
    const Row rows[] = {
        {"characters: ticking the last one", Chars::Character, "CARL"},
        {"characters: ticking one in the middle", Chars::Character, "BEN"},
        {"characters: unticking the first ticked", Chars::Character, "BEN"},
        {"attachments: ticking the second", Attach::Title, "Tide table"},
        {"attachments: unticking it", Attach::Title, "Tide table"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tab);
        Items* tab = row.nameColumn == Chars::Character ? characters() : attachments();
        tab->chkShowAll()->setChecked(true);
        const int before = rowOf(tab, row.nameColumn, row.item);
        ASSERT_GE(before, 0);
        click(tab, before, Items::kIncludedColumn);
        const int after = rowOf(tab, row.nameColumn, row.item);
        const QModelIndexList selected = tab->tvTable()->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.front().row(), after) << "was row " << before;
        EXPECT_EQ(tab->tvTable()->currentIndex().row(), after);
    }
}

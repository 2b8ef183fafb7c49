#include "ItemsFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/SceneCardPainter.h"
#include "board/SceneCardView.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/CharacterDetailView.h"
#include "panes/LocationDetailView.h"
#include "panes/SetupPayoffTableView.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTableView>

#include <functional>
#include <vector>

namespace {

// One of the eight commands, given by its button (in its section) or by its menu item.
struct Command {
    const char* name;
    std::int64_t section;
    bool add;
    QAction* AppActions::*menuItem; // nothing: the toolbar button
    const char* table;
    const char* title;    // of the delete question
    const char* question; // the delete question for the first item of its list
};

const Command kCommands[] = {
    {"add character", 1, true, nullptr, "Character", "", ""},
    {"add character from the menu", 1, true, &AppActions::mnuAddCharacter, "Character", "", ""},
    {"delete character", 1, false, nullptr, "Character", "Delete Character", "Are you sure you want to delete ADA?"},
    {"delete character from the menu", 1, false, &AppActions::mnuDeleteCharacter, "Character", "Delete Character",
     "Are you sure you want to delete ADA?"},
    {"add location", 2, true, nullptr, "SceneLocation", "", ""},
    {"add location from the menu", 2, true, &AppActions::mnuAddLocation, "SceneLocation", "", ""},
    {"delete location", 2, false, nullptr, "SceneLocation", "Delete Location", "Are you sure you want to delete DOCKS"},
    {"delete location from the menu", 2, false, &AppActions::mnuDeleteLocation, "SceneLocation", "Delete Location",
     "Are you sure you want to delete DOCKS"},
    {"add set-up", 3, true, nullptr, "SceneSetup", "", ""},
    {"add set-up from the menu", 3, true, &AppActions::mnuAddSetup, "SceneSetup", "", ""},
    {"delete set-up", 3, false, nullptr, "SceneSetup", "Delete Set-up",
     "Are you sure you want to delete the set-up:\nclue"},
    {"delete set-up from the menu", 3, false, &AppActions::mnuDeleteSetup, "SceneSetup", "Delete Set-up",
     "Are you sure you want to delete the set-up:\nclue"},
    {"add pay-off", 4, true, nullptr, "ScenePayoff", "", ""},
    {"add pay-off from the menu", 4, true, &AppActions::mnuAddPayoff, "ScenePayoff", "", ""},
    {"delete pay-off", 4, false, nullptr, "ScenePayoff", "Delete Pay-off",
     "Are you sure you want to delete the pay-off:\nanswer"},
    {"delete pay-off from the menu", 4, false, &AppActions::mnuDeletePayoff, "ScenePayoff", "Delete Pay-off",
     "Are you sure you want to delete the pay-off:\nanswer"},
};

} // namespace

class ItemCommands : public ItemsFixture
{
protected:
    // A story with two items of each kind, showing `section`, its beat cards on the board.
    QString openItems(std::int64_t section, const std::vector<SetupPayoffSpec>& setups = {{"clue"}, {"hint"}},
                      const std::vector<SetupPayoffSpec>& payoffs = {{"answer"}, {"reveal"}})
    {
        const QString path = itemsStory(QStringLiteral("Commands%1").arg(section), section,
                                        {QStringLiteral("ADA"), QStringLiteral("BRUNO")},
                                        {QStringLiteral("DOCKS"), QStringLiteral("MILL")}, {}, true);
        storeSetupsAndPayoffs(path, setups, payoffs);
        open(path);
        return path;
    }

    QTableView* setupPayoffTable() const
    {
        if (document_->setupsTableView())
            return document_->setupsTableView()->tvTable();
        return document_->payoffsTableView() ? document_->payoffsTableView()->tvTable() : nullptr;
    }

    // Chooses the item a delete acts on: the first character's or location's panel, or a row of
    // the first set-up or pay-off (its partner row: any row of the item will do).
    void chooseFirstItem(std::int64_t section)
    {
        if (section == 1)
            document_->showCharacterDetailForCharacter(screenplay().characters()[0].get());
        else if (section == 2)
            document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[0].get());
        else
            clickCell(setupPayoffTable(), 1, 1);
        settle();
    }

    void run(const Command& command)
    {
        StoryWindow* window = document_->window();
        QAction* sender = command.menuItem ? app_->actions().*command.menuItem
                                           : command.add ? window->tbAddItem() : window->tbDeleteItem();
        ASSERT_TRUE(sender->isVisible());
        sender->trigger();
        settle();
    }

    int count(const char* table) const
    {
        return stored(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))).toInt();
    }

    static bool showsIndicator(const SceneCardView* view, SceneCardIndicator::Kind kind, const char* image)
    {
        for (const SceneCardIndicator& indicator : view->indicators())
            if (indicator.kind == kind)
                return image == nullptr || indicator.imageName == QLatin1String(image);
        return false;
    }
};

TEST_F(ItemCommands, EachOfTheEightWritesOnYesAndChangesNothingOnNo)
{
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        openItems(command.section);
        const int before = count(command.table);
        if (command.add) {
            run(command);
            EXPECT_TRUE(fakes_.alerts->shown.empty());
            EXPECT_EQ(count(command.table), before + 1);
            EXPECT_TRUE(document_->window()->tbDeleteItem()->isVisible());
            if (command.section == 1) {
                ASSERT_NE(document_->characterDetailView(), nullptr);
                EXPECT_EQ(document_->currentlyEditingCharacter(), screenplay().characters().back().get());
            } else if (command.section == 2) {
                ASSERT_NE(document_->locationDetailView(), nullptr);
                EXPECT_EQ(document_->currentlyEditingLocation(), screenplay().sceneLocations().back().get());
            } else {
                // The new, empty item sorts first; its text is open with all of it selected.
                QTableView* rows = setupPayoffTable();
                ASSERT_EQ(rows->model()->rowCount(), 9);
                EXPECT_EQ(rows->selectionModel()->selectedRows().size(), 1);
                EXPECT_EQ(rows->currentIndex().row(), 0);
                auto* editor = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
                ASSERT_NE(editor, nullptr);
                QTest::keyClicks(editor, QStringLiteral("typed at once"));
                QTest::keyClick(editor, Qt::Key_Return);
                const QString column =
                    command.section == 3 ? QStringLiteral("SceneSetup") : QStringLiteral("ScenePayoff");
                EXPECT_EQ(stored(QStringLiteral("SELECT %1 FROM %2 ORDER BY %2ID DESC LIMIT 1")
                                     .arg(column, QLatin1String(command.table))),
                          QStringLiteral("typed at once"));
            }
        } else {
            chooseFirstItem(command.section);
            fakes_.alerts->answers = {AlertDefaultReturn};
            run(command);
            ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
            const AlertRequest& question = fakes_.alerts->shown[0];
            EXPECT_EQ(question.title, command.title);
            EXPECT_EQ(question.message, command.question);
            EXPECT_EQ(question.defaultButton, QStringLiteral("No"));
            EXPECT_EQ(question.alternateButton, QStringLiteral("Yes"));
            EXPECT_EQ(count(command.table), before);
            // "No" keeps the delete commands while items remain.
            EXPECT_TRUE(document_->window()->tbDeleteItem()->isVisible());

            chooseFirstItem(command.section);
            fakes_.alerts->answers = {AlertAlternateReturn};
            run(command);
            EXPECT_EQ(fakes_.alerts->shown.size(), 2u);
            EXPECT_EQ(count(command.table), before - 1);
            // A deleted character or location closes its panel and shows its list again.
            EXPECT_EQ(document_->scrBeatSectionDetails(), nullptr);
            EXPECT_NE(document_->beatSectionTable(), nullptr);
        }
        fakes_.alerts->shown.clear();
        document_->window()->close();
        settle();
    }
}

TEST_F(ItemCommands, ACharacterOrLocationInAScenesGetsTheLongerQuestion)
{
    const QString path =
        itemsStory(QStringLiteral("InScenes"), 1, {QStringLiteral("ADA")}, {QStringLiteral("DOCKS")}, {}, true);
    {
        // ADA is in the first board card's scene; the docks are the place of the first two board
        // cards and of a Litter Box card.
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), QStringLiteral("INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) "
                                                        "VALUES (%1, 1)")
                                             .arg(QStringLiteral("(SELECT min(SceneCardID) FROM SceneCard)")));
        SqlProbe::exec(connection.get(), QStringLiteral("UPDATE SceneCard SET OnBoard = 2, SceneLocationID = 1 WHERE "
                                                        "SceneCardID = (SELECT max(SceneCardID) FROM SceneCard);"
                                                        "UPDATE SceneCard SET SceneLocationID = 1 WHERE SceneCardID IN "
                                                        "(SELECT SceneCardID FROM SceneCard ORDER BY 1 LIMIT 2)"));
    }
    open(path);
    std::vector<const SceneCardView*> atTheDocks;
    for (const auto* cards : {&screenplay().sceneCards(), &screenplay().litterBox()})
        for (const auto& card : *cards)
            if (card->sceneLocationID() == 1)
                atTheDocks.push_back(document_->sceneCardControlForSceneCard(card.get()));
    ASSERT_EQ(atTheDocks.size(), 3u);
    for (const SceneCardView* card : atTheDocks)
        ASSERT_TRUE(card && showsIndicator(card, SceneCardIndicator::Location, "LocationOfScene"));
    SceneCarddb* scene = screenplay().sceneCardForSceneCardID(
        stored(QStringLiteral("SELECT min(SceneCardID) FROM SceneCard")).toLongLong());
    ASSERT_NE(scene, nullptr);
    const SceneCardView* view = document_->sceneCardControlForSceneCard(scene);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(showsIndicator(view, SceneCardIndicator::Characters, nullptr));

    struct Case {
        std::int64_t section;
        const char* question;
        const char* left; // what is left of the item's use in scenes
    };
    const Case cases[] = {
        {1, "ADA is in one or more scenes. Are you sure you want to delete the character?",
         "SELECT count(*) FROM SceneCardCharacter"},
        {2, "DOCKS has been selected for one or more scenes. Are you sure you want to delete it?",
         "SELECT count(*) FROM SceneCard WHERE SceneLocationID <> 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        QTest::mouseClick(c.section == 1 ? document_->optSelectCharacters() : document_->optSelectLocations(),
                          Qt::LeftButton);
        chooseFirstItem(c.section);
        fakes_.alerts->shown.clear();
        fakes_.alerts->answers = {AlertAlternateReturn};
        document_->window()->tbDeleteItem()->trigger();
        settle();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].message, c.question);
        EXPECT_EQ(stored(QString::fromLatin1(c.left)), QStringLiteral("0"));
    }
    // The cards no longer show a character in their scene, nor the place that is gone.
    EXPECT_FALSE(showsIndicator(view, SceneCardIndicator::Characters, nullptr));
    EXPECT_EQ(screenplay().litterBox().back()->sceneLocationID(), 0);
    for (const SceneCardView* card : atTheDocks)
        EXPECT_FALSE(showsIndicator(card, SceneCardIndicator::Location, nullptr));
}

TEST_F(ItemCommands, DeletingTheLastItemHidesTheDeleteCommandsAndNoSelectionDeletesNothing)
{
    for (std::int64_t section : {3, 4}) {
        SCOPED_TRACE(section);
        openItems(section, {{"only set-up"}}, {{"only pay-off"}});
        QAction* menuItem = section == 3 ? app_->actions().mnuDeleteSetup : app_->actions().mnuDeletePayoff;
        StoryWindow* window = document_->window();
        EXPECT_FALSE(window->tbDeleteItem()->isVisible());
        EXPECT_FALSE(menuItem->isVisible());
        // Without a selected row the command asks nothing.
        document_->addDeleteItem(menuItem);
        EXPECT_TRUE(fakes_.alerts->shown.empty());

        clickCell(setupPayoffTable(), 0, 1);
        settle();
        EXPECT_TRUE(window->tbDeleteItem()->isVisible());
        EXPECT_TRUE(menuItem->isVisible());
        fakes_.alerts->answers = {AlertAlternateReturn};
        window->tbDeleteItem()->trigger();
        settle();
        EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_FALSE(window->tbDeleteItem()->isVisible());
        EXPECT_FALSE(menuItem->isVisible());
        EXPECT_EQ(setupPayoffTable()->model()->rowCount(), 1);
        fakes_.alerts->shown.clear();
        window->close();
        settle();
    }
}

TEST_F(ItemCommands, DeletingALinkedItemUnlinksItsPartnerAndRefreshesBothCards)
{
    struct Case {
        std::int64_t section;
        // What the partner's card shows afterwards.
        SceneCardIndicator::Kind partnerKind;
        const char* partnerImage;
    };
    const Case cases[] = {
        {3, SceneCardIndicator::Payoffs, "PayoffsWithoutSetups"},
        {4, SceneCardIndicator::Setups, "SetupsWithOutPayoffs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        // The set-up lies on the second board card, its pay-off on the third.
        openItems(c.section, {{"the gun", 1, 1}}, {{"the gun fires", 2}});
        SceneCarddb* setupCard = screenplay().sceneCardForSceneCardID(cardKeyAt(1));
        SceneCarddb* payoffCard = screenplay().sceneCardForSceneCardID(cardKeyAt(2));
        const SceneCardView* setupView = document_->sceneCardControlForSceneCard(setupCard);
        const SceneCardView* payoffView = document_->sceneCardControlForSceneCard(payoffCard);
        ASSERT_TRUE(setupView && payoffView);
        ASSERT_TRUE(showsIndicator(setupView, SceneCardIndicator::Setups, "SetupsWithPayoffs"));
        ASSERT_TRUE(showsIndicator(payoffView, SceneCardIndicator::Payoffs, "PayoffsWithSetups"));

        clickCell(setupPayoffTable(), 0, 2);
        settle();
        fakes_.alerts->answers = {AlertAlternateReturn};
        document_->window()->tbDeleteItem()->trigger();
        settle();
        const bool setupGone = c.section == 3;
        EXPECT_FALSE(showsIndicator(setupGone ? setupView : payoffView,
                                    setupGone ? SceneCardIndicator::Setups : SceneCardIndicator::Payoffs, nullptr));
        EXPECT_TRUE(showsIndicator(setupGone ? payoffView : setupView, c.partnerKind, c.partnerImage));
        if (setupGone) {
            EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetupID(), 0);
        } else {
            EXPECT_EQ(stored(QStringLiteral("SELECT ScenePayoffID FROM SceneSetup WHERE SceneSetupID = 1")),
                      QStringLiteral("0"));
            EXPECT_EQ(screenplay().setupForSetupID(1)->scenePayoffID(), 0);
            EXPECT_FALSE(screenplay().setupForSetupID(1)->isDirty());
        }
        fakes_.alerts->shown.clear();
        document_->window()->close();
        settle();
    }
}

TEST_F(ItemCommands, ADeleteTheFileRefusesChangesNothingAndIsReported)
{
    for (std::int64_t section : {1, 2, 3, 4}) {
        SCOPED_TRACE(section);
        openItems(section);
        const char* tables[] = {"", "Character", "SceneLocation", "SceneSetup", "ScenePayoff"};
        const char* table = tables[section];
        SqlProbe::exec(document_->database(), QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON main.%1 "
                                                             "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                                                  .arg(QLatin1String(table)));
        chooseFirstItem(section);
        const std::size_t items = section == 1   ? screenplay().characters().size()
                                  : section == 2 ? screenplay().sceneLocations().size()
                                  : section == 3 ? screenplay().sceneSetups().size()
                                                 : screenplay().scenePayoffs().size();
        fakes_.alerts->answers = {AlertAlternateReturn};
        document_->window()->tbDeleteItem()->trigger();
        settle();
        ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
        EXPECT_TRUE(fakes_.alerts->shown[1].message.contains(QStringLiteral("disk full")))
            << fakes_.alerts->shown[1].message.toStdString();
        EXPECT_EQ(count(table), 2);
        const std::size_t after = section == 1   ? screenplay().characters().size()
                                  : section == 2 ? screenplay().sceneLocations().size()
                                  : section == 3 ? screenplay().sceneSetups().size()
                                                 : screenplay().scenePayoffs().size();
        EXPECT_EQ(after, items);
        // The screen stays as it was: the panel open on its item, or the row selected.
        if (section == 1) {
            ASSERT_NE(document_->characterDetailView(), nullptr);
            EXPECT_EQ(document_->currentlyEditingCharacter(), screenplay().characters()[0].get());
        } else if (section == 2) {
            ASSERT_NE(document_->locationDetailView(), nullptr);
            EXPECT_EQ(document_->currentlyEditingLocation(), screenplay().sceneLocations()[0].get());
        } else {
            EXPECT_EQ(setupPayoffTable()->model()->rowCount(), 6);
            EXPECT_EQ(setupPayoffTable()->currentIndex().row(), 1);
            EXPECT_FALSE(setupPayoffTable()->selectionModel()->selectedRows().isEmpty());
        }
        EXPECT_TRUE(document_->window()->tbDeleteItem()->isVisible());
        fakes_.alerts->shown.clear();
        document_->window()->close();
        settle();
    }
}

// Stories the window cannot use as they are: refused at open with their reason, and a story
// whose file goes away closed with an alert rather than kept on a closed connection. Stories
// holding what the story's own operations leave behind are not among them: they open.
#include "AppFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/SceneCardPainter.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "model/UserInformationdb.h"
#include "panes/CharacterDetailView.h"
#include "panes/LocationDetailView.h"
#include "panes/TitleLoglineView.h"
#include "scene_editor/BigSceneCharactersView.h"
#include "scene_editor/BigSceneView.h"
#include "support/FullDisk.h"
#include "support/SampleCopy.h"
#include "support/SqlProbe.h"
#include "support/StoredTables.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

class UnusableStories : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        fakes_.alerts->shown.clear();
    }
    DocumentController& controller() { return app_->documentController(); }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(UnusableStories, AreRefusedAtOpenWithAPlainReasonNoWindowAndNoChange)
{
    // What stands in the way while the story opens: nothing, a full disk, or another program
    // in the middle of writing to the file.
    enum class While { Nothing, DiskFull, AnotherWriter };
    struct Case {
        const char* name;
        std::function<void(const QString&)> spoil;
        const char* message;
        While during = While::Nothing;
    };
    const auto sound = [](const QString&) {};
    const Case cases[] = {
        {"read-only", [](const QString& path) { QFile::setPermissions(path, QFileDevice::ReadOwner); },
         "\u201cStory.vtrsf\u201d cannot be opened because the file is read-only."},
        {"without its story row",
         [](const QString& path) {
             DatabaseConnection connection = StoryFile::open(path);
             SqlProbe::exec(connection.get(), "DELETE FROM Screenplay");
         },
         "\u201cStory.vtrsf\u201d is damaged and cannot be opened."},
        {"with a trigger",
         [](const QString& path) {
             DatabaseConnection connection = StoryFile::open(path);
             SqlProbe::exec(connection.get(),
                            "CREATE TRIGGER t AFTER UPDATE ON Screenplay BEGIN DELETE FROM Beat; END");
         },
         "\u201cStory.vtrsf\u201d cannot be opened because another program changed it."},
        // The file is sound: the write that opening makes is what fails, and is taken back.
        {"a sound story on a full disk", sound,
         "\u201cStory.vtrsf\u201d cannot be opened because the disk is full. The story in the file is unchanged: "
         "make room on the disk, then open it again.\n\n",
         While::DiskFull},
        // The story's row already holds what reading it writes: laying out its window is the
        // first write, made in the window's own event handlers too.
        {"a sound story whose window is laid out on a full disk",
         [](const QString& path) {
             DatabaseConnection connection = StoryFile::open(path);
             SqlProbe::exec(connection.get(), "UPDATE Screenplay SET BoardZoomFactor = 1");
         },
         "\u201cStory.vtrsf\u201d cannot be opened because the disk is full. The story in the file is unchanged: "
         "make room on the disk, then open it again.\n\n",
         While::DiskFull},
        {"a sound story another program is writing to", sound,
         "\u201cStory.vtrsf\u201d cannot be opened because it could not be written to. The story in the file is "
         "unchanged.\n\n",
         While::AnotherWriter},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        fakes_.alerts->shown.clear();
        const QString path = makeStory(QStringLiteral("Story.vtrsf"));
        test.spoil(path);
        const QByteArray before = bytesOf(path);
        {
            std::optional<FullDisk> full;
            DatabaseConnection writer;
            if (test.during == While::DiskFull)
                full.emplace();
            if (test.during == While::AnotherWriter) {
                writer = StoryFile::open(path);
                SqlProbe::exec(writer.get(), "BEGIN IMMEDIATE");
            }
            EXPECT_EQ(controller().openDocument(path), nullptr);
            settle();
            if (full) {
                EXPECT_GT(full->refusedWrites(), 0);
            }
        }
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(QString::fromUtf8(test.message)))
            << fakes_.alerts->shown[0].message.toStdString();
        EXPECT_EQ(controller().documentCount(), 0u);
        EXPECT_EQ(bytesOf(path), before);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(path);
    }
}

TEST_F(UnusableStories, ABackupOfAStoryWhoseFileMovedClosesTheWindowWithAnAlert)
{
    const QString path = makeStory(QStringLiteral("Wander.vtrsf"));
    MyDocument* document = controller().openDocument(path);
    ASSERT_NE(document, nullptr);
    const QString folder = QDir(home_.path()).filePath(QStringLiteral("Backups"));
    QDir().mkpath(folder);
    fakes_.filePanels->openAnswers = {folder};
    ASSERT_TRUE(QFile::rename(path, QDir(documents()).filePath(QStringLiteral("Elsewhere.vtrsf"))));

    document->makeBackup();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(
        QStringLiteral("\u201cWander.vtrsf\u201d cannot be opened because it no longer exists.")))
        << fakes_.alerts->shown[0].message.toStdString();
    EXPECT_FALSE(fakes_.alerts->shown[0].message.contains(QStringLiteral("Backup Saved")));
    // The story holds no closed handle meanwhile: a write fails plainly instead of using it.
    EXPECT_EQ(document->currentScreenplay()->database(), nullptr);
    settle();
    EXPECT_EQ(controller().documentCount(), 0u);
}

TEST_F(UnusableStories, StoredValuesOutOfRangeAreToldOnceAfterOpening)
{
    const QString path = makeStory(QStringLiteral("Odd.vtrsf"));
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), "UPDATE Screenplay SET PageCount=4611686018427387904, StandardFontSetting=-3");
    }
    MyDocument* document = controller().openDocument(path);
    ASSERT_NE(document, nullptr);
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Odd");
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains(QStringLiteral("out of range")));
    EXPECT_EQ(document->currentScreenplay()->pageCount(), 1000);
}

namespace {

// The tables of a story file but its own row, which the window rewrites when it opens.
StoredTables tablesButTheStoryRow(const QString& path)
{
    StoredTables tables = storedTables(path, {});
    tables.erase(QStringLiteral("Screenplay"));
    return tables;
}

// The tool tip of the indicator `kind` on the card `sceneCardID`; nothing when the card shows none.
std::optional<QString> indicatorTip(Screenplaydb& story, std::int64_t sceneCardID, SceneCardIndicator::Kind kind)
{
    const SceneCarddb* card = story.sceneCardForSceneCardID(sceneCardID);
    if (!card)
        return std::nullopt;
    for (const SceneCardIndicator& indicator : indicatorsOfCard(story, *card))
        if (indicator.kind == kind)
            return indicator.toolTip;
    return std::nullopt;
}

// The rows the attachment panels and the large card show for a story's links.
int attachmentRowsOfLocation(MyDocument& document, std::int64_t sceneLocationID)
{
    document.showLocationDetailForSceneLocation(
        document.currentScreenplay()->locationForLocationID(sceneLocationID));
    return document.locationDetailView()->tvAttachments()->model()->rowCount();
}

int attachmentRowsOfCharacter(MyDocument& document, std::int64_t characterID)
{
    document.showCharacterDetailForCharacter(document.currentScreenplay()->characterForCharacterID(characterID));
    return document.characterDetailView()->tvAttachments()->model()->rowCount();
}

// The characters (tab 4) and attachments (tab 5) the large card shows for the card.
std::pair<int, int> linkedRowsOfCard(MyDocument& document, std::int64_t sceneCardID)
{
    document.openBigSceneCard(document.currentScreenplay()->sceneCardForSceneCardID(sceneCardID));
    BigSceneView* big = document.bigSceneViewController();
    big->setSelectedTabID(4);
    const int characters = big->bigSceneCharactersView()->rowCount();
    big->setSelectedTabID(5);
    return {characters, big->bigSceneAttachmentsView()->rowCount()};
}

// An attachment, linked to the first character, to the location 5 and to the card 23, as the
// attachment panels link them.
const QString kAttached = QStringLiteral(
    "INSERT INTO AttachedObject (AttachedObjectID, ScreenplayID, Title, ObjectType, FileName, PositionLeft, "
    "PositionTop, PercentageHorizontal, PercentageVertical, SizeHeight, SizeWidth) SELECT 901, ScreenplayID, "
    "'Map of the pass', 1, 'map.png', 300, 200, 0.2, 0.15, 120, 160 FROM Screenplay;"
    "INSERT INTO CharacterObject (CharacterID, AttachedObjectID, Description, PrimaryDisplayFlag) VALUES (5, 901, "
    "'', 1);"
    "INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID, Description, PrimaryDisplayFlag) VALUES "
    "(5, 901, '', 1);"
    "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID, Description, PrimaryDisplayFlag) VALUES (23, 901, "
    "'', 1);");

} // namespace

// Each case is what one of the story's own operations leaves in the file, made with the
// statements that operation runs (in the Kessler Pass sample, card 23 holds two set-ups paid off
// on cards 36 and 26, card 1 a set-up paid off on card 21, and location 5 is the shelter of
// cards 11 to 19, location 6 and card 40 have the highest keys; a new story is a copy of the
// empty template until its row is made): the story opens in its window as its loading reads it,
// and closing it leaves every table but the story's own row as it was (a new story cut short
// gets its first rows). Damage no operation writes stays refused.
TEST_F(UnusableStories, WhatTheStorysOwnOperationsLeaveBehindOpensAndOnlyDamageIsRefused)
{
    struct Case {
        const char* name;
        QString sql = {};
        // What the opened story shows; none for a file that is refused.
        std::function<void(Screenplaydb&)> shows = {};
        // The words the refusal gives after its reason.
        const char* refusal = nullptr;
        const char* reason = "is damaged and cannot be opened.";
        // The SQL runs on a copy of the empty story template instead of the sample.
        bool fromTemplate = false;
        // What the writer then does in the window, and what the story shows opened again.
        std::function<void(MyDocument&)> edit = {};
        std::function<void(Screenplaydb&)> reopened = {};
        // What the window shows of the story, before the edit.
        std::function<void(MyDocument&)> window = {};
    };
    const auto typeTitle = [](MyDocument& document) {
        document.window()->activateWindow();
        QLineEdit* title = document.titleLoglineView()->tfTitle();
        title->setFocus();
        title->selectAll();
        QTest::keyClicks(title, "Whiteout");
    };
    // A story without its row and without any other row is a new story whose making stopped
    // before its first row: it opens made as New Story makes it, the owner's names stamped.
    app_->userInformation()->setFirstName(QStringLiteral("Rosa"));
    app_->userInformation()->setLastName(QStringLiteral("Marsh"));
    const auto newStory = [](const char* title) {
        return [title](Screenplaydb& story) {
            EXPECT_EQ(story.screenplayTitle(), title);
            EXPECT_EQ(story.ownerFirstName() + QLatin1Char(' ') + story.ownerLastName(), "Rosa Marsh");
            // Beats, checklist questions, colour codes and script formats.
            EXPECT_EQ(QStringLiteral("%1 %2 %3 %4")
                          .arg(story.beats().size())
                          .arg(story.greenlightChecklistQuestions().size())
                          .arg(story.colorCodes().size())
                          .arg(story.scriptElements().size()),
                      "15 55 10 15");
        };
    };
    const auto gone = [](std::int64_t sceneCardID) {
        return [sceneCardID](const auto& record) { return record->sceneCardID() == sceneCardID; };
    };
    const Case cases[] = {
        {"a deleted card, its script paragraphs kept",
         kAttached + QStringLiteral("DELETE FROM SceneCard WHERE SceneCardID = 23;"
                                    "DELETE FROM SceneCardObject WHERE SceneCardID = 23;"
                                    "DELETE FROM SceneCardCharacter WHERE SceneCardID = 23;"
                                    "UPDATE SceneSetup SET SceneCardID = 0 WHERE SceneCardID = 23;"
                                    "UPDATE ScenePayoff SET SceneCardID = 0 WHERE SceneCardID = 23;"),
         [&](Screenplaydb& story) {
             EXPECT_EQ(story.sceneCardForSceneCardID(23), nullptr);
             EXPECT_EQ(story.sceneCards().size() + story.litterBox().size(), 39u);
             story.loadAllScriptParts();
             for (auto* cards : {&story.sceneCards(), &story.litterBox()})
                 for (const auto& card : *cards)
                     EXPECT_TRUE(std::none_of(card->scriptParts().begin(), card->scriptParts().end(), gone(23)));
         }},
        {"a card's delete stopped after the card's row",
         kAttached + QStringLiteral("DELETE FROM SceneCard WHERE SceneCardID = 23;"),
         [&](Screenplaydb& story) {
             EXPECT_EQ(story.sceneCardForSceneCardID(23), nullptr);
             EXPECT_TRUE(std::none_of(story.sceneCardCharacters().begin(), story.sceneCardCharacters().end(),
                                      gone(23)));
             EXPECT_TRUE(story.sceneCardObjects().empty());
             // The set-up paid off on card 36 still names card 23, which is gone.
             EXPECT_EQ(indicatorTip(story, 36, SceneCardIndicator::Payoffs),
                       QStringLiteral("Pay-offs In Scene\nPAY-OFF: Ruth fires the flare into the cornice and brings "
                                      "the snow down between Voss and Mikey.\nSET-UP: The flare gun in the cab: \"for "
                                      "avalanches, not for show.\""));
             const std::optional<QString> partnered = indicatorTip(story, 21, SceneCardIndicator::Payoffs);
             ASSERT_TRUE(partnered);
             EXPECT_TRUE(partnered->contains(QStringLiteral(" IN: INT. PLOUGH CAB - NIGHT (p. ")))
                 << partnered->toStdString();
         }},
        {"a set-up whose pay-off's delete stopped after the pay-off's row",
         QStringLiteral("DELETE FROM ScenePayoff WHERE ScenePayoffID = 5"),
         [](Screenplaydb& story) {
             const SceneSetupdb* setup = story.setupForSetupID(5);
             ASSERT_NE(setup, nullptr);
             EXPECT_EQ(setup->scenePayoffID(), 0);
             const SceneCarddb* card = story.sceneCardForSceneCardID(1);
             ASSERT_NE(card, nullptr);
             const auto indicators = indicatorsOfCard(story, *card);
             EXPECT_TRUE(std::any_of(indicators.begin(), indicators.end(), [](const SceneCardIndicator& shown) {
                 return shown.imageName == QLatin1String("SetupsWithOutPayoffs");
             }));
         }},
        {"a deleted location, its attachment links kept",
         kAttached + QStringLiteral("DELETE FROM SceneLocation WHERE SceneLocationID = 5;"
                                    "UPDATE SceneCard SET SceneLocationID = 0 WHERE SceneLocationID = 5;"),
         [](Screenplaydb& story) {
             EXPECT_EQ(story.locationForLocationID(5), nullptr);
             EXPECT_TRUE(story.sceneLocationObjects().empty());
             EXPECT_EQ(indicatorTip(story, 11, SceneCardIndicator::Location), std::nullopt);
         }},
        {"a location's delete stopped after the location's row",
         QStringLiteral("DELETE FROM SceneLocation WHERE SceneLocationID = 5"),
         [](Screenplaydb& story) {
             EXPECT_EQ(story.locationForLocationID(5), nullptr);
             EXPECT_EQ(indicatorTip(story, 11, SceneCardIndicator::Location), QString());
             EXPECT_EQ(indicatorTip(story, 20, SceneCardIndicator::Location), QStringLiteral("Dam Service Tunnel"));
         }},
        {"attachment links of a character who is gone",
         kAttached + QStringLiteral("DELETE FROM SceneCardCharacter WHERE CharacterID = 5;"
                                    "DELETE FROM Character WHERE CharacterID = 5;"),
         [](Screenplaydb& story) {
             EXPECT_EQ(story.characterForCharacterID(5), nullptr);
             ASSERT_EQ(story.characterObjects().size(), 1u);
             for (const auto& character : story.characters())
                 EXPECT_TRUE(character->characterObjects().empty());
         }},
        {"49 checklist questions", QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber > 49"),
         [](Screenplaydb& story) { EXPECT_EQ(story.greenlightChecklistQuestions().size(), 49u); }},
        {"51 checklist questions", QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber > 51"),
         [](Screenplaydb& story) { EXPECT_EQ(story.greenlightChecklistQuestions().size(), 51u); }},
        {"no beats", QStringLiteral("DELETE FROM Beat"),
         [](Screenplaydb& story) {
             EXPECT_TRUE(story.beats().empty());
             EXPECT_EQ(story.progressStage(), 2);
         }},
        {"fourteen beats", QStringLiteral("DELETE FROM Beat WHERE BeatNumber = 15"),
         [](Screenplaydb& story) { EXPECT_EQ(story.beats().size(), 14u); }},
        {"a card of a negative id and set-ups and pay-offs on cards the story never held",
         QStringLiteral("INSERT INTO SceneCard (SceneCardID, ScreenplayID, Heading, OnBoard, CurrentBeatSection, "
                        "SortOrder) SELECT -4, ScreenplayID, 'EXT. RIDGE - DAY', 1, 3, 99 FROM Screenplay;"
                        "UPDATE SceneSetup SET SceneCardID = -7, ScenePayoffID = 77 WHERE SceneSetupID = 6;"
                        "UPDATE ScenePayoff SET SceneCardID = 999 WHERE ScenePayoffID = 4;"
                        "UPDATE ScenePayoff SET SceneCardID = -4 WHERE ScenePayoffID = 3;"),
         [](Screenplaydb& story) {
             EXPECT_NE(story.sceneCardForSceneCardID(-4), nullptr);
             const SceneSetupdb* setup = story.setupForSetupID(6);
             ASSERT_NE(setup, nullptr);
             EXPECT_EQ(setup->sceneCardID(), -7);
             EXPECT_EQ(setup->scenePayoffID(), 0);
             // The set-up of card 22 is paid off on no card of the story.
             EXPECT_EQ(indicatorTip(story, 22, SceneCardIndicator::Setups),
                       QStringLiteral("Set-ups In Scene\nSET-UP: Mikey's new road cameras, which Ruth dismisses.\n"
                                      "PAY-OFF: Mikey's cameras show the SUV heading for the dam service tunnel."));
         }},
        {.name = "a new story whose making stopped before its row was made",
         .shows = newStory("Sample - Kessler Pass"),
         .fromTemplate = true,
         .edit = typeTitle,
         .reopened = newStory("Whiteout"),
         // As a new story's: zoomed, the title field holding the title.
         .window =
             [](MyDocument& document) {
                 EXPECT_TRUE(document.window()->isMaximized());
                 EXPECT_EQ(document.titleLoglineView()->tfTitle()->text(), "Sample - Kessler Pass");
             }},
        // Keys are used again: a record made after a delete may take the key of the one deleted,
        // and the links the delete did not load then name it; a link may also name an attachment
        // or a character that is gone while its owner is there. Such a link is left out.
        {.name = "a location made under the key of a deleted one, its attachment link naming a deleted attachment",
         .sql = QStringLiteral(
             "INSERT INTO AttachedObject (ScreenplayID, Title, ObjectType, FileName) SELECT ScreenplayID, "
             "'Tunnel map', 1, 'tunnel.png' FROM Screenplay;"
             "INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID, Description, PrimaryDisplayFlag) "
             "SELECT 6, max(AttachedObjectID), '', 1 FROM AttachedObject;"
             // The location deleted: its links stay.
             "DELETE FROM SceneLocation WHERE SceneLocationID = 6;"
             "UPDATE SceneCard SET SceneLocationID = 0 WHERE SceneLocationID = 6;"
             // Opened again, the links are not loaded, and the attachment's delete takes only
             // the links that were.
             "DELETE FROM AttachedObject;"
             // A new location takes the key 6 again.
             "INSERT INTO SceneLocation (ScreenplayID, Location, Description, Notes) SELECT ScreenplayID, "
             "'Spillway', '', '' FROM Screenplay;"),
         .shows =
             [](Screenplaydb& story) {
                 const SceneLocationdb* spillway = story.locationForLocationID(6);
                 ASSERT_NE(spillway, nullptr);
                 EXPECT_EQ(spillway->location(), "Spillway");
                 EXPECT_TRUE(spillway->locationObjects().empty());
                 EXPECT_TRUE(story.sceneLocationObjects().empty());
             },
         .window = [](MyDocument& document) { EXPECT_EQ(attachmentRowsOfLocation(document, 6), 0); }},
        {.name = "a card made under the key of a deleted one, its links naming a deleted character and attachment",
         .sql = QStringLiteral(
             "INSERT INTO AttachedObject (ScreenplayID, Title, ObjectType, FileName) SELECT ScreenplayID, "
             "'Dam plans', 1, 'plans.png' FROM Screenplay;"
             "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID, Description, PrimaryDisplayFlag) "
             "SELECT 40, max(AttachedObjectID), '', 1 FROM AttachedObject;"
             // Card 40's delete stopped after the card's row: its links to Voss and the plans stay.
             "DELETE FROM SceneCard WHERE SceneCardID = 40;"
             // Voss and the plans deleted with the links that were loaded.
             "DELETE FROM SceneCardCharacter WHERE CharacterID = 5 AND SceneCardID <> 40;"
             "DELETE FROM Character WHERE CharacterID = 5;"
             "DELETE FROM AttachedObject;"
             // A new card takes the key 40 again.
             "INSERT INTO SceneCard (ScreenplayID, Heading, OnBoard) SELECT ScreenplayID, 'EXT. SPILLWAY - DAWN', 2 "
             "FROM Screenplay;"),
         .shows =
             [](Screenplaydb& story) {
                 const SceneCarddb* card = story.sceneCardForSceneCardID(40);
                 ASSERT_NE(card, nullptr);
                 EXPECT_EQ(card->heading(), "EXT. SPILLWAY - DAWN");
                 EXPECT_TRUE(std::none_of(story.sceneCardCharacters().begin(), story.sceneCardCharacters().end(),
                                          [](const auto& link) { return link->characterID() == 5; }));
                 EXPECT_TRUE(story.sceneCardObjects().empty());
                 EXPECT_EQ(indicatorTip(story, 40, SceneCardIndicator::Characters), std::nullopt);
             },
         .window = [](MyDocument& document) { EXPECT_EQ(linkedRowsOfCard(document, 40), std::make_pair(0, 0)); }},
        {.name = "links of cards that are there to a character and an attachment that are gone, and a character's",
         .sql = kAttached + QStringLiteral("UPDATE SceneCardCharacter SET CharacterID = 9999 WHERE rowid = (SELECT "
                                           "min(rowid) FROM SceneCardCharacter);"
                                           "UPDATE SceneCardObject SET AttachedObjectID = 902;"
                                           "INSERT INTO CharacterObject (CharacterID, AttachedObjectID, Description, "
                                           "PrimaryDisplayFlag) VALUES (5, 902, '', 1);"),
         .shows =
             [](Screenplaydb& story) {
                 EXPECT_EQ(indicatorTip(story, 1, SceneCardIndicator::Characters), std::nullopt);
                 EXPECT_TRUE(story.sceneCardObjects().empty());
                 ASSERT_EQ(story.characterObjects().size(), 1u);
                 EXPECT_EQ(story.characterForCharacterID(5)->characterObjects().size(), 1u);
             },
         .window =
             [](MyDocument& document) {
                 EXPECT_EQ(linkedRowsOfCard(document, 1).first, 0);
                 EXPECT_EQ(linkedRowsOfCard(document, 23).second, 0);
                 // Two rows a link: the one to the map alone.
                 EXPECT_EQ(attachmentRowsOfCharacter(document, 5), 2);
             }},
        // Damage: no operation writes these.
        {.name = "no story row, and a card",
         .sql = QStringLiteral("INSERT INTO SceneCard (ScreenplayID, Heading, OnBoard) VALUES (1, 'INT. CAB', 1)"),
         .refusal = "The story's own row is missing, yet the file holds rows of the table SceneCard.",
         .fromTemplate = true},
        {.name = "no story row, and rows that name no story: script paragraphs, formats, set-ups, pay-offs, links",
         .sql = QStringLiteral("INSERT INTO ScriptElement (ElementType) VALUES ('Action');"
                               "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) VALUES "
                               "(3, 1, 1, 'Snow.');"
                               "INSERT INTO SceneSetup (SceneCardID, SceneSetup, ScenePayoffID) VALUES "
                               "(3, 'A flare', 1);"
                               "INSERT INTO ScenePayoff (SceneCardID, ScenePayoff) VALUES (4, 'The flare');"
                               "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (3, 2);"
                               "INSERT INTO CharacterObject (CharacterID, AttachedObjectID) VALUES (2, 5);"),
         .refusal = "The story's own row is missing, yet the file holds rows of the table ScriptPart.",
         .fromTemplate = true},
        {.name = "two story rows",
         .sql = QStringLiteral("INSERT INTO Screenplay (ScreenplayTitle) SELECT ScreenplayTitle FROM Screenplay"),
         .refusal = "The file holds more than one story.",
         .reason = "is not a Vantora story."},
        {"a beat numbered twice", QStringLiteral("UPDATE Beat SET BeatNumber = 2 WHERE BeatNumber = 3"), nullptr,
         "A beat of the story is numbered twice or outside 1 to 15."},
        {"a sixteenth beat",
         QStringLiteral("INSERT INTO Beat (ScreenplayID, BeatNumber) SELECT ScreenplayID, 16 FROM Screenplay"), nullptr,
         "A beat of the story is numbered twice or outside 1 to 15."},
        {"a checklist question numbered twice",
         QStringLiteral("UPDATE GreenlightChecklistQuestion SET QuestionNumber = 7 WHERE QuestionNumber = 8"), nullptr,
         "A question of the greenlight checklist is numbered twice or outside 1 to 55."},
        {"50 checklist questions, the last five among them",
         QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber BETWEEN 46 AND 50"), nullptr,
         "The greenlight checklist holds 50 questions that are not numbered 1 to 50."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        fakes_.alerts->shown.clear();
        const SampleCopy copy{QStringLiteral("Sample - Kessler Pass.vtrsf")};
        if (test.fromTemplate) {
            ASSERT_TRUE(StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), copy.path()));
        }
        if (!test.sql.isEmpty())
            copy.exec(test.sql);
        const StoredTables before = tablesButTheStoryRow(copy.path());
        const QByteArray bytes = bytesOf(copy.path());
        MyDocument* document = controller().openDocument(copy.path());
        settle();
        if (test.refusal) {
            EXPECT_EQ(document, nullptr);
            ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
            const QString message = fakes_.alerts->shown[0].message;
            EXPECT_TRUE(message.startsWith(QStringLiteral("\u201cSample - Kessler Pass.vtrsf\u201d %1\n\n%2")
                                               .arg(QString::fromUtf8(test.reason), QString::fromUtf8(test.refusal))))
                << message.toStdString();
            EXPECT_EQ(bytesOf(copy.path()), bytes);
            continue;
        }
        ASSERT_NE(document, nullptr);
        EXPECT_TRUE(fakes_.alerts->shown.empty()) << fakes_.alerts->shown[0].message.toStdString();
        test.shows(*document->currentScreenplay());
        if (test.window)
            test.window(*document);
        if (test.edit)
            test.edit(*document);
        document->window()->close();
        settle();
        EXPECT_EQ(controller().documentCount(), 0u);
        // Opening wrote nothing but the story's row; a new story cut short got its first rows.
        const StoredTables closed = tablesButTheStoryRow(copy.path());
        if (!test.fromTemplate)
            expectSameTables(before, closed);
        if (test.reopened) {
            document = controller().openDocument(copy.path());
            ASSERT_NE(document, nullptr);
            settle();
            EXPECT_TRUE(fakes_.alerts->shown.empty()) << fakes_.alerts->shown[0].message.toStdString();
            test.reopened(*document->currentScreenplay());
            document->window()->close();
            settle();
            expectSameTables(closed, tablesButTheStoryRow(copy.path()));
        }
    }
}

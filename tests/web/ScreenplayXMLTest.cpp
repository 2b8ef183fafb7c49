#include "web/ScreenplayXML.h"

#include "model/Beatdb.h"
#include "model/ColorCodedb.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "platform/FakePlatform.h"
#include "support/StoryFixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

const QString kVersion = QStringLiteral("3.1");

// The frame up to the colour legend, the same for every story.
const QString kOpening = QStringLiteral(
    "<SCREENPLAY><PLATFORM>MAC</PLATFORM><VERSION>3.1</VERSION><OWNERSERIALNUMBER></OWNERSERIALNUMBER>"
    "<OWNERFIRSTNAME></OWNERFIRSTNAME><OWNERLASTNAME></OWNERLASTNAME><RETURNDESTINATION></RETURNDESTINATION>"
    "<REVIEWTYPE></REVIEWTYPE>");

// The ten colour codes a new story starts with.
const QString kNewStoryLegend = QStringLiteral(
    "<COLORLEGEND>"
    "<COLORCODE><RED>255</RED><GREEN>0</GREEN><BLUE>0</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>255</RED><GREEN>128</GREEN><BLUE>128</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>255</RED><GREEN>156</GREEN><BLUE>108</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>255</RED><GREEN>255</GREEN><BLUE>128</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>128</RED><GREEN>255</GREEN><BLUE>255</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>102</RED><GREEN>179</GREEN><BLUE>255</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>0</RED><GREEN>0</GREEN><BLUE>255</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>128</RED><GREEN>255</GREEN><BLUE>128</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>255</RED><GREEN>128</GREEN><BLUE>192</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "<COLORCODE><RED>255</RED><GREEN>128</GREEN><BLUE>192</BLUE><ALPHA>255</ALPHA></COLORCODE>"
    "</COLORLEGEND>");

struct Part {
    const char* type;
    const char* text;
};

class ScreenplayXMLTest : public ::testing::Test
{
public:
    void SetUp() override { fakes_ = FakePlatform::install(home_.path()); }

    Screenplaydb& story() { return file_.story(); }

    SceneCarddb& addCard(const QString& heading, std::int64_t onBoard, const std::vector<Part>& parts)
    {
        auto card = std::make_unique<SceneCarddb>();
        card->setScreenplayID(story().screenplayID());
        card->setHeading(heading);
        card->setOnBoard(onBoard);
        card->insertIntoDatabase(&story());
        std::int64_t order = 0;
        for (const Part& part : parts) {
            ScriptPartdb row;
            row.setSceneCardID(card->sceneCardID());
            row.setSortOrder(++order);
            row.setElementTypeID(story().elementForElementType(QString::fromUtf8(part.type))->scriptElementID());
            row.setScriptText(QString::fromUtf8(part.text));
            row.insertIntoDatabase(&story());
        }
        auto& list = onBoard == 1 ? story().sceneCards() : story().litterBox();
        list.push_back(std::move(card));
        return *list.back();
    }

    void addColorCode(std::int64_t red, std::int64_t green, std::int64_t blue)
    {
        auto code = std::make_unique<ColorCodedb>();
        code->setScreenplayID(story().screenplayID());
        code->setRedValue(red);
        code->setGreenValue(green);
        code->setBlueValue(blue);
        code->insertIntoDatabase(&story());
        story().colorCodes().push_back(std::move(code));
    }

    void addSetup(std::int64_t sceneCardID, const QString& text, std::int64_t payoffID)
    {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneCardID(sceneCardID);
        setup->setSceneSetup(text);
        setup->setScenePayoffID(payoffID);
        setup->insertIntoDatabase(&story());
        story().sceneSetups().push_back(std::move(setup));
    }

    void addPayoff(std::int64_t sceneCardID, const QString& text)
    {
        auto payoff = std::make_unique<ScenePayoffdb>();
        payoff->setSceneCardID(sceneCardID);
        payoff->setScenePayoff(text);
        payoff->insertIntoDatabase(&story());
        story().scenePayoffs().push_back(std::move(payoff));
    }

    QTemporaryDir home_;
    FakePlatform fakes_;
    NewStory file_;
};

TEST_F(ScreenplayXMLTest, ANewStoryGivesItsFrameBeatsAndEmptyLists)
{
    const QString expected = kOpening + kNewStoryLegend
                             + QStringLiteral(
                                 "<TITLE>Awesome Screenplay</TITLE><LOGLINE></LOGLINE><GENRE></GENRE>"
                                 "<FORMWIDTH>1024</FORMWIDTH><BEAT1></BEAT1><BEAT2></BEAT2><BEAT3></BEAT3>"
                                 "<BEAT4></BEAT4><BEAT5></BEAT5><BEAT6></BEAT6><BEAT7></BEAT7><BEAT8></BEAT8>"
                                 "<BEAT9></BEAT9><BEAT10></BEAT10><BEAT11></BEAT11><BEAT12></BEAT12>"
                                 "<BEAT13></BEAT13><BEAT14></BEAT14><BEAT15></BEAT15><PAGECOUNT>110</PAGECOUNT>"
                                 "<SCENECARDS></SCENECARDS><SETUPS></SETUPS><PAYOFFS></PAYOFFS></SCREENPLAY>");
    EXPECT_EQ(ScreenplayXML::createScreenplayXMLFor(story(), kVersion), expected);
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(ScreenplayXMLTest, AFullStoryGivesEveryCardScriptLineSetUpAndPayOff)
{
    story().setScreenplayTitle(QStringLiteral("Tom & <Jerry>"));
    story().setGenre(QStringLiteral("Science Fiction"));
    story().setParentWindowWidth(1280);
    story().currentLogline()->setLogline(QStringLiteral("A cat chases a mouse."));
    story().beatForBeatNumber(1)->setDescription(QStringLiteral("The cat naps."));
    story().beatForBeatNumber(15)->setDescription(QStringLiteral("Peace, at last\nfor now."));
    // Two codes past the tenth are not written.
    addColorCode(1, 2, 3);
    addColorCode(4, 5, 6);

    SceneCarddb& kitchen = addCard(QStringLiteral("INT. KITCHEN - DAY"), 1,
                                   {{"Scene Heading", "INT. KITCHEN - DAY"},
                                    {"Action", "Tom stalks."},
                                    {"Character", "JERRY"},
                                    {"Parenthetical", "JERRY\n(whispering)"},
                                    {"Dialogue", "JERRY\nNot today."},
                                    {"DDL-Character", "TOM"},
                                    {"DDR-Dialogue", "Got you!"},
                                    {"DDL-Parenthetical", "(loud)"},
                                    {"Transition", "CUT TO:"}});
    kitchen.setDescription(QStringLiteral("The chase & the fall"));
    kitchen.setNotes(QStringLiteral("Keep it short"));
    kitchen.setEmotionalChange(QStringLiteral("+/-"));
    kitchen.setConflict(QStringLiteral("Cat vs mouse"));
    kitchen.setPageNumber(12);
    kitchen.setPositionLeft(-40);
    kitchen.setPositionTop(160);
    kitchen.setPercentageHorizontal(0.25f);
    kitchen.setColorLegend1ID(3);
    kitchen.setColorLegend4ID(7);
    story().setBoardZoomFactor(2);
    SceneCarddb& garden = addCard(QStringLiteral("EXT. GARDEN - NIGHT"), 1, {});
    garden.setPageNumber(30);
    garden.setPositionLeft(700);
    garden.setPositionTop(20);
    garden.setPercentageHorizontal(1.0f);
    garden.setColorLegend6ID(2);
    SceneCarddb& cellar = addCard(QStringLiteral("INT. CELLAR"), 2, {{"Action", "Dust."}});
    cellar.setNotes(QString());

    addPayoff(kitchen.sceneCardID(), QStringLiteral("The trap snaps"));
    addPayoff(0, QStringLiteral("Loose pay-off"));
    addSetup(garden.sceneCardID(), QStringLiteral("A trap is set"), 1);
    addSetup(0, QStringLiteral("Loose set-up"), 0);
    addSetup(kitchen.sceneCardID(), QStringLiteral("Cheese <bait>"), 0);

    const QString expected =
        kOpening + kNewStoryLegend
        + QStringLiteral(
            "<TITLE>Tom & <Jerry></TITLE><LOGLINE>A cat chases a mouse.</LOGLINE><GENRE>Science Fiction</GENRE>"
            "<FORMWIDTH>1280</FORMWIDTH><BEAT1>The cat naps.</BEAT1><BEAT2></BEAT2><BEAT3></BEAT3>"
            "<BEAT4></BEAT4><BEAT5></BEAT5><BEAT6></BEAT6><BEAT7></BEAT7><BEAT8></BEAT8>"
            "<BEAT9></BEAT9><BEAT10></BEAT10><BEAT11></BEAT11><BEAT12></BEAT12>"
            "<BEAT13></BEAT13><BEAT14></BEAT14><BEAT15>Peace, at last\nfor now.</BEAT15><PAGECOUNT>110</PAGECOUNT>"
            "<SCENECARDS>"
            "<SCENECARD><SCENECARDID>1</SCENECARDID><HEADING>INT. KITCHEN - DAY</HEADING>"
            "<DESCRIPTION>The chase & the fall</DESCRIPTION><NOTES>Keep it short</NOTES>"
            "<EMOTIONALCHANGE>+/-</EMOTIONALCHANGE><CONFLICT>Cat vs mouse</CONFLICT><PAGENUMBER>12</PAGENUMBER>"
            "<POSITIONLEFT>-40</POSITIONLEFT><POSITIONTOP>160</POSITIONTOP><POSITIONWIDTH>248</POSITIONWIDTH>"
            "<COLORKEY>3</COLORKEY><COLORKEY2>0</COLORKEY2><COLORKEY3>0</COLORKEY3><COLORKEY4>7</COLORKEY4>"
            "<COLORKEY5>0</COLORKEY5><COLORKEY6>0</COLORKEY6><POSITIONPERCENTAGE>0.250000</POSITIONPERCENTAGE>"
            "<SCRIPT>INT. KITCHEN - DAY\n\nTom stalks.\n\n-JERRY\n--(whispering)\n--Not today.\n\n-TOM\n"
            "--Got you!\n\n--(loud)\nCUT TO:\n\n</SCRIPT><ONBOARD>1</ONBOARD></SCENECARD>"
            "<SCENECARD><SCENECARDID>2</SCENECARDID><HEADING>EXT. GARDEN - NIGHT</HEADING>"
            "<DESCRIPTION>Scene Description</DESCRIPTION><NOTES></NOTES>"
            "<EMOTIONALCHANGE>Emotional Change</EMOTIONALCHANGE><CONFLICT>Conflict</CONFLICT>"
            "<PAGENUMBER>30</PAGENUMBER><POSITIONLEFT>700</POSITIONLEFT><POSITIONTOP>20</POSITIONTOP>"
            "<POSITIONWIDTH>248</POSITIONWIDTH><COLORKEY>0</COLORKEY><COLORKEY2>0</COLORKEY2><COLORKEY3>0</COLORKEY3>"
            "<COLORKEY4>0</COLORKEY4><COLORKEY5>0</COLORKEY5><COLORKEY6>2</COLORKEY6>"
            "<POSITIONPERCENTAGE>1.000000</POSITIONPERCENTAGE><SCRIPT></SCRIPT><ONBOARD>1</ONBOARD></SCENECARD>"
            "<SCENECARD><SCENECARDID>3</SCENECARDID><HEADING>INT. CELLAR</HEADING>"
            "<DESCRIPTION>Scene Description</DESCRIPTION><NOTES></NOTES>"
            "<EMOTIONALCHANGE>Emotional Change</EMOTIONALCHANGE><CONFLICT>Conflict</CONFLICT>"
            "<PAGENUMBER>0</PAGENUMBER><POSITIONLEFT>0</POSITIONLEFT><POSITIONTOP>0</POSITIONTOP>"
            "<POSITIONWIDTH>248</POSITIONWIDTH><COLORKEY>0</COLORKEY><COLORKEY2>0</COLORKEY2><COLORKEY3>0</COLORKEY3>"
            "<COLORKEY4>0</COLORKEY4><COLORKEY5>0</COLORKEY5><COLORKEY6>0</COLORKEY6>"
            "<POSITIONPERCENTAGE>0.000000</POSITIONPERCENTAGE><SCRIPT>Dust.\n\n</SCRIPT><ONBOARD>0</ONBOARD>"
            "</SCENECARD></SCENECARDS>"
            "<SETUPS><SETUP><SCENESETUPID>1</SCENESETUPID><SCENECARDID>2</SCENECARDID>"
            "<SCENESETUP>A trap is set</SCENESETUP><PAYOFFID>1</PAYOFFID></SETUP>"
            "<SETUP><SCENESETUPID>3</SCENESETUPID><SCENECARDID>1</SCENECARDID>"
            "<SCENESETUP>Cheese <bait></SCENESETUP><PAYOFFID>0</PAYOFFID></SETUP></SETUPS>"
            "<PAYOFFS><PAYOFF><SCENEPAYOFFID>1</SCENEPAYOFFID><SCENECARDID>1</SCENECARDID>"
            "<SCENEPAYOFF>The trap snaps</SCENEPAYOFF></PAYOFF></PAYOFFS></SCREENPLAY>");
    EXPECT_EQ(ScreenplayXML::createScreenplayXMLFor(story(), kVersion).toStdString(), expected.toStdString());
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(ScreenplayXMLTest, AFailureWhileWritingIsAlertedAndYieldsNoText)
{
    struct Row {
        const char* name;
        std::function<void(ScreenplayXMLTest&)> damage;
        QString reasonPart;
    };
    const Row rows[] = {
        {"no current logline",
         [](ScreenplayXMLTest& t) { t.story().currentLogline()->setCurrentLoglineFlag(0); },
         QStringLiteral("logline")},
        {"script paragraphs that cannot be read",
         [](ScreenplayXMLTest& t) {
             t.addCard(QStringLiteral("INT. HALL"), 1, {});
             t.file_.exec(QStringLiteral("DROP TABLE ScriptPart"));
         },
         QStringLiteral("ScriptPart")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScreenplayXMLTest& fixture = *this;
        file_.reopen();
        fakes_.alerts->shown.clear();
        row.damage(fixture);
        EXPECT_EQ(ScreenplayXML::createScreenplayXMLFor(story(), kVersion), QString());
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Upload Error Preparing File"));
        EXPECT_TRUE(fakes_.alerts->shown[0].message.contains(row.reasonPart))
            << fakes_.alerts->shown[0].message.toStdString();
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, QStringLiteral("OK"));
    }
}

} // namespace

#include "BoardFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/BaseTextField.h"
#include "board/BoardImages.h"
#include "board/BoardView.h"
#include "board/ColorCodeSelector.h"
#include "board/SceneCardView.h"
#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "panes/ModalDialogs.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Frames of the card's fields at one zoom factor as the view places them (top-down).
struct ExpectedFrames {
    int zoom;
    QSize card;
    QRect heading;
    QRect pageNumber;
    QRect description;
    QRect conflict;
    QRect emotionalChangeType;
    QRect descriptionTab;
    int fontSize;
};

} // namespace

class SceneCardViewTest : public BoardFixture
{
protected:
    // A story with one card on the board, open.
    MyDocument* openWithCard(const CardSpec& spec = CardSpec{}, const QString& assignments = QString())
    {
        path_ = story(QStringLiteral("Card"), {spec, CardSpec{}}, assignments);
        keys_ = cardKeys(path_);
        document_ = open(path_);
        return document_;
    }

    SceneCardView* view() { return cardView(*document_, keys_[0]); }
    SceneCarddb* scene() { return card(*document_, keys_[0]); }
    QString column(const QString& name)
    {
        return stored(path_, QStringLiteral("SELECT %1 FROM SceneCard WHERE SceneCardID = %2").arg(name).arg(keys_[0]));
    }

    // Types into a field and ends its edit as leaving the field would.
    static void edit(QLineEdit* field, const QString& text)
    {
        field->setText(text);
        emit field->editingFinished();
    }

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
};

// --- Layout by zoom ----------------------------------------------------------------------------

TEST_F(SceneCardViewTest, FieldsTakeTheFramesAndFontsOfEachZoom)
{
    const ExpectedFrames zooms[] = {
        {1, {270, 148}, {8, 25, 222, 20}, {229, 25, 41, 20}, {8, 44, 247, 66}, {48, 128, 222, 20}, {8, 109, 41, 20},
         {254, 44, 16, 34}, 12},
        {2, {292, 162}, {8, 25, 241, 22}, {248, 25, 44, 22}, {8, 46, 269, 74}, {48, 140, 244, 22}, {8, 119, 41, 22},
         {276, 46, 16, 38}, 14},
        {3, {315, 176}, {8, 25, 263, 23}, {269, 25, 46, 23}, {8, 47, 290, 85}, {48, 153, 267, 23}, {8, 131, 41, 23},
         {297, 47, 18, 44}, 15},
        {4, {360, 202}, {8, 25, 304, 23}, {311, 25, 49, 23}, {8, 47, 335, 111}, {48, 179, 312, 23}, {8, 157, 41, 23},
         {342, 47, 18, 57}, 16},
    };
    ASSERT_NE(openWithCard(), nullptr);
    Screenplaydb* screenplay = document_->currentScreenplay();
    for (const ExpectedFrames& expected : zooms) {
        SCOPED_TRACE(expected.zoom);
        screenplay->setBoardZoomFactor(expected.zoom);
        view()->setupForCurrentBoardZoomFactor();
        EXPECT_EQ(view()->view()->size(), expected.card);
        EXPECT_EQ(view()->tfHeading()->geometry(), expected.heading);
        EXPECT_EQ(view()->tfPageNumber()->geometry(), expected.pageNumber);
        // Without a thumbnail the text area spans the photo area.
        EXPECT_EQ(view()->tfDescription()->geometry(), expected.description);
        EXPECT_EQ(view()->tfConflict()->geometry(), expected.conflict);
        EXPECT_EQ(view()->lblEmotionalChangeType()->geometry(), expected.emotionalChangeType);
        EXPECT_EQ(view()->tbDescription()->geometry(), expected.descriptionTab);
        EXPECT_TRUE(view()->tfHeading()->font().bold());
        EXPECT_EQ(view()->tfHeading()->font().pixelSize(), expected.fontSize);
        EXPECT_EQ(view()->tfConflict()->font().pixelSize(), expected.fontSize);
        EXPECT_FALSE(view()->tfDescription()->font().bold());
        // The stripes: 9 wide at x = 0, the bottom one on the card's bottom edge, each overlapping
        // the one below by a point, the top one meeting the heading.
        EXPECT_EQ(view()->lblColor(6)->geometry().bottom() + 1, expected.card.height());
        EXPECT_EQ(view()->lblColor(1)->y(), expected.heading.y());
        for (int stripe = 1; stripe <= 6; ++stripe) {
            EXPECT_EQ(view()->lblColor(stripe)->x(), 0);
            EXPECT_EQ(view()->lblColor(stripe)->width(), 9);
            if (stripe < 6) {
                EXPECT_EQ(view()->lblColor(stripe)->geometry().bottom(), view()->lblColor(stripe + 1)->y());
            }
        }
    }
    // Zoom 1 on the corkboard: stripes 21 high, the bottom one 23.
    screenplay->setBoardZoomFactor(1);
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->lblColor(2)->height(), 21);
    EXPECT_EQ(view()->lblColor(6)->height(), 23);
    EXPECT_FALSE(view()->boxPhotoBackground()->isVisibleTo(view()->view()));
    // Zoom 3 in the list: stripes 25 high.
    screenplay->setBoardZoomFactor(3);
    screenplay->setBoardView(2);
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->lblColor(2)->height(), 25);
    // Any other zoom: the smallest card and size-12 text, no frames changed.
    screenplay->setBoardZoomFactor(7);
    const QRect heading = view()->tfHeading()->geometry();
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->view()->size(), QSize(270, 148));
    EXPECT_EQ(view()->tfHeading()->geometry(), heading);
    EXPECT_EQ(view()->tfHeading()->font().pixelSize(), 12);
}

// --- Edits -------------------------------------------------------------------------------------

TEST_F(SceneCardViewTest, EditedFieldsAreStoredWhenTheirEditEnds)
{
    ASSERT_NE(openWithCard(), nullptr);
    edit(view()->tfHeading(), QStringLiteral("int. kitchen - night"));
    EXPECT_EQ(column("Heading"), "INT. KITCHEN - NIGHT");
    EXPECT_EQ(view()->tfHeading()->text(), "INT. KITCHEN - NIGHT");
    edit(view()->tfHeading(), QString());
    EXPECT_EQ(column("Heading"), "SCENE HEADING");
    EXPECT_EQ(view()->tfHeading()->text(), "SCENE HEADING");

    edit(view()->tfConflict(), QStringLiteral("She lies to him"));
    EXPECT_EQ(column("Conflict"), "She lies to him");
    edit(view()->tfConflict(), QString());
    EXPECT_EQ(column("Conflict"), "Conflict");
    edit(view()->tfEmotionalChange(), QString());
    EXPECT_EQ(column("EmotionalChange"), "Emotional Change");
    EXPECT_EQ(view()->tfEmotionalChange()->text(), "Emotional Change");

    // The text area is stored when it loses the focus; Return and Tab are typed into it.
    document_->window()->activateWindow();
    view()->tfDescription()->setFocus();
    QTest::keyClicks(view()->tfDescription(), QStringLiteral("One"));
    QTest::keyClick(view()->tfDescription(), Qt::Key_Return);
    QTest::keyClick(view()->tfDescription(), Qt::Key_Tab);
    QTest::keyClicks(view()->tfDescription(), QStringLiteral("two"));
    EXPECT_TRUE(view()->tfDescription()->hasFocus());
    view()->tfDescription()->clearFocus();
    EXPECT_EQ(column("Description"), "One\n\ttwoScene Description");
}

TEST_F(SceneCardViewTest, EmptyFieldsShowTheirPlaceholdersWhenFilled)
{
    ASSERT_NE(openWithCard(), nullptr);
    scene()->setConflict(QString());
    scene()->setEmotionalChange(QString());
    scene()->setPageNumber(42);
    view()->setScene(scene());
    EXPECT_EQ(view()->tfConflict()->text(), "Conflict");
    EXPECT_EQ(view()->tfEmotionalChange()->text(), "Emotional Change");
    EXPECT_EQ(view()->tfPageNumber()->text(), "42");
}

TEST_F(SceneCardViewTest, DoubleClicksCycleTheEmotionalChangeType)
{
    ASSERT_NE(openWithCard(), nullptr);
    BaseTextField* type = view()->lblEmotionalChangeType();
    QTest::mouseClick(type, Qt::LeftButton);
    EXPECT_EQ(scene()->emotionalChangeType(), 0);
    const std::pair<int, QColor> steps[] = {{1, Qt::green}, {2, Qt::red}, {0, Qt::white}};
    for (const auto& [expected, colour] : steps) {
        QTest::mouseDClick(type, Qt::LeftButton);
        EXPECT_EQ(scene()->emotionalChangeType(), expected);
        EXPECT_EQ(column("EmotionalChangeType"), QString::number(expected));
        EXPECT_EQ(type->backgroundColor(), colour);
    }
    EXPECT_EQ(type->clickCount(), 2);
}

TEST_F(SceneCardViewTest, SwitchingTabsStoresTheTextFirst)
{
    ASSERT_NE(openWithCard(), nullptr);
    EXPECT_EQ(view()->selectedTab(), 1);
    EXPECT_EQ(view()->tfDescription()->toPlainText(), "Scene Description");
    QTest::mouseClick(view()->tbNotes(), Qt::LeftButton);
    EXPECT_EQ(view()->selectedTab(), 2);
    EXPECT_EQ(view()->tbNotes()->backgroundColor(), document_->standardBackgroundColor());
    EXPECT_EQ(view()->tbDescription()->backgroundColor(), QColor(Qt::white));
    view()->tfDescription()->setPlainText(QStringLiteral("Shoot at dusk"));
    // Clicking the tab that shows changes nothing.
    QTest::mouseClick(view()->tbNotes(), Qt::LeftButton);
    EXPECT_EQ(column("Notes"), "");
    QTest::mouseClick(view()->tbDescription(), Qt::LeftButton);
    EXPECT_EQ(column("Notes"), "Shoot at dusk");
    EXPECT_EQ(view()->selectedTab(), 1);
    EXPECT_EQ(view()->tfDescription()->toPlainText(), "Scene Description");
    view()->setSelectedTab(5);
    EXPECT_EQ(view()->selectedTab(), 1);
}

TEST_F(SceneCardViewTest, ABeatCardsDescriptionIsAlsoItsBeats)
{
    CardSpec beatCard;
    beatCard.beatCardNumber = 7;
    ASSERT_NE(openWithCard(beatCard), nullptr);
    view()->tfDescription()->setPlainText(QStringLiteral("The hero finds the map"));
    view()->controlTextDidEndEditing(view()->tfDescription());
    EXPECT_EQ(column("Description"), "The hero finds the map");
    EXPECT_EQ(stored(path_, "SELECT Description FROM Beat WHERE BeatNumber = 7"), "The hero finds the map");
    EXPECT_EQ(document_->currentScreenplay()->beatForBeatNumber(7)->description(), "The hero finds the map");

    // Notes leave the beat alone.
    view()->setSelectedTab(2);
    view()->tfDescription()->setPlainText(QStringLiteral("Only a note"));
    view()->controlTextDidEndEditing(view()->tfDescription());
    EXPECT_EQ(column("Notes"), "Only a note");
    EXPECT_EQ(stored(path_, "SELECT Description FROM Beat WHERE BeatNumber = 7"), "The hero finds the map");
}

TEST_F(SceneCardViewTest, AStripeTakesTheColourCodePickedForIt)
{
    ASSERT_NE(openWithCard(), nullptr);
    Screenplaydb* screenplay = document_->currentScreenplay();
    ASSERT_GE(screenplay->colorCodes().size(), 3u);
    const ColorCodedb* code = screenplay->colorCodes()[2].get();
    std::int64_t offered = -1;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        auto& selector = dynamic_cast<ColorCodeSelector&>(dialog);
        offered = selector.selectedColorID();
        EXPECT_EQ(selector.useMode(), ColorCodeSelector::Scene);
        selector.setSelectedColorID(code->colorCodeID());
        return 1;
    });
    QTest::mouseClick(view()->lblColor(2), Qt::LeftButton);
    ModalDialogs::setRunner({});
    EXPECT_EQ(offered, 0);
    EXPECT_EQ(scene()->colorLegend2ID(), code->colorCodeID());
    EXPECT_EQ(column("ColorLegend2ID"), QString::number(code->colorCodeID()));
    EXPECT_EQ(view()->lblColor(2)->backgroundColor(),
              QColor(static_cast<int>(code->redValue()), static_cast<int>(code->greenValue()),
                     static_cast<int>(code->blueValue()), static_cast<int>(code->alphaValue())));
    // A colour code that is gone paints the stripe transparent.
    scene()->setColorLegend3ID(999);
    view()->setColors();
    EXPECT_EQ(view()->lblColor(3)->backgroundColor().alpha(), 0);
    EXPECT_EQ(view()->lblColor(4)->backgroundColor(), QColor(Qt::white));
}

// --- Indicators --------------------------------------------------------------------------------

TEST_F(SceneCardViewTest, IndicatorsShowWhatLiesOnTheCard)
{
    ASSERT_NE(openWithCard(), nullptr);
    Screenplaydb* screenplay = document_->currentScreenplay();
    for (const QString& name : {QStringLiteral("ALICE"), QStringLiteral("BOB")}) {
        auto link = std::make_unique<SceneCardCharacterdb>();
        link->setSceneCardID(keys_[0]);
        link->setCharacterName(name);
        screenplay->sceneCardCharacters().push_back(std::move(link));
    }
    auto setup = std::make_unique<SceneSetupdb>();
    setup->setSceneCardID(keys_[0]);
    setup->setSceneSetup(QStringLiteral("the gun in the drawer"));
    screenplay->sceneSetups().push_back(std::move(setup));
    view()->configureIndicators();

    EXPECT_TRUE(view()->imgCharacters()->isVisibleTo(view()->view()));
    EXPECT_EQ(view()->imgCharacters()->geometry(), QRect(6, 1, 24, 24));
    EXPECT_EQ(view()->imgCharacters()->toolTip(), "Characters In Scene\nALICE\nBOB");
    EXPECT_FALSE(view()->imgLocation()->isVisibleTo(view()->view()));
    EXPECT_TRUE(view()->imgSetups()->isVisibleTo(view()->view()));
    EXPECT_EQ(view()->imgSetups()->x(), 35);
    EXPECT_EQ(view()->imgSetups()->pixmap().cacheKey(), boardImage("SetupsWithOutPayoffs").cacheKey());
    EXPECT_EQ(view()->imgSetups()->toolTip(), "Set-ups In Scene\nSET-UP: the gun in the drawer");
    EXPECT_FALSE(view()->imgPayoffs()->isVisibleTo(view()->view()));

    // The pay-off on the other card links up: the set-up is paid off there.
    auto payoff = std::make_unique<ScenePayoffdb>();
    payoff->setScenePayoffID(77);
    payoff->setSceneCardID(keys_[1]);
    payoff->setScenePayoff(QStringLiteral("the gun goes off"));
    screenplay->scenePayoffs().push_back(std::move(payoff));
    screenplay->sceneSetups().back()->setScenePayoffID(77);
    view()->configureIndicators();
    EXPECT_EQ(view()->imgSetups()->pixmap().cacheKey(), boardImage("SetupsWithPayoffs").cacheKey());
    EXPECT_EQ(view()->imgSetups()->toolTip(), QStringLiteral("Set-ups In Scene\nSET-UP: the gun in the drawer\n"
                                                             "PAY-OFF: the gun goes off IN: INT. ROOM - DAY (p. %1)")
                                                  .arg(card(*document_, keys_[1])->pageNumber()));

    // A location that no longer exists still shows its icon, without a name.
    scene()->setSceneLocationID(12345);
    view()->configureIndicators();
    EXPECT_TRUE(view()->imgLocation()->isVisibleTo(view()->view()));
    EXPECT_EQ(view()->imgLocation()->x(), 35);
    EXPECT_EQ(view()->imgSetups()->x(), 64);
    EXPECT_EQ(view()->imgLocation()->toolTip(), "");
}

// --- Deleting and paging -----------------------------------------------------------------------

TEST_F(SceneCardViewTest, DeletingAsksFirst)
{
    CardSpec beatCard;
    beatCard.beatCardNumber = 3;
    ASSERT_NE(openWithCard(beatCard), nullptr);
    fakes_.alerts->answers = {AlertDefaultReturn};
    view()->cmdDelete()->click();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    const AlertRequest& question = fakes_.alerts->shown.back();
    EXPECT_EQ(question.title, "Delete Scene Card");
    EXPECT_EQ(question.defaultButton, "No");
    EXPECT_EQ(question.otherButton, "Yes");
    EXPECT_TRUE(question.message.startsWith("This scene card is linked to a beat."));
    EXPECT_EQ(stored(path_, "SELECT COUNT(*) FROM SceneCard"), "2");
    ASSERT_NE(scene(), nullptr);

    fakes_.alerts->answers = {AlertOtherReturn};
    QPointer<QWidget> deletedView = view()->view();
    view()->cmdDelete()->click();
    settle();
    EXPECT_EQ(stored(path_, "SELECT COUNT(*) FROM SceneCard"), "1");
    EXPECT_EQ(card(*document_, keys_[0]), nullptr);
    EXPECT_EQ(document_->sceneCardControls().size(), 1u);
    EXPECT_TRUE(deletedView.isNull());

    // A card that is no beat's asks the other question.
    fakes_.alerts->answers = {AlertDefaultReturn};
    cardView(*document_, keys_[1])->deleteSceneCard();
    EXPECT_TRUE(fakes_.alerts->shown.back().message.startsWith("Are you sure you want to delete this scene card?"));
}

TEST_F(SceneCardViewTest, CtrlNAndCtrlPPageBetweenTheBoardsCards)
{
    path_ = story(QStringLiteral("Paging"), {CardSpec{}, CardSpec{}, CardSpec{}});
    document_ = open(path_);
    ASSERT_NE(document_, nullptr);
    Screenplaydb* screenplay = document_->currentScreenplay();
    auto control = [&](std::size_t index) {
        return document_->sceneCardControlForSceneCard(screenplay->sceneCards()[index].get());
    };
    document_->window()->activateWindow();
    control(0)->tfHeading()->setFocus();
    QTest::keyClick(control(0)->tfHeading(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(control(1)->tfHeading()->hasFocus());
    const QObjectList stack = document_->boardView()->view()->children();
    EXPECT_EQ(stack.last(), control(1)->view());
    QTest::keyClick(control(1)->tfHeading(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(control(0)->tfHeading()->hasFocus());
    // Nothing before the first card.
    QTest::keyClick(control(0)->tfHeading(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(control(0)->tfHeading()->hasFocus());
    // The keys page the cards instead of making a new story.
    EXPECT_EQ(app_->documentController().documentCount(), 1u);
}

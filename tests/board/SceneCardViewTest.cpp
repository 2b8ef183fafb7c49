#include "BoardFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
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
#include "panes/BeatsTableView.h"
#include "panes/ModalDialogs.h"
#include "platform/TypingPause.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <functional>

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

    // A click on a part of the card, at the middle of its frame.
    void click(SceneCardPart part, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(view()->view(), button, {}, view()->layout().frame(part).center());
    }

    // Replaces a one-line field's text by typing in its editor, and ends the edit with Return.
    void edit(SceneCardPart field, const QString& text)
    {
        ASSERT_TRUE(view()->beginEditing(field));
        QLineEdit* editor = view()->lineEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_EQ(view()->editor(), nullptr) << "Return ends the edit";
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
        const SceneCardLayout& layout = view()->layout();
        EXPECT_EQ(layout.heading, expected.heading);
        EXPECT_EQ(layout.pageNumber, expected.pageNumber);
        // Without a thumbnail the text area spans the photo area.
        EXPECT_EQ(layout.description, expected.description);
        EXPECT_EQ(layout.conflict, expected.conflict);
        EXPECT_EQ(layout.emotionalChangeType, expected.emotionalChangeType);
        EXPECT_EQ(layout.descriptionTab, expected.descriptionTab);
        EXPECT_TRUE(view()->fieldFont(SceneCardPart::Heading).bold());
        EXPECT_EQ(view()->fieldFont(SceneCardPart::Heading).pixelSize(), expected.fontSize);
        EXPECT_EQ(view()->fieldFont(SceneCardPart::Conflict).pixelSize(), expected.fontSize);
        EXPECT_FALSE(view()->fieldFont(SceneCardPart::Description).bold());
        // The stripes: 9 wide at x = 0, the bottom one on the card's bottom edge, each overlapping
        // the one below by a point, the top one meeting the heading.
        EXPECT_EQ(layout.stripes[5].bottom() + 1, expected.card.height());
        EXPECT_EQ(layout.stripes[0].y(), expected.heading.y());
        for (std::size_t stripe = 0; stripe < 6; ++stripe) {
            EXPECT_EQ(layout.stripes[stripe].x(), 0);
            EXPECT_EQ(layout.stripes[stripe].width(), 9);
            if (stripe < 5) {
                EXPECT_EQ(layout.stripes[stripe].bottom(), layout.stripes[stripe + 1].y());
            }
        }
        // An editor opened on a field lies over it in the field's font.
        for (const SceneCardPart field :
             {SceneCardPart::Heading, SceneCardPart::Description, SceneCardPart::Conflict}) {
            ASSERT_TRUE(view()->beginEditing(field));
            EXPECT_EQ(view()->editor()->geometry(), layout.frame(field));
            EXPECT_EQ(view()->editor()->font().pixelSize(), expected.fontSize);
            EXPECT_EQ(view()->editor()->font().bold(), field == SceneCardPart::Heading);
            view()->commitEditing();
        }
    }
    // Zoom 1 on the corkboard: stripes 21 high, the bottom one 23.
    screenplay->setBoardZoomFactor(1);
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->layout().stripes[1].height(), 21);
    EXPECT_EQ(view()->layout().stripes[5].height(), 23);
    EXPECT_FALSE(view()->layout().photoFrameShown);
    // Zoom 3 in the list: stripes 25 high.
    screenplay->setBoardZoomFactor(3);
    screenplay->setBoardView(2);
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->layout().stripes[1].height(), 25);
    // Any other zoom: the smallest card and size-12 text, no frames changed.
    screenplay->setBoardZoomFactor(7);
    const QRect heading = view()->layout().heading;
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->view()->size(), QSize(270, 148));
    EXPECT_EQ(view()->layout().heading, heading);
    EXPECT_EQ(view()->fieldFont(SceneCardPart::Heading).pixelSize(), 12);
}

// --- Edits -------------------------------------------------------------------------------------

TEST_F(SceneCardViewTest, EditedFieldsAreStoredWhenTheirEditEnds)
{
    ASSERT_NE(openWithCard(), nullptr);
    document_->window()->activateWindow();
    edit(SceneCardPart::Heading, QStringLiteral("int. kitchen - night"));
    EXPECT_EQ(column("Heading"), "INT. KITCHEN - NIGHT");
    EXPECT_EQ(view()->fieldText(SceneCardPart::Heading), "INT. KITCHEN - NIGHT");
    edit(SceneCardPart::Heading, QString());
    EXPECT_EQ(column("Heading"), "SCENE HEADING");
    EXPECT_EQ(view()->fieldText(SceneCardPart::Heading), "SCENE HEADING");

    edit(SceneCardPart::Conflict, QStringLiteral("She lies to him"));
    EXPECT_EQ(column("Conflict"), "She lies to him");
    edit(SceneCardPart::Conflict, QString());
    EXPECT_EQ(column("Conflict"), "Conflict");
    edit(SceneCardPart::EmotionalChange, QString());
    EXPECT_EQ(column("EmotionalChange"), "Emotional Change");
    EXPECT_EQ(view()->fieldText(SceneCardPart::EmotionalChange), "Emotional Change");

    // The text area is stored when it loses the focus; Return and Tab are typed into it. Its
    // placeholder is replaced by what is typed, wherever the click lands.
    QTest::mouseClick(view()->view(), Qt::LeftButton, {}, view()->layout().description.topLeft() + QPoint(3, 3));
    QPlainTextEdit* area = view()->textEditor();
    ASSERT_NE(area, nullptr);
    QTest::keyClicks(area, QStringLiteral("One"));
    QTest::keyClick(area, Qt::Key_Return);
    QTest::keyClick(area, Qt::Key_Tab);
    QTest::keyClicks(area, QStringLiteral("two"));
    EXPECT_TRUE(area->hasFocus());
    area->clearFocus();
    EXPECT_EQ(column("Description"), "One\n\ttwo");
}

TEST_F(SceneCardViewTest, EmptyFieldsShowTheirPlaceholdersWhenFilled)
{
    ASSERT_NE(openWithCard(), nullptr);
    scene()->setConflict(QString());
    scene()->setEmotionalChange(QString());
    scene()->setPageNumber(42);
    view()->setScene(scene());
    EXPECT_EQ(view()->fieldText(SceneCardPart::Conflict), "Conflict");
    EXPECT_EQ(view()->fieldText(SceneCardPart::EmotionalChange), "Emotional Change");
    EXPECT_EQ(view()->fieldText(SceneCardPart::PageNumber), "42");
}

TEST_F(SceneCardViewTest, DoubleClicksCycleTheEmotionalChangeType)
{
    ASSERT_NE(openWithCard(), nullptr);
    const QPoint type = view()->layout().emotionalChangeType.center();
    QTest::mouseClick(view()->view(), Qt::LeftButton, {}, type);
    EXPECT_EQ(scene()->emotionalChangeType(), 0);
    const std::pair<int, QColor> steps[] = {{1, Qt::green}, {2, Qt::red}, {0, Qt::white}};
    for (const auto& [expected, colour] : steps) {
        QTest::mouseDClick(view()->view(), Qt::LeftButton, {}, type);
        EXPECT_EQ(scene()->emotionalChangeType(), expected);
        EXPECT_EQ(column("EmotionalChangeType"), QString::number(expected));
        EXPECT_EQ(view()->emotionalChangeTypeColor(), colour);
    }
    EXPECT_EQ(view()->clickCount(), 2);
}

TEST_F(SceneCardViewTest, SwitchingTabsStoresTheTextFirst)
{
    ASSERT_NE(openWithCard(), nullptr);
    EXPECT_EQ(view()->selectedTab(), 1);
    EXPECT_EQ(view()->fieldText(SceneCardPart::Description), "Scene Description");
    click(SceneCardPart::NotesTab);
    EXPECT_EQ(view()->selectedTab(), 2);
    EXPECT_EQ(view()->tabBackground(2), document_->standardBackgroundColor());
    EXPECT_EQ(view()->tabBackground(1), QColor(Qt::white));
    ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
    view()->textEditor()->setPlainText(QStringLiteral("Shoot at dusk"));
    // Clicking the tab that shows changes nothing.
    click(SceneCardPart::NotesTab);
    EXPECT_EQ(column("Notes"), "");
    click(SceneCardPart::DescriptionTab);
    EXPECT_EQ(column("Notes"), "Shoot at dusk");
    EXPECT_EQ(view()->selectedTab(), 1);
    EXPECT_EQ(view()->fieldText(SceneCardPart::Description), "Scene Description");
    view()->setSelectedTab(5);
    EXPECT_EQ(view()->selectedTab(), 1);
}

TEST_F(SceneCardViewTest, ABeatCardsDescriptionIsAlsoItsBeats)
{
    CardSpec beatCard;
    beatCard.beatCardNumber = 7;
    ASSERT_NE(openWithCard(beatCard), nullptr);
    // Typed on, the card shows at once on its beat's row of the beat sheet, as tall as its text.
    const BeatsTableView& sheet = *document_->beatsTableView();
    const int row = 13;
    const int height = sheet.tvTable()->rowHeight(row);
    ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
    QTest::keyClicks(view()->textEditor(), QStringLiteral("The hero crosses the river by night. ").repeated(5));
    TypingPause::of(view()->textEditor())->flush();
    EXPECT_GT(sheet.heightOfRow(row), height);
    EXPECT_EQ(sheet.tvTable()->rowHeight(row), sheet.heightOfRow(row));
    view()->commitEditing();

    ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
    view()->textEditor()->setPlainText(QStringLiteral("The hero finds the map"));
    view()->commitEditing();
    EXPECT_EQ(column("Description"), "The hero finds the map");
    EXPECT_EQ(stored(path_, "SELECT Description FROM Beat WHERE BeatNumber = 7"), "The hero finds the map");
    EXPECT_EQ(document_->currentScreenplay()->beatForBeatNumber(7)->description(), "The hero finds the map");

    // Notes leave the beat alone.
    view()->setSelectedTab(2);
    ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
    view()->textEditor()->setPlainText(QStringLiteral("Only a note"));
    view()->commitEditing();
    EXPECT_EQ(column("Notes"), "Only a note");
    EXPECT_EQ(stored(path_, "SELECT Description FROM Beat WHERE BeatNumber = 7"), "The hero finds the map");

    // A beat that refuses the text typed: the pause writes neither the beat nor its card, and
    // memory keeps what the file keeps.
    view()->setSelectedTab(1);
    SqlProbe::exec(document_->database(), "CREATE TEMP TRIGGER refuse BEFORE UPDATE OF Description ON main.Beat "
                                          "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
    QTest::keyClicks(view()->textEditor(), QStringLiteral(" at dusk"));
    TypingPause::of(view()->textEditor())->flush();
    EXPECT_EQ(fakes_.alerts->shown.size(), 1u) << "the refusal is told";
    EXPECT_EQ(column("Description"), "The hero finds the map");
    EXPECT_EQ(scene()->description(), "The hero finds the map");
    EXPECT_EQ(stored(path_, "SELECT Description FROM Beat WHERE BeatNumber = 7"), "The hero finds the map");
    EXPECT_EQ(document_->currentScreenplay()->beatForBeatNumber(7)->description(), "The hero finds the map");
}

TEST_F(SceneCardViewTest, LookingAtABeatCardLeavesItsBeatAlone)
{
    CardSpec beatCard;
    beatCard.beatCardNumber = 7;
    ASSERT_NE(openWithCard(beatCard), nullptr);
    Beatdb* beat = document_->currentScreenplay()->beatForBeatNumber(7);
    ASSERT_NE(beat, nullptr);
    beat->setDescription(QStringLiteral("The map"));
    beat->save();
    // As the initial beat cards write it: the beat's name above its text.
    scene()->setDescription(QStringLiteral("Fun and Games\nThe map"));
    scene()->save();
    view()->setScene(scene());
    struct Row {
        const char* what;
        std::function<void()> look;
    };
    const Row rows[] = {
        {"the notes tab and back", [this] {
             click(SceneCardPart::NotesTab);
             click(SceneCardPart::DescriptionTab);
         }},
        {"the description opened and left", [this] {
             ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
             view()->commitEditing();
         }},
        {"a word typed, the pause run out, and the word taken back", [this] {
             ASSERT_TRUE(view()->beginEditing(SceneCardPart::Description));
             QPlainTextEdit* editor = view()->textEditor();
             ASSERT_NE(editor, nullptr);
             editor->moveCursor(QTextCursor::End);
             QTest::keyClicks(editor, QStringLiteral("s"));
             TypingPause::of(editor)->flush();
             QTest::keyClick(editor, Qt::Key_Backspace);
             view()->commitEditing();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.look();
        settle();
        EXPECT_EQ(stored(path_, "SELECT Description FROM Beat WHERE BeatNumber = 7"), "The map");
        EXPECT_EQ(beat->description(), "The map");
        EXPECT_EQ(column("Description"), "Fun and Games\nThe map");
        EXPECT_EQ(view()->selectedTab(), 1);
    }
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
    click(stripePart(2));
    ModalDialogs::setRunner({});
    EXPECT_EQ(offered, 0);
    EXPECT_EQ(scene()->colorLegend2ID(), code->colorCodeID());
    EXPECT_EQ(column("ColorLegend2ID"), QString::number(code->colorCodeID()));
    EXPECT_EQ(view()->stripeColor(2),
              QColor(static_cast<int>(code->redValue()), static_cast<int>(code->greenValue()),
                     static_cast<int>(code->blueValue()), static_cast<int>(code->alphaValue())));
    // A colour code that is gone paints the stripe transparent.
    scene()->setColorLegend3ID(999);
    view()->setColors();
    EXPECT_EQ(view()->stripeColor(3).alpha(), 0);
    EXPECT_EQ(view()->stripeColor(4), QColor(Qt::white));
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

    const auto shown = [this](SceneCardIndicator::Kind kind) { return shownIndicator(*view(), kind); };
    ASSERT_TRUE(shown(SceneCardIndicator::Characters));
    EXPECT_EQ(shown(SceneCardIndicator::Characters)->frame, QRect(6, 1, 24, 24));
    EXPECT_EQ(shown(SceneCardIndicator::Characters)->toolTip, "Characters In Scene\nALICE\nBOB");
    EXPECT_FALSE(shown(SceneCardIndicator::Location));
    ASSERT_TRUE(shown(SceneCardIndicator::Setups));
    EXPECT_EQ(shown(SceneCardIndicator::Setups)->frame.x(), 35);
    EXPECT_EQ(shown(SceneCardIndicator::Setups)->imageName, "SetupsWithOutPayoffs");
    EXPECT_FALSE(boardImage("SetupsWithOutPayoffs").isNull());
    EXPECT_EQ(shown(SceneCardIndicator::Setups)->toolTip, "Set-ups In Scene\nSET-UP: the gun in the drawer");
    EXPECT_FALSE(shown(SceneCardIndicator::Payoffs));

    // The pay-off on the other card links up: the set-up is paid off there.
    auto payoff = std::make_unique<ScenePayoffdb>();
    payoff->setScenePayoffID(77);
    payoff->setSceneCardID(keys_[1]);
    payoff->setScenePayoff(QStringLiteral("the gun goes off"));
    screenplay->scenePayoffs().push_back(std::move(payoff));
    screenplay->sceneSetups().back()->setScenePayoffID(77);
    view()->configureIndicators();
    EXPECT_EQ(shown(SceneCardIndicator::Setups)->imageName, "SetupsWithPayoffs");
    EXPECT_EQ(shown(SceneCardIndicator::Setups)->toolTip,
              QStringLiteral("Set-ups In Scene\nSET-UP: the gun in the drawer\n"
                             "PAY-OFF: the gun goes off IN: INT. ROOM - DAY (p. %1)")
                  .arg(card(*document_, keys_[1])->pageNumber()));

    // A location that no longer exists still shows its icon, without a name.
    scene()->setSceneLocationID(12345);
    view()->configureIndicators();
    ASSERT_TRUE(shown(SceneCardIndicator::Location));
    EXPECT_EQ(shown(SceneCardIndicator::Location)->frame.x(), 35);
    EXPECT_EQ(shown(SceneCardIndicator::Setups)->frame.x(), 64);
    EXPECT_EQ(shown(SceneCardIndicator::Location)->toolTip, "");
}

// --- Deleting and paging -----------------------------------------------------------------------

TEST_F(SceneCardViewTest, DeletingAsksFirst)
{
    CardSpec beatCard;
    beatCard.beatCardNumber = 3;
    ASSERT_NE(openWithCard(beatCard), nullptr);
    fakes_.alerts->answers = {AlertDefaultReturn};
    click(SceneCardPart::Delete);
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
    click(SceneCardPart::Delete);
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
    const auto headingHasFocus = [&](std::size_t index) {
        return control(index)->editedPart() == SceneCardPart::Heading && control(index)->lineEditor()->hasFocus();
    };
    const struct {
        const char* what;
        std::size_t from;
        bool onTheCard; // the card itself has the keyboard, its heading's edit ended by Return
        Qt::Key key;
        bool ctrlLetGoFirst; // the letter comes up without Ctrl, as a writer often types it
        std::size_t to;
    } rows[] = {
        {"Ctrl+N in a heading", 0, false, Qt::Key_N, false, 1},
        {"Ctrl+P in a heading", 1, false, Qt::Key_P, false, 0},
        {"Ctrl+P in the first card's heading: nothing before it", 0, false, Qt::Key_P, false, 0},
        {"Ctrl+N in a heading, Ctrl let go before the N", 0, false, Qt::Key_N, true, 1},
        {"Ctrl+P on the card itself, Ctrl let go before the P", 2, true, Qt::Key_P, true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(control(row.from)->beginEditing(SceneCardPart::Heading));
        if (row.onTheCard) {
            QTest::keyClick(control(row.from)->lineEditor(), Qt::Key_Return);
            ASSERT_EQ(QApplication::focusWidget(), control(row.from)->view());
        }
        QTest::keyPress(QApplication::focusWidget(), row.key, Qt::ControlModifier);
        QTest::keyRelease(QApplication::focusWidget(), row.key,
                          row.ctrlLetGoFirst ? Qt::NoModifier : Qt::ControlModifier);
        EXPECT_TRUE(headingHasFocus(row.to));
        EXPECT_EQ(document_->boardView()->view()->children().last(), control(row.to)->view());
    }
    // The keys page the cards instead of making a new story.
    EXPECT_EQ(app_->documentController().documentCount(), 1u);
}

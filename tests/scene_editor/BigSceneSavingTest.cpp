#include "BigSceneFixture.h"

#include "app/MyDocument.h"
#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"
#include "platform/TypingPause.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SmallSceneCard.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

namespace {

// Cards in board beats 1 to n, the first of them at the start of its beat.
std::vector<CardSpec> cardsInBeats(int count)
{
    std::vector<CardSpec> cards;
    for (int i = 0; i < count; ++i)
        cards.push_back(inBeat(1 + i, 0.1f));
    return cards;
}

} // namespace

class BigSceneSaving : public BigSceneFixture
{
};

TEST_F(BigSceneSaving, FieldsAreWrittenAsTheirEditEndsWithCapitalsAndPlaceholders)
{
    ASSERT_NE(openCard(cardsInBeats(2)), nullptr);
    activate();
    struct Row {
        QLineEdit* field;
        QString typed;
        const char* column;
        QString stored;
    };
    const Row rows[] = {
        {big()->tfHeading(), QStringLiteral("int. kitchen - day"), "Heading", QStringLiteral("INT. KITCHEN - DAY")},
        {big()->tfHeading(), QString(), "Heading", QStringLiteral("SCENE HEADING")},
        {big()->tfEmotionalChange(), QStringLiteral("Calm to panic"), "EmotionalChange",
         QStringLiteral("Calm to panic")},
        {big()->tfEmotionalChange(), QString(), "EmotionalChange", QStringLiteral("Emotional Change")},
        {big()->tfConflict(), QStringLiteral("The door is locked"), "Conflict", QStringLiteral("The door is locked")},
        {big()->tfConflict(), QString(), "Conflict", QStringLiteral("Conflict")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.column + (QStringLiteral(" <- ") + row.typed).toStdString());
        row.field->selectAll();
        QTest::mouseClick(row.field, Qt::LeftButton);
        row.field->selectAll();
        QTest::keyClick(row.field, Qt::Key_Delete);
        QTest::keyClicks(row.field, row.typed);
        // Return ends the edit and keeps the field.
        QTest::keyClick(row.field, Qt::Key_Return);
        EXPECT_EQ(column(QString::fromLatin1(row.column)), row.stored);
        EXPECT_EQ(row.field->text(), row.stored);
    }
    // The description may be emptied; it stays empty.
    big()->tfDescription()->setFocus();
    big()->tfDescription()->selectAll();
    QTest::keyClick(big()->tfDescription(), Qt::Key_Delete);
    big()->tfHeading()->setFocus();
    EXPECT_EQ(column(QStringLiteral("Description")), "");
}

TEST_F(BigSceneSaving, ReturnAndTabAreTypedIntoTheTextViewsAndCtrlTabLeavesThem)
{
    ASSERT_NE(openCard(cardsInBeats(1)), nullptr);
    activate();
    for (QPlainTextEdit* field : {big()->tfDescription(), big()->txtNotes()}) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("One"));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Tab);
        QTest::keyClicks(field, QStringLiteral("two"));
        EXPECT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_FALSE(field->hasFocus());
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_FALSE(field->hasFocus());
    }
    EXPECT_TRUE(big()->tabSelector(1)->hasFocus())
        << "Ctrl-Shift-Tab goes back from the notes, past the location list, to the label of their tab";
    EXPECT_EQ(column(QStringLiteral("Description")) + '|' + column(QStringLiteral("Notes")), "One\n\ttwo|One\n\ttwo");
}

TEST_F(BigSceneSaving, ABeatCardsDescriptionIsItsBeatsDescription)
{
    CardSpec beatCard = inBeat(1);
    beatCard.beatCardNumber = 3;
    ASSERT_NE(openCard({beatCard, inBeat(2)}), nullptr);
    activate();
    // The description is left at once, or after the typing pause has stored it on the card.
    struct Row {
        const char* typed;
        bool pause;
    };
    for (const Row row : {Row{"The theme is stated", false}, Row{"The theme comes back", true}}) {
        SCOPED_TRACE(row.typed);
        const QString typed = QString::fromLatin1(row.typed);
        typeInto(big()->tfDescription(), typed, Qt::Key_unknown);
        if (row.pause) {
            waitUntil([&] { return column(QStringLiteral("Description")).endsWith(typed); });
            ASSERT_TRUE(big()->tfDescription()->hasFocus());
            EXPECT_TRUE(column(QStringLiteral("Description")).endsWith(typed)) << "the pause stored the card";
        }
        big()->tfHeading()->setFocus();
        settle();
        EXPECT_TRUE(count(QStringLiteral("SELECT Description FROM Beat WHERE BeatNumber = 3")).endsWith(typed));
        EXPECT_EQ(screenplay().beatForBeatNumber(3)->description(), big()->tfDescription()->toPlainText());
    }

    // A card of no beat keeps its description to itself.
    const QString beats = count(QStringLiteral("SELECT group_concat(Description, '|') FROM Beat"));
    big()->cmdNextCard()->click();
    settle();
    big()->tfDescription()->setPlainText(QStringLiteral("Only mine"));
    big()->saveChanges(nullptr);
    EXPECT_EQ(column(QStringLiteral("Description")), "Only mine");
    EXPECT_EQ(count(QStringLiteral("SELECT group_concat(Description, '|') FROM Beat")), beats);
}

TEST_F(BigSceneSaving, PagingThroughBeatCardsWithoutTypingLeavesEveryBeatAndCardAsStored)
{
    // Beat cards as the initial beat cards make them: the beat's name above its description.
    std::vector<CardSpec> cards;
    for (int beat = 1; beat <= 6; ++beat) {
        CardSpec card = inBeat(beat);
        card.beatCardNumber = beat;
        cards.push_back(card);
    }
    ASSERT_NE(openCard(cards, 1), nullptr);
    Screenplaydb& story = screenplay();
    for (const auto& card : story.sceneCards()) {
        Beatdb* beat = story.beatForBeatNumber(card->beatCardNumber());
        ASSERT_NE(beat, nullptr);
        beat->setDescription(QStringLiteral("What beat %1 does").arg(card->beatCardNumber()));
        beat->save();
        card->setDescription(QStringLiteral("Beat %1\n").arg(card->beatCardNumber()) + beat->description());
        card->save();
    }
    big()->refreshView();
    activate();
    const QString beats = QStringLiteral("SELECT group_concat(BeatNumber || ':' || Description, '|') FROM Beat");
    const QString texts = QStringLiteral("SELECT group_concat(SceneCardID || ':' || Description || ':' || Heading "
                                         "|| ':' || EmotionalChange || ':' || Conflict || ':' || Notes, '|') FROM "
                                         "SceneCard");
    const QString beatsBefore = count(beats);
    const QString cardsBefore = count(texts);
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(page);
        QTest::mouseClick(big()->cmdNextCard(), Qt::LeftButton);
        settle();
        // Long enough for any typing pause to run out.
        QTest::qWait(TypingPause::kPauseMilliseconds + 200);
        EXPECT_EQ(count(beats), beatsBefore);
    }
    QTest::mouseClick(big()->cmdClose(), Qt::LeftButton);
    settle();
    EXPECT_EQ(count(beats), beatsBefore);
    EXPECT_EQ(count(texts), cardsBefore);
    for (int number = 1; number <= 6; ++number)
        EXPECT_EQ(story.beatForBeatNumber(number)->description(), QStringLiteral("What beat %1 does").arg(number));
}

// A beat card's description as it is typed: each pause writes the beat with the card, and the
// beat sheet shows it; a word typed and taken back gives the beat back its own text, whether
// the field is left at once or after another pause.
TEST_F(BigSceneSaving, TypingOnABeatCardWritesItsBeatAndTakingTheWordBackGivesTheBeatItsOwnText)
{
    CardSpec beatCard = inBeat(1);
    beatCard.beatCardNumber = 1;
    ASSERT_NE(openCard({beatCard, inBeat(2)}), nullptr);
    Beatdb* beat = screenplay().beatForBeatNumber(1);
    ASSERT_NE(beat, nullptr);
    beat->setDescription(QStringLiteral("The map"));
    beat->save();
    // As the initial beat cards write it: the beat's name above its text.
    const QString cardText = QStringLiteral("Opening Image\nThe map");
    boardCard(0)->setDescription(cardText);
    boardCard(0)->save();
    big()->refreshView();
    activate();
    const QTableView* beats = document_->beatsTableView() ? document_->beatsTableView()->tvTable() : nullptr;
    ASSERT_NE(beats, nullptr) << "the beat sheet shows beside the large card";
    const QString beatSql = QStringLiteral("SELECT Description FROM Beat WHERE BeatNumber = 1");
    for (const bool pauseAgain : {false, true}) {
        SCOPED_TRACE(pauseAgain ? "left after another pause" : "left at once");
        typeAfter(big()->tfDescription(), QStringLiteral("s"), Qt::Key_unknown);
        TypingPause::of(big()->tfDescription())->flush();
        EXPECT_EQ(column(QStringLiteral("Description")), cardText + 's');
        EXPECT_EQ(count(beatSql), cardText + 's');
        EXPECT_EQ(beats->model()->index(1, 1).data().toString(), cardText + 's');
        QTest::keyClick(big()->tfDescription(), Qt::Key_Backspace);
        if (pauseAgain)
            TypingPause::of(big()->tfDescription())->flush();
        big()->tfHeading()->setFocus();
        settle();
        EXPECT_EQ(column(QStringLiteral("Description")), cardText);
        EXPECT_EQ(count(beatSql), "The map");
        EXPECT_EQ(beat->description(), "The map");
        EXPECT_EQ(beats->model()->index(1, 1).data().toString(), "The map");
    }
}

TEST_F(BigSceneSaving, PagesOutsideTheStoryAreRefusedAndTheOtherFieldsAreWrittenAllTheSame)
{
    ASSERT_NE(openCard(cardsInBeats(2)), nullptr);
    activate();
    SceneCarddb* card = big()->scene();
    card->setPageNumber(5);
    card->save();
    big()->refreshView();
    const QString place = column(QStringLiteral("PositionLeft || ',' || PositionTop || ',' || CurrentBeatSection"));
    for (const QString& typed : {QStringLiteral("0"), QStringLiteral("-4"), QStringLiteral("111"),
                                 QStringLiteral("abc"), QStringLiteral("99999999999")}) {
        SCOPED_TRACE(typed.toStdString());
        fakes_.alerts->shown.clear();
        big()->tfHeading()->setText(QStringLiteral("INT. HALL - NIGHT ") + typed);
        big()->tfPageNumber()->setText(typed);
        big()->saveChanges(nullptr);
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, "Page Number");
        EXPECT_EQ(fakes_.alerts->shown[0].message, "The page number must be between 1 and 110");
        EXPECT_EQ(big()->tfPageNumber()->text(), "5");
        EXPECT_EQ(column(QStringLiteral("PageNumber")), "5");
        EXPECT_EQ(column(QStringLiteral("PositionLeft || ',' || PositionTop || ',' || CurrentBeatSection")), place);
        // The heading of the same save is in the file.
        EXPECT_EQ(column(QStringLiteral("Heading")), (QStringLiteral("INT. HALL - NIGHT ") + typed).toUpper());
    }
    // The same page again is no change and asks nothing.
    fakes_.alerts->shown.clear();
    typeInto(big()->tfPageNumber(), QStringLiteral("5"), Qt::Key_Return);
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(BigSceneSaving, ARepagedCardTakesItsPagesPlaceBesideTheCardsAlreadyThere)
{
    ASSERT_NE(openCard(cardsInBeats(4), 3), nullptr);
    Screenplaydb& story = screenplay();
    const BoardSections& sections = story.boardSections();
    const std::int64_t page = 40;
    const std::int64_t beat = sections.boardBeatSectionForPageNumber(page);
    // Two cards already on page 40: the later one along the row decides, where it shows (its
    // fraction), not where it was stored last (a board of another width).
    SceneCarddb* moved = big()->scene();
    SceneCarddb* first = boardCard(0);
    SceneCarddb* second = boardCard(1);
    for (SceneCarddb* holder : {first, second}) {
        holder->setPageNumber(page);
        holder->setCurrentBeatSection(beat);
        holder->save();
    }
    // (Page 40 spans x 733 to 785 of the second row.)
    first->setPercentageHorizontal(0.47f);
    first->setPositionLeft(770);
    second->setPercentageHorizontal(0.4744f);
    second->setPositionLeft(745);
    first->save();
    second->save();

    activate();
    typeInto(big()->tfPageNumber(), QStringLiteral("40"), Qt::Key_Return);
    const std::int64_t key = moved->sceneCardID();
    EXPECT_EQ(column(key, QStringLiteral("PageNumber")), "40");
    EXPECT_EQ(column(key, QStringLiteral("CurrentBeatSection")), QString::number(beat));
    EXPECT_EQ(column(key, QStringLiteral("PositionLeft")), "765");
    EXPECT_EQ(column(key, QStringLiteral("PositionTop")), QString::number(sections.topForBoardBeatSection(beat)));
    EXPECT_FLOAT_EQ(moved->percentageHorizontal(),
                    static_cast<float>(765 - 4) / static_cast<float>(sections.boardWidthForBoardBeatSection(beat)));
    EXPECT_EQ(big()->lblCurrentBeat()->text(), sections.beatLabelForBoardBeat(beat));
    // The board is in order again, every card numbered.
    EXPECT_EQ(count(QStringLiteral("SELECT group_concat(SortOrder) FROM (SELECT SortOrder FROM SceneCard "
                                   "ORDER BY SortOrder)")),
              "1,2,3,4");
    // The strip follows the new board order.
    settle();
    ASSERT_EQ(document_->miniSceneCardControls().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(document_->miniSceneCardControls()[i].scene(), boardCard(i));
}

TEST_F(BigSceneSaving, ACardNearTheRightEdgeStaysOnTheBoard)
{
    ASSERT_NE(openCard(cardsInBeats(2)), nullptr);
    Screenplaydb& story = screenplay();
    const BoardSections& sections = story.boardSections();
    // The last page of the first row begins near the row's end.
    const std::int64_t page = sections.section1To();
    const std::int64_t rightmost = story.boardWidth() - sections.STANDARDSCENECARDWIDTH() - 4;
    boardCard(1)->setPageNumber(page);
    boardCard(1)->setPositionLeft(rightmost - 5);
    boardCard(1)->setPercentageHorizontal(horizontalFraction(story.boardSections(), static_cast<double>(rightmost - 5), 7));
    boardCard(1)->save();
    activate();
    typeInto(big()->tfPageNumber(), QString::number(page), Qt::Key_Return);
    // No further right than its page (the row's last) reaches, which stops short of the edge.
    const std::int64_t left = column(QStringLiteral("PositionLeft")).toLongLong();
    EXPECT_LE(left, rightmost);
    EXPECT_GE(left, rightmost - 10);
    EXPECT_EQ(sections.pageNumberForPositionTop(sections.topForBoardBeatSection(1), left), page);

    // Placed alone on a page, the card stands just inside the page's start.
    SceneCarddb alone;
    alone.setSceneCardID(-1);
    placeCardOnPageBesideItsCards(story.boardSections(), alone, 2, story.sceneCards());
    EXPECT_GT(alone.positionLeft(), static_cast<std::int64_t>(sections.leftForPageNumber(2)));
    EXPECT_LE(alone.positionLeft(), static_cast<std::int64_t>(sections.leftForPageNumber(2)) + 10);
    EXPECT_EQ(sections.pageNumberForPositionTop(alone.positionTop(), alone.positionLeft()), 2);
    EXPECT_EQ(alone.currentBeatSection(), sections.boardBeatSectionForPageNumber(2));
}

TEST_F(BigSceneSaving, AnUnchangedPageKeepsTheCardsPlaceAndOrder)
{
    ASSERT_NE(openCard(cardsInBeats(3), 1), nullptr);
    const QString places = QStringLiteral("SELECT group_concat(PositionLeft || ':' || PercentageHorizontal || ':' || "
                                          "SortOrder, '|') FROM SceneCard");
    const QString before = count(places);
    activate();
    const QString page = big()->tfPageNumber()->text();
    typeInto(big()->tfPageNumber(), QString(), Qt::Key_unknown);
    big()->tfPageNumber()->setText(page);
    QTest::keyClick(big()->tfPageNumber(), Qt::Key_Return);
    EXPECT_EQ(count(places), before);
}

TEST_F(BigSceneSaving, NotesAreWrittenWhenTheirEditEnds)
{
    ASSERT_NE(openCard(cardsInBeats(1)), nullptr);
    activate();
    typeInto(big()->txtNotes(), QStringLiteral("Shoot at dawn"), Qt::Key_unknown);
    QTest::keyClick(big()->txtNotes(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(column(QStringLiteral("Notes")), "Shoot at dawn");
    EXPECT_FALSE(big()->view()->isAncestorOf(QApplication::focusWidget()))
        << "Ctrl-Tab from the last field leaves the card";
}

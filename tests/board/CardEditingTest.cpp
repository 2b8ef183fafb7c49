// Editing a painted card's fields in place, with real keys and clicks: what each way of
// opening and ending an edit writes to the story file, Escape, Tab into and out of the cards, and the
// drawing the card shares with cards shown elsewhere.
#include "BoardFixture.h"

#include "app/MyDocument.h"
#include "board/BoardView.h"
#include "board/SceneCardView.h"
#include "model/ColorCodedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

namespace {

enum class Open { ClickAtEnd, ClickAtStart, TabIntoBoard };
enum class End { Return, ClickOnOtherCard, DocumentCommits, SwitchToList, TabOn };

struct EditRow {
    const char* what;
    SceneCardPart field;
    // The field's stored text before the edit.
    QString before;
    Open open;
    QString typed;
    End end;
    const char* column;
    QString written;
};

QString columnOf(SceneCardPart field)
{
    switch (field) {
    case SceneCardPart::Heading:
        return QStringLiteral("Heading");
    case SceneCardPart::Description:
        return QStringLiteral("Description");
    case SceneCardPart::EmotionalChange:
        return QStringLiteral("EmotionalChange");
    default:
        return QStringLiteral("Conflict");
    }
}

} // namespace

class CardEditing : public BoardFixture
{
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        path_ = story(QStringLiteral("Editing"), {CardSpec{}, inBeat(2, 0.5f)});
        keys_ = cardKeys(path_);
        document_ = open(path_);
        ASSERT_NE(document_, nullptr);
        document_->window()->activateWindow();
    }

    SceneCardView* view(std::size_t index = 0) { return cardView(*document_, keys_[index]); }
    QString column(const QString& name)
    {
        return stored(path_, QStringLiteral("SELECT %1 FROM SceneCard WHERE SceneCardID = %2").arg(name).arg(keys_[0]));
    }
    void clickAt(SceneCardView* card, const QPoint& point)
    {
        QTest::mouseClick(card->view(), Qt::LeftButton, {}, point);
    }
    // Tab arrives at the board from the control before it.
    void tabIntoBoard() { document_->boardView()->view()->setFocus(Qt::TabFocusReason); }
    // The keys go to whichever editor the card has open.
    QWidget* keys() { return view()->editor(); }

    // Stores `text` in the field, as if typed before.
    void store(SceneCardPart field, const QString& text)
    {
        ASSERT_TRUE(view()->beginEditing(field));
        view()->controlTextDidEndEditing(field, text);
        view()->commitEditing();
    }

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
};

TEST_F(CardEditing, EachFieldWritesWhatWasTypedHoweverItsEditOpensAndEnds)
{
    const EditRow rows[] = {
        {"click at the end of the heading, Return", SceneCardPart::Heading, QStringLiteral("INT. ROOM - DAY"),
         Open::ClickAtEnd, QStringLiteral(" - night"), End::Return, "Heading",
         QStringLiteral("INT. ROOM - DAY - NIGHT")},
        {"typing replaces the placeholder heading and conflict", SceneCardPart::Heading, QStringLiteral("SCENE HEADING"),
         Open::TabIntoBoard, QStringLiteral("x"), End::TabOn, "Conflict", QStringLiteral("x")},
        {"a click on the placeholder text area, typed over it", SceneCardPart::Description,
         QStringLiteral("Scene Description"), Open::ClickAtEnd, QStringLiteral("Rain."), End::DocumentCommits,
         "Description", QStringLiteral("Rain.")},
        {"click before the first letter of the text area", SceneCardPart::Description, QStringLiteral("Later"),
         Open::ClickAtStart, QStringLiteral("Now. "), End::ClickOnOtherCard, "Description",
         QStringLiteral("Now. Later")},
        {"a click on the placeholder emotional change, the list shown", SceneCardPart::EmotionalChange,
         QStringLiteral("Emotional Change"), Open::ClickAtEnd, QStringLiteral("hope"), End::SwitchToList,
         "EmotionalChange", QStringLiteral("hope")},
        {"a click on the placeholder conflict, Return", SceneCardPart::Conflict, QStringLiteral("Conflict"),
         Open::ClickAtStart, QStringLiteral("at sea"), End::Return, "Conflict", QStringLiteral("at sea")},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.what);
        if (document_->currentScreenplay()->boardView() != 1)
            document_->toggleBoardView();
        store(row.field, row.before);
        if (row.open == Open::TabIntoBoard) {
            // Tab arriving at the board opens the heading, whose placeholder is selected whole.
            store(SceneCardPart::Conflict, QStringLiteral("Conflict"));
            tabIntoBoard();
            ASSERT_EQ(view()->editedPart(), SceneCardPart::Heading);
            EXPECT_EQ(view()->lineEditor()->selectedText(), "SCENE HEADING");
            QTest::keyClicks(keys(), QStringLiteral("int. ferry bridge"));
            QTest::keyClick(keys(), Qt::Key_Tab);
            EXPECT_EQ(column("Heading"), "INT. FERRY BRIDGE");
            EXPECT_EQ(view()->editor(), nullptr);
            clickAt(view(), view()->layout().conflict.center());
            ASSERT_EQ(view()->editedPart(), SceneCardPart::Conflict);
            QTest::keyClicks(keys(), row.typed);
            QTest::keyClick(keys(), Qt::Key_Tab);
            EXPECT_EQ(column(QString::fromLatin1(row.column)), row.written);
            continue;
        }
        const QRect frame = view()->layout().frame(row.field);
        switch (row.open) {
        case Open::ClickAtEnd:
            clickAt(view(), QPoint(frame.right() - 2, frame.center().y()));
            break;
        case Open::ClickAtStart:
            clickAt(view(), frame.topLeft() + QPoint(3, 3));
            break;
        case Open::TabIntoBoard:
            break;
        }
        ASSERT_EQ(view()->editedPart(), row.field);
        ASSERT_TRUE(keys()->hasFocus());
        // The card is one painted view: the editor is its only child while it lives.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(view()->view()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 1);
        QTest::keyClicks(keys(), row.typed);
        EXPECT_EQ(column(columnOf(row.field)), row.before) << "nothing is written while the field is edited";
        switch (row.end) {
        case End::Return:
            QTest::keyClick(keys(), Qt::Key_Return);
            break;
        case End::ClickOnOtherCard:
            clickAt(view(1), view(1)->layout().heading.center());
            EXPECT_EQ(view(1)->editedPart(), SceneCardPart::Heading);
            view(1)->commitEditing();
            break;
        case End::DocumentCommits:
            document_->commitEditing();
            break;
        case End::SwitchToList:
            document_->toggleBoardView();
            EXPECT_EQ(document_->currentScreenplay()->boardView(), 2);
            break;
        case End::TabOn:
            QTest::keyClick(keys(), Qt::Key_Tab);
            view()->commitEditing();
            break;
        }
        EXPECT_EQ(column(QString::fromLatin1(row.column)), row.written);
        EXPECT_EQ(view()->fieldText(row.field), row.written);
        EXPECT_EQ(view()->editor(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(view()->view()->findChildren<QWidget*>().isEmpty()) << "the editor went with its edit";
    }
}

TEST_F(CardEditing, EscapeEndsTheEditKeepingWhatWasTypedAndWhatThePauseWrote)
{
    const struct Row {
        SceneCardPart field;
        QString before, typed;
        // Whether the typing pause writes before Escape.
        bool paused;
        QString kept;
    } rows[] = {
        {SceneCardPart::Heading, "EXT. PASS - DAY", " (rain)", true, "EXT. PASS - DAY (RAIN)"},
        {SceneCardPart::Description, "Snow.", " Rain too.", true, "Snow. Rain too."},
        {SceneCardPart::EmotionalChange, "hope", " lost", false, "hope lost"},
        {SceneCardPart::Conflict, "storm", "\b\b\b\b\b", false, "Conflict"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kept.toStdString());
        const QString name = columnOf(row.field);
        store(row.field, row.before);
        ASSERT_TRUE(view()->beginEditing(row.field));
        QTest::keyClicks(keys(), row.typed);
        if (row.paused) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return column(name) == row.before + row.typed; }));
        }
        QTest::keyClick(keys(), Qt::Key_Escape);
        EXPECT_EQ(view()->editor(), nullptr);
        EXPECT_EQ(view()->fieldText(row.field), row.kept);
        EXPECT_EQ(column(name), row.kept);
        // The keyboard stays with the card, not with some other field of the window.
        EXPECT_TRUE(view()->view()->hasFocus());
    }
}

// Tab and Shift+Tab (Ctrl+Tab and Ctrl+Shift+Tab in the text area, where Tab is typed) leave the
// cards from every field for a control of the window that takes the typing, the field stored;
// the key that comes back enters the board at the card last worked on, not the first.
TEST_F(CardEditing, TabLeavesTheCardsFromEveryFieldAndComesBackToTheCardLastWorkedOn)
{
    const struct Row {
        const char* what;
        SceneCardPart field;
        QString typed;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* column;
        const char* written;
    } rows[] = {
        {"Tab from the heading", SceneCardPart::Heading, QStringLiteral("int. dock"), Qt::Key_Tab, Qt::NoModifier,
         "Heading", "INT. DOCK"},
        {"Shift+Tab from the heading", SceneCardPart::Heading, QStringLiteral("ext. pier"), Qt::Key_Backtab,
         Qt::ShiftModifier, "Heading", "EXT. PIER"},
        {"Ctrl+Tab from the text area", SceneCardPart::Description, QStringLiteral("a\tb"), Qt::Key_Tab,
         Qt::ControlModifier, "Description", "a\tb"},
        {"Ctrl+Shift+Tab from the text area", SceneCardPart::Description, QStringLiteral("c"), Qt::Key_Backtab,
         Qt::ControlModifier | Qt::ShiftModifier, "Description", "c"},
        {"Tab from the emotional change", SceneCardPart::EmotionalChange, QStringLiteral("hope"), Qt::Key_Tab,
         Qt::NoModifier, "EmotionalChange", "hope"},
        {"Shift+Tab from the conflict", SceneCardPart::Conflict, QStringLiteral("storm"), Qt::Key_Backtab,
         Qt::ShiftModifier, "Conflict", "storm"},
    };
    SceneCardView* worked = view(1);
    const auto storedOnWorked = [this](const char* name) {
        return stored(path_, QStringLiteral("SELECT %1 FROM SceneCard WHERE SceneCardID = %2")
                                 .arg(QLatin1String(name))
                                 .arg(keys_[1]));
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        clickAt(worked, worked->layout().frame(row.field).center());
        ASSERT_EQ(worked->editedPart(), row.field);
        QTest::keyClick(worked->editor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(worked->editor(), row.typed);
        QTest::keyClick(worked->editor(), row.key, row.modifiers);
        EXPECT_EQ(worked->editor(), nullptr);
        EXPECT_EQ(storedOnWorked(row.column), QString::fromLatin1(row.written));
        QWidget* left = QApplication::focusWidget();
        ASSERT_NE(left, nullptr);
        EXPECT_FALSE(document_->boardPane()->isAncestorOf(left)) << left->objectName().toStdString();
        // On to a field; back past the beat sheet, which this story cannot write yet, to the label
        // of the section it shows.
        const bool back = row.modifiers & Qt::ShiftModifier;
        if (back)
            EXPECT_EQ(left, document_->optSelectBeats());
        else
            EXPECT_TRUE(qobject_cast<QLineEdit*>(left) || qobject_cast<QPlainTextEdit*>(left))
                << left->metaObject()->className();
        // The other way, back into the board: the card just worked on opens its heading.
        QTest::keyClick(left, back ? Qt::Key_Tab : Qt::Key_Backtab, back ? Qt::NoModifier : Qt::ShiftModifier);
        EXPECT_EQ(worked->editedPart(), SceneCardPart::Heading);
        EXPECT_EQ(view(0)->editor(), nullptr);
        worked->commitEditing();
    }
}

TEST_F(CardEditing, ZoomingWhileAFieldIsEditedKeepsTheEditorOverItsField)
{
    clickAt(view(), view()->layout().conflict.center());
    QTest::keyClicks(keys(), QStringLiteral("grows"));
    document_->currentScreenplay()->setBoardZoomFactor(4);
    view()->setupForCurrentBoardZoomFactor();
    EXPECT_EQ(view()->editor()->geometry(), view()->layout().conflict);
    EXPECT_EQ(view()->editor()->font().pixelSize(), 16);
    QTest::keyClick(keys(), Qt::Key_Return);
    EXPECT_EQ(column("Conflict"), "grows");
}

TEST_F(CardEditing, TheSharedDrawingPaintsACardIntoAnyRectangle)
{
    Screenplaydb& story = *document_->currentScreenplay();
    ASSERT_FALSE(story.colorCodes().empty());
    const ColorCodedb* code = story.colorCodes().front().get();
    SceneCarddb* scene = card(*document_, keys_[0]);
    scene->setColorLegendID(1, code->colorCodeID());
    const QColor stripe = colorForStripe(story, code->colorCodeID());
    ASSERT_NE(stripe, QColor(Qt::white));
    const SceneCardLayout layout = sceneCardLayout(2, cardSizeForZoom(2), false, false);
    // Twice the card's size, moved off the image's corner.
    const struct {
        QRectF target;
        double scale;
    } places[] = {{QRectF(QPointF(0, 0), QSizeF(cardSizeForZoom(2))), 1.0},
                  {QRectF(QPointF(10, 20), QSizeF(cardSizeForZoom(2)) * 2), 2.0}};
    for (const auto& place : places) {
        SCOPED_TRACE(place.scale);
        QImage image(800, 500, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            paintSceneCard(painter, place.target, story, *scene, 2);
        }
        const auto at = [&](const QPoint& point) {
            return image.pixelColor((place.target.topLeft() + QPointF(point) * place.scale).toPoint());
        };
        EXPECT_EQ(at(layout.stripes[0].center()), stripe);
        EXPECT_EQ(at(layout.stripes[1].center()), QColor(Qt::white));
        EXPECT_EQ(at(layout.emotionalChangeType.topLeft() + QPoint(1, 1)), QColor(Qt::white));
        // Nothing is drawn outside the target.
        EXPECT_EQ(image.pixelColor((place.target.bottomRight() + QPointF(3, 3)).toPoint()), QColor(Qt::black));
        // The heading's letters are drawn in black on the paper.
        int dark = 0;
        const QRect heading = layout.heading;
        for (int x = heading.left(); x < heading.left() + 60; ++x)
            dark += at(QPoint(x, heading.center().y())).lightness() < 128 ? 1 : 0;
        EXPECT_GT(dark, 3);
    }
}

TEST_F(CardEditing, ThePointerShowsWhatEachPartDoes)
{
    const struct {
        SceneCardPart part;
        Qt::CursorShape cursor;
        const char* toolTip;
    } parts[] = {
        {SceneCardPart::Heading, Qt::IBeamCursor, ""},
        {SceneCardPart::Description, Qt::IBeamCursor, ""},
        {SceneCardPart::EmotionalChange, Qt::IBeamCursor, ""},
        {SceneCardPart::Conflict, Qt::IBeamCursor, ""},
        {SceneCardPart::PageNumber, Qt::ArrowCursor, ""},
        {SceneCardPart::ThumbTack, Qt::ArrowCursor, ""},
        {SceneCardPart::DescriptionTab, Qt::ArrowCursor, "Description"},
        {SceneCardPart::NotesTab, Qt::ArrowCursor, "Notes"},
        {SceneCardPart::EmotionalChangeType, Qt::ArrowCursor, "Double-click to change the emotional change"},
        {SceneCardPart::Advice, Qt::ArrowCursor, "Advice"},
        {SceneCardPart::Delete, Qt::ArrowCursor, "Delete Scene Card"},
    };
    for (const auto& row : parts) {
        const QPoint point = view()->layout().frame(row.part).center();
        SCOPED_TRACE(point.x() * 1000 + point.y());
        EXPECT_EQ(view()->layout().partAt(point), row.part);
        QTest::mouseMove(view()->view(), point);
        EXPECT_EQ(view()->view()->cursor().shape(), row.cursor);
        EXPECT_EQ(view()->toolTipAt(point), QString::fromLatin1(row.toolTip));
    }
    // A card only shown has no buttons to explain, and a press where they would be does nothing.
    view()->setShowsControls(false);
    EXPECT_EQ(view()->toolTipAt(view()->layout().deleteButton.center()), "");
    fakes_.alerts->answers = {AlertOtherReturn};
    QTest::mouseClick(view()->view(), Qt::LeftButton, {}, view()->layout().deleteButton.center());
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(stored(path_, "SELECT COUNT(*) FROM SceneCard"), "2");
}

// What the large scene card writes: each field as its edit ends, every field before the card is
// left, the dates through the date window; and the keyboard between the fields.
#include "BigSceneView.h"

#include "BigSceneGeometry.h"
#include "DatePicker.h"
#include "SmallSceneCard.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "board/SceneCardEdits.h"
#include "board/SceneCardView.h"
#include "model/CardPlacement.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StringUtilities.h"
#include "panes/ModalDialogs.h"
#include "platform/Platform.h"
#include "platform/TypingPause.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

// A new card's description until the user writes one.
const QString kDescriptionPlaceholder = QStringLiteral("Scene Description");
const QColor kDatePickerColor = QColor::fromRgb(255, 140, 0);

// The page typed: the whole number the text starts with, read as a 32-bit number (anything
// else reads as 0).
std::int64_t typedPage(const QString& text)
{
    const std::int64_t value = StringUtilities::leadingInteger(text);
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return 0;
    return value;
}

} // namespace

void BigSceneView::saveChanges(QObject* sender)
{
    if (!scene_ || !screenplay())
        return;
    if (!sender || sender == this) {
        // Ending the edit in progress writes its field first.
        QWidget* focus = QApplication::focusWidget();
        if (focus && view() && view()->isAncestorOf(focus))
            focus->clearFocus();
    }
    const bool every = sender == nullptr;
    if (every || sender == tfHeading_)
        saveHeading();
    if (every || sender == tfDescription_)
        saveDescription();
    if (every || sender == txtNotes_)
        saveNotes();
    if (every || sender == tfEmotionalChange_)
        savePlaceholderField(tfEmotionalChange_, kEmotionalChangePlaceholder, true);
    if (every || sender == tfConflict_)
        savePlaceholderField(tfConflict_, kConflictPlaceholder, false);
    bool placed = false;
    // A refused page keeps the card where it is; what the other fields took is written all
    // the same.
    if (every || sender == tfPageNumber_)
        savePageNumber(placed);
    saveCard(placed);
}

void BigSceneView::watchTyping()
{
    for (QLineEdit* field : {tfHeading_, tfEmotionalChange_, tfConflict_})
        TypingPause::watch(field, this, [this] { guardedCall([this] { storeTypedText(); }); });
    for (QPlainTextEdit* field : {tfDescription_, txtNotes_})
        TypingPause::watch(field, this, [this] { guardedCall([this] { storeTypedText(); }); });
}

void BigSceneView::storeTypedText()
{
    if (!scene_ || !screenplay())
        return;
    // Each text as it stands; capitals and placeholders wait for the end of the edit. The card
    // shows what was typed in it.
    scene_->setHeading(tfHeading_->text());
    scene_->setNotes(txtNotes_->toPlainText());
    scene_->setEmotionalChange(tfEmotionalChange_->text());
    scene_->setConflict(tfConflict_->text());
    descriptionTyping_.store(*screenplay(), *scene_, tfDescription_->toPlainText(), myParent());
}

void BigSceneView::saveHeading()
{
    const QString typed = tfHeading_->text();
    // A heading stored in small letters stays as it is until it is edited; typing may have
    // stored it as typed already.
    const bool edited = TypingPause::endEditOf(tfHeading_);
    if (typed == scene_->heading() && !edited)
        return;
    const QString heading = (typed.isEmpty() ? kHeadingPlaceholder : typed).toUpper();
    if (typed != heading)
        tfHeading_->setText(heading);
    scene_->setHeading(heading);
}

void BigSceneView::saveDescription()
{
    const QString text = tfDescription_->toPlainText();
    TypingPause::endEditOf(tfDescription_);
    // Only a text that differs from the one the field showed goes to the beat. One typed back
    // to it takes back what typing wrote on the way, and a beat card's beat keeps its own text.
    if (text != descriptionShown_)
        SceneCardEdits::setDescription(*screenplay(), *scene_, text, myParent());
    else if (text != scene_->description())
        descriptionTyping_.store(*screenplay(), *scene_, text, myParent());
    descriptionTyping_.end();
    descriptionShown_ = text;
}

void BigSceneView::saveNotes()
{
    TypingPause::endEditOf(txtNotes_);
    scene_->setNotes(txtNotes_->toPlainText());
    scene_->save();
}

void BigSceneView::savePlaceholderField(QLineEdit* field, const QString& placeholder, bool emotionalChange)
{
    const QString current = emotionalChange ? scene_->emotionalChange() : scene_->conflict();
    if (!TypingPause::endEditOf(field) && field->text() == current)
        return;
    if (field->text().isEmpty())
        field->setText(placeholder);
    if (emotionalChange)
        scene_->setEmotionalChange(field->text());
    else
        scene_->setConflict(field->text());
}

bool BigSceneView::savePageNumber(bool& placed)
{
    Screenplaydb& story = *screenplay();
    const std::int64_t page = typedPage(tfPageNumber_->text());
    if (page == scene_->pageNumber())
        return true;
    if (page < 1 || page > story.pageCount()) {
        AlertRequest request;
        request.title = tr("Page Number");
        request.message = tr("The page number must be between 1 and %1").arg(static_cast<qlonglong>(story.pageCount()));
        request.defaultButton = tr("OK");
        tfPageNumber_->setText(QString::number(static_cast<qlonglong>(scene_->pageNumber())));
        Platform::alerts().runAlert(request);
        return false;
    }
    tfPageNumber_->setText(QString::number(static_cast<qlonglong>(page)));
    placeCardOnPageBesideItsCards(story.boardSections(), *scene_, page, story.sceneCards());
    showCurrentBeat();
    placed = true;
    return true;
}

void BigSceneView::saveCard(bool placed)
{
    Screenplaydb& story = *screenplay();
    if (placed)
        SceneCardEdits::saveWithBoardOrder(story, *scene_);
    else
        scene_->save();
    updateSmallSceneCard();
    if (!placed || !myParent())
        return;
    // The card now stands elsewhere in board order: the strip of small cards and the paging
    // buttons follow once the edit that moved it is over (the strip may be what was clicked).
    const QPointer<MyDocument> document = myParent();
    QTimer::singleShot(0, document, [document] {
        guardedCall([&] {
            if (document)
                document->refreshMiniSceneCards();
        });
    });
}

void BigSceneView::updateSmallSceneCard()
{
    MyDocument* document = myParent();
    if (!document || !scene_)
        return;
    for (SmallSceneCard& mini : document->miniSceneCardControls()) {
        if (mini.scene() == scene_) {
            mini.setScene(scene_);
            break;
        }
    }
    if (SceneCardView* board = document->sceneCardControlForSceneCard(scene_))
        board->setScene(scene_);
}

// --- Dates -------------------------------------------------------------------------------------

void BigSceneView::selectDate(int tag)
{
    if (!scene_ || (tag != 1 && tag != 2))
        return;
    const QString format = QString::fromLatin1(DateUtilities::kDisplayDateTimeFormat);
    QLineEdit* field = tag == 1 ? tfStartDateTime_ : tfEndDateTime_;
    const QString stored = tag == 1 ? scene_->startDateTime() : scene_->endDateTime();
    // A fresh window for every choice.
    DatePicker picker(view() ? view()->window() : nullptr);
    ModalDialogs::paintBackground(picker, kDatePickerColor);
    const std::optional<DateUtilities::DateTime> current = DateUtilities::parse(stored, format);
    picker.setDateTime(current ? *current : Platform::clock().now());
    const int answer = ModalDialogs::run(picker);
    picker.close();
    if (answer != DatePicker::Saved && answer != DatePicker::Cleared)
        return;
    const QString text = answer == DatePicker::Saved ? DateUtilities::format(picker.dateTime(), format) : QString();
    if (tag == 1)
        scene_->setStartDateTime(text);
    else
        scene_->setEndDateTime(text);
    field->setText(text);
    scene_->save();
    updateSmallSceneCard();
}

// --- Keyboard and focus ------------------------------------------------------------------------

bool BigSceneView::holdsPlaceholder(const QWidget* field) const
{
    if (field == tfHeading_)
        return tfHeading_->text() == kHeadingPlaceholder;
    if (field == tfEmotionalChange_)
        return tfEmotionalChange_->text() == kEmotionalChangePlaceholder;
    if (field == tfConflict_)
        return tfConflict_->text() == kConflictPlaceholder;
    if (field == tfDescription_)
        return tfDescription_->toPlainText() == kDescriptionPlaceholder;
    return false;
}

void BigSceneView::selectPlaceholder(QWidget* field)
{
    // Selected at once, so that the very first key typed replaces it; a later timer could
    // select keys already typed and lose them to the next one.
    if (!holdsPlaceholder(field))
        return;
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll();
    else if (field == tfDescription_)
        tfDescription_->selectAll();
}

bool BigSceneView::clickOnPlaceholder(QObject* watched, QMouseEvent* event)
{
    QWidget* field = watched == tfDescription_->viewport() ? tfDescription_ : qobject_cast<QWidget*>(watched);
    if (event->button() != Qt::LeftButton || !holdsPlaceholder(field))
        return false;
    // The click takes the focus but places no caret: the placeholder stays selected whole,
    // wherever it was clicked.
    field->setFocus(Qt::MouseFocusReason);
    selectPlaceholder(field);
    return true;
}

bool BigSceneView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        selectPlaceholder(qobject_cast<QWidget*>(watched));
        break;
    case QEvent::FocusOut:
        // The two text views have no end-of-edit signal of their own: leaving them ends it.
        if (watched == tfDescription_ || watched == txtNotes_)
            guardedCall([this, watched] { saveChanges(watched); });
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (clickOnPlaceholder(watched, static_cast<QMouseEvent*>(event)))
            return true;
        if (event->type() != QEvent::MouseButtonPress)
            break;
        if (auto* selector = qobject_cast<QLabel*>(watched); selector && selector->property("tag").isValid()) {
            guardedCall([this, selector] { setSelectedTabID(selector->property("tag").toInt()); });
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == boxYellowBackground_)
            layoutCardPane();
        else if (watched == boxTabs_)
            layoutTabPane();
        break;
    default:
        break;
    }
    return BaseViewController::eventFilter(watched, event);
}

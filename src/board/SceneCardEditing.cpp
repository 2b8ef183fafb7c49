// The painted card's answers to the mouse and the keyboard: the parts under a click, the thumb
// tack and the buttons while a button is held, tooltips, and the one in-place editor of a field.
#include "SceneCardView.h"

#include "DropAnswers.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "platform/KeyboardNavigation.h"
#include "platform/TypingPause.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolTip>

#include <array>

namespace {

// The fields that open an editor, in reading order.
constexpr std::array<SceneCardPart, 4> kEditableFields{SceneCardPart::Heading, SceneCardPart::Description,
                                                       SceneCardPart::EmotionalChange, SceneCardPart::Conflict};

// What a field holds until the user writes into it: typing replaces it whole.
bool holdsPlaceholder(SceneCardPart field, const QString& text)
{
    switch (field) {
    case SceneCardPart::Heading:
        return text == QLatin1StringView("SCENE HEADING");
    case SceneCardPart::Description:
        return text == QLatin1StringView("Scene Description");
    case SceneCardPart::EmotionalChange:
        return text == QLatin1StringView("Emotional Change");
    case SceneCardPart::Conflict:
        return text == QLatin1StringView("Conflict");
    default:
        return false;
    }
}

bool isEditable(SceneCardPart part)
{
    return std::find(kEditableFields.begin(), kEditableFields.end(), part) != kEditableFields.end();
}

bool isButton(SceneCardPart part)
{
    return part == SceneCardPart::Advice || part == SceneCardPart::Delete;
}

void setWhiteBase(QWidget* field)
{
    QPalette colors = field->palette();
    colors.setColor(QPalette::Base, Qt::white);
    colors.setColor(QPalette::Window, Qt::white);
    colors.setColor(QPalette::Text, Qt::black);
    field->setPalette(colors);
}

// Whether the key event is Ctrl-N (+1) or Ctrl-P (-1), the keys that page between the cards of
// the corkboard; 0 for any other key. They page as the key goes down, as every other command's
// keys act: a writer often lets Ctrl go before the letter, which comes up without it.
int pagingDirection(const QKeyEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->isAutoRepeat())
        return 0;
    if (event->key() == Qt::Key_N)
        return 1;
    if (event->key() == Qt::Key_P)
        return -1;
    return 0;
}

void page(SceneCardView& card, int direction)
{
    if (direction > 0)
        card.pageToNextSceneCard();
    else
        card.pageToPreviousSceneCard();
}

} // namespace

// --- The view ----------------------------------------------------------------------------------

SceneCardDragDropView::SceneCardDragDropView(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    // The card paints every one of its points.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Only the thumb tack and the page number take the keyboard when clicked (see pressed).
    setFocusPolicy(Qt::NoFocus);
}

void SceneCardDragDropView::paintEvent(QPaintEvent*)
{
    if (!mySceneCardParent_)
        return;
    QPainter painter(this);
    mySceneCardParent_->paintCard(painter);
    // The card itself has the keyboard (Return opens it): a ring inside its edge says so.
    if (hasFocus() && !mySceneCardParent_->editor()) {
        const QColor ring =
            KeyboardNavigation::focusRingColor(palette(), {Qt::white, palette().color(QPalette::Window)});
        painter.setPen(QPen(ring, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

bool SceneCardDragDropView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && mySceneCardParent_) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = mySceneCardParent_->toolTipAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    // Ctrl-N and Ctrl-P page between cards here, ahead of the menu items that use the keys.
    if (event->type() == QEvent::ShortcutOverride && pagingDirection(static_cast<QKeyEvent*>(event)) != 0) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void SceneCardDragDropView::pressed(QMouseEvent* event, int clickCount)
{
    SceneCardView* card = mySceneCardParent_;
    if (!card)
        return;
    const QPoint point = event->position().toPoint();
    const SceneCardPart part = card->partAt(point);
    const bool controls = card->showsControls();
    if (!controls && (part == SceneCardPart::ThumbTack || isButton(part))) {
        event->ignore();
        return;
    }
    event->accept();
    pressedPart_ = part;
    guardedCall([&] {
        // A click anywhere on the card ends the edit of its field; a tab of the text area ends
        // it itself, for the tab the text was typed in.
        if (part != SceneCardPart::DescriptionTab && part != SceneCardPart::NotesTab)
            card->commitEditing();
        if (part == SceneCardPart::ThumbTack || part == SceneCardPart::PageNumber)
            setFocus(Qt::MouseFocusReason);
        if (part == SceneCardPart::ThumbTack) {
            if (event->button() == Qt::LeftButton)
                card->mouseDown(event);
            else if (event->button() == Qt::RightButton)
                card->rightMouseDown(event);
            return;
        }
        if (event->button() != Qt::LeftButton || isButton(part))
            return;
        card->bringToTheTop();
        if (isEditable(part))
            card->beginEditing(part, point);
        else
            card->userClicked(part, clickCount);
    });
}

void SceneCardDragDropView::mousePressEvent(QMouseEvent* event)
{
    pressed(event, 1);
}

void SceneCardDragDropView::mouseDoubleClickEvent(QMouseEvent* event)
{
    pressed(event, 2);
}

void SceneCardDragDropView::mouseMoveEvent(QMouseEvent* event)
{
    SceneCardView* card = mySceneCardParent_;
    if (!card)
        return;
    event->accept();
    if (pressedPart_ == SceneCardPart::ThumbTack && (event->buttons() & (Qt::LeftButton | Qt::RightButton))) {
        setCursor(Qt::ArrowCursor);
        guardedCall([&] { card->mouseDragged(event); });
        return;
    }
    if (event->buttons() != Qt::NoButton)
        return;
    setCursor(card->cursorAt(event->position().toPoint()));
}

Qt::CursorShape SceneCardView::cursorAt(const QPoint& point) const
{
    // The fields that take typing show the text cursor.
    return isEditable(partAt(point)) ? Qt::IBeamCursor : Qt::ArrowCursor;
}

void SceneCardDragDropView::mouseReleaseEvent(QMouseEvent* event)
{
    SceneCardView* card = mySceneCardParent_;
    const SceneCardPart pressed = pressedPart_;
    if (event->buttons() == Qt::NoButton)
        pressedPart_ = SceneCardPart::None;
    if (!card)
        return;
    event->accept();
    if (pressed == SceneCardPart::ThumbTack) {
        guardedCall([&] {
            if (event->button() == Qt::LeftButton)
                card->mouseUp(event);
            else if (event->button() == Qt::RightButton)
                card->rightMouseUp(event);
        });
        return;
    }
    // A button acts when the mouse is let go over the button it went down on.
    if (isButton(pressed) && event->button() == Qt::LeftButton &&
        card->layout().frame(pressed).contains(event->position().toPoint()))
        guardedCall([&] { card->userClicked(pressed, 1); });
}

void SceneCardDragDropView::focusInEvent(QFocusEvent* event)
{
    if (mySceneCardParent_)
        guardedCall([this] { mySceneCardParent_->bringToTheTop(); });
    QWidget::focusInEvent(event);
    update();
}

void SceneCardDragDropView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void SceneCardDragDropView::keyPressEvent(QKeyEvent* event)
{
    SceneCardView* card = mySceneCardParent_;
    if (const int direction = pagingDirection(event); direction != 0 && card) {
        event->accept();
        guardedCall([card, direction] { page(*card, direction); });
        return;
    }
    // Return on the card itself, no field in edit, opens it in the large card as a double click
    // on its title bar does.
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
                       && !(event->modifiers() & ~Qt::KeypadModifier);
    if (!enter || !card || card->editor() || !card->showsControls()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    guardedCall([card] { card->openInLargeCard(true); });
}

void SceneCardDragDropView::dragEnterEvent(QDragEnterEvent* event)
{
    answerDragFor(event, mySceneCardParent_);
}

void SceneCardDragDropView::dragMoveEvent(QDragMoveEvent* event)
{
    answerDragFor(event, mySceneCardParent_);
}

void SceneCardDragDropView::dropEvent(QDropEvent* event)
{
    answerDropFor(event, mySceneCardParent_);
}

// --- The in-place editor -----------------------------------------------------------------------

QLineEdit* SceneCardView::lineEditor() const
{
    return qobject_cast<QLineEdit*>(editor_.data());
}

QPlainTextEdit* SceneCardView::textEditor() const
{
    return qobject_cast<QPlainTextEdit*>(editor_.data());
}

bool SceneCardView::beginEditing(SceneCardPart field, std::optional<QPoint> caretAt)
{
    if (!scene_ || !view() || !isEditable(field) || !layout().framed)
        return false;
    if (editor_ && editedPart_ == field) {
        editor_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    commitEditing();
    const QRect frame = layout().frame(field);
    const QString text = fieldText(field);
    QWidget* editor = nullptr;
    if (field == SceneCardPart::Description) {
        auto* area = new QPlainTextEdit(view());
        area->setFrameShape(QFrame::NoFrame);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Return starts a new line and Tab types a tab: neither ends the edit.
        area->setTabChangesFocus(false);
        area->setPlainText(text);
        setWhiteBase(area->viewport());
        QTextCursor cursor = caretAt ? area->cursorForPosition(*caretAt - frame.topLeft()) : area->textCursor();
        if (!caretAt)
            cursor.movePosition(QTextCursor::End);
        area->setTextCursor(cursor);
        TypingPause::watch(area, this, [this, area] {
            guardedCall([this, area] { storeTypedText(SceneCardPart::Description, area->toPlainText()); });
        });
        editor = area;
    } else {
        auto* line = new QLineEdit(text, view());
        line->setFrame(false);
        // Return, and the document's own end of every edit, write the field.
        connect(line, &QLineEdit::editingFinished, this, [this] { guardedCall([this] { commitEditing(); }); });
        TypingPause::watch(line, this, [this, line, field] {
            guardedCall([this, line, field] { storeTypedText(field, line->text()); });
        });
        editor = line;
    }
    editor->setObjectName(QStringLiteral("cardFieldEditor"));
    // A field entered and left without a change writes nothing.
    editor->setProperty("openedText", text);
    setWhiteBase(editor);
    editor->setFont(fieldFont(field));
    editor->setGeometry(frame);
    editor->installEventFilter(this);
    // A click elsewhere on the card leaves the keyboard with the editor; the card decides
    // itself which clicks end the edit.
    view()->setFocusProxy(editor);
    editedPart_ = field;
    editor_ = editor;
    look().editedPart = field;
    view()->update(frame);
    editor->show();
    // Not a focus by Tab: a line editor would select its whole text, and the first key typed
    // would replace the user's own words. Only a placeholder is selected whole, however the
    // field was reached, so that typing replaces it instead of running on after it.
    editor->setFocus(Qt::OtherFocusReason);
    const bool placeholder = holdsPlaceholder(field, text);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        if (placeholder) {
            line->selectAll();
        } else {
            line->deselect();
            line->setCursorPosition(caretAt ? line->cursorPositionAt(*caretAt - frame.topLeft())
                                            : static_cast<int>(text.size()));
        }
    } else if (auto* area = qobject_cast<QPlainTextEdit*>(editor); area && placeholder) {
        area->selectAll();
    }
    return true;
}

void SceneCardView::commitEditing()
{
    if (!editor_)
        return;
    // The editor leaves first: writing may rebuild what shows the card, and hiding the editor
    // takes its focus away, which would end the edit a second time.
    QPointer<QWidget> editor = editor_;
    const SceneCardPart field = editedPart_;
    editor_ = nullptr;
    editedPart_ = SceneCardPart::None;
    look().editedPart = SceneCardPart::None;
    const QString text = qobject_cast<QLineEdit*>(editor.data())
                             ? static_cast<QLineEdit*>(editor.data())->text()
                             : static_cast<QPlainTextEdit*>(editor.data())->toPlainText();
    const QString opened = editor->property("openedText").toString();
    const bool typed = TypingPause::endEditOf(editor);
    // A description typed back to what it was is no change: a beat card's beat keeps its own
    // text. (The other fields take their capitals and placeholders from any edit.)
    const bool changed = text != opened || (typed && field != SceneCardPart::Description);
    editor->removeEventFilter(this);
    editor->disconnect(this);
    QWidget* cardView = madeView();
    if (cardView)
        cardView->setFocusProxy(nullptr);
    // The keyboard stays with the card rather than going to the next field of the window.
    if (editor->hasFocus() && cardView && cardView->isVisible())
        cardView->setFocus(Qt::OtherFocusReason);
    editor->hide();
    editor->deleteLater();
    if (changed) {
        descriptionTyping_.end();
        controlTextDidEndEditing(field, text);
        return;
    }
    // A description typed back to its text: what typing wrote on the way is taken back.
    if (typed)
        storeTypedText(field, text);
    descriptionTyping_.end();
    repaint();
}

void SceneCardView::storeTypedText(SceneCardPart field, const QString& text)
{
    if (!scene_)
        return;
    // As typed: the capitals and the placeholders wait for the end of the edit.
    switch (field) {
    case SceneCardPart::Heading:
        scene_->setHeading(text);
        break;
    case SceneCardPart::Description:
        if (selectedTab_ == 1) {
            descriptionTyping_.store(*screenplay(), *scene_, text, myParent());
            return;
        }
        if (selectedTab_ == 2)
            scene_->setNotes(text);
        break;
    case SceneCardPart::EmotionalChange:
        scene_->setEmotionalChange(text);
        break;
    case SceneCardPart::Conflict:
        scene_->setConflict(text);
        break;
    default:
        return;
    }
    scene_->save();
}

bool SceneCardView::enterFromKeyboard()
{
    QWidget* card = view();
    if (!card || !beginEditing(SceneCardPart::Heading))
        return false;
    card->raise();
    KeyboardNavigation::bringIntoSight(*card);
    return true;
}

SceneCardView* cardLastWorkedOn(MyDocument* document, Screenplaydb* story,
                                const std::function<bool(const SceneCardView&)>& shows)
{
    if (!document || !story)
        return nullptr;
    const auto shown = [document, &shows](const SceneCarddb* card) {
        SceneCardView* control = document->sceneCardControlForSceneCard(card);
        return control && shows(*control) ? control : nullptr;
    };
    if (SceneCardView* active = shown(story->sceneCardForSceneCardID(document->activeSceneCardID())))
        return active;
    for (const auto& card : story->sceneCards())
        if (SceneCardView* control = shown(card.get()))
            return control;
    return nullptr;
}

void enterCardsByKeyboard(QWidget& presentation, std::function<SceneCardView*()> card)
{
    KeyboardNavigation::makeEntry(presentation, [card = std::move(card)](bool) {
        bool entered = false;
        guardedCall([&] {
            if (SceneCardView* control = card())
                entered = control->enterFromKeyboard();
        });
        return entered;
    });
}

bool SceneCardView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != editor_.data())
        return BaseViewController::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        guardedCall([this] { bringToTheTop(); });
        break;
    case QEvent::FocusOut:
        // Leaving the field ends its edit, except for the field's own context menu.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            guardedCall([this] { commitEditing(); });
        break;
    case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl-N and Ctrl-P page between cards here, ahead of the menu items that use them;
        // Escape belongs to the field.
        if (pagingDirection(key) != 0 || key->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl-N and Ctrl-P page from card to card.
        if (const int direction = pagingDirection(key)) {
            guardedCall([this, direction] { page(*this, direction); });
            return true;
        }
        // Escape ends the edit as leaving the field does: what was typed stays, as in any
        // other text field of the story.
        if (key->key() == Qt::Key_Escape) {
            guardedCall([this] { commitEditing(); });
            return true;
        }
        // Return ends a one-line field's edit and goes no further: the card that then has the
        // keyboard would take it to open the large card.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && lineEditor()) {
            guardedCall([this] { commitEditing(); });
            return true;
        }
        // Tab (in the text area, where Tab is typed, Ctrl-Tab) goes on as from any field of the
        // window: it leaves the cards, the edit stored as the field loses the keyboard.
        break;
    }
    default:
        break;
    }
    return BaseViewController::eventFilter(watched, event);
}

#include "BoardNoteView.h"

#include "GeneralNotesView.h"
#include "NoteRichText.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "model/NoteMovement.h"
#include "model/Screenplaydb.h"
#include "board/CardColorSelector.h"
#include "platform/KeyboardNavigation.h"
#include "platform/LightLook.h"
#include "platform/TypingPause.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QTextDocument>

#include <utility>

namespace {

constexpr int kTackSide = 22;
constexpr int kTackTop = 3;
constexpr int kButtonSide = 18;
constexpr int kHandleSide = 12;
constexpr int kMargin = 8;
constexpr int kTitleTop = 32;
constexpr int kTitleHeight = 22;
constexpr int kLineTop = 56;
constexpr int kLineHeight = 5;
constexpr int kTextTop = 62;

// The titles a new note or attachment is given until the user writes one.
bool isDefaultTitle(const QString& title)
{
    return title == QLatin1String("New Note Card") || title == QLatin1String("New Attached Image")
           || title == QLatin1String("New Attached File");
}

} // namespace

NoteTextField::NoteTextField(std::function<void()> popToTheTop, QWidget* parent)
    : QLineEdit(parent)
    , popToTheTop_(std::move(popToTheTop))
{
}

void NoteTextField::focusInEvent(QFocusEvent* event)
{
    popToTheTop_();
    QLineEdit::focusInEvent(event);
}

void NoteTextField::mousePressEvent(QMouseEvent* event)
{
    popToTheTop_();
    // A default title is selected whole, wherever it is clicked, so that typing replaces it;
    // the rest of that click places no caret.
    selectingDefault_ = event->button() == Qt::LeftButton && isDefaultTitle(text());
    if (selectingDefault_) {
        setFocus(Qt::MouseFocusReason);
        selectAll();
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void NoteTextField::mouseMoveEvent(QMouseEvent* event)
{
    if (selectingDefault_) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void NoteTextField::mouseReleaseEvent(QMouseEvent* event)
{
    if (selectingDefault_) {
        selectingDefault_ = false;
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void NoteTextField::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (isDefaultTitle(text())) {
        selectAll();
        event->accept();
        return;
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

NoteTextView::NoteTextView(std::function<void()> popToTheTop, std::function<void()> textDidEndEditing,
                           QWidget* parent)
    : QTextEdit(parent)
    , popToTheTop_(std::move(popToTheTop))
    , textDidEndEditing_(std::move(textDidEndEditing))
{
}

void NoteTextView::detach()
{
    popToTheTop_ = [] {};
    textDidEndEditing_ = [] {};
}

void NoteTextView::focusInEvent(QFocusEvent* event)
{
    popToTheTop_();
    QTextEdit::focusInEvent(event);
}

void NoteTextView::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    textDidEndEditing_();
}

void NoteTextView::mousePressEvent(QMouseEvent* event)
{
    popToTheTop_();
    QTextEdit::mousePressEvent(event);
}

void NoteTextView::keyPressEvent(QKeyEvent* event)
{
    QTextEdit::keyPressEvent(event);
    // A key the text leaves (Ctrl+Tab) goes on to move the focus away.
    if (event->isAccepted() && hasFocus())
        KeyboardNavigation::showCaret(*this);
}

BoardNoteView::BoardNoteView(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay,
                             GeneralNotesView* board, const QSize& initialSize, const QString& deleteTitle)
    : BaseViewController(nibName, parent, screenplay)
    , myGeneralNotesParent_(board)
{
    auto* card = new QWidget;
    card->setObjectName(nibName);
    card->resize(initialSize);
    frame_ = QRectF(QPointF(0, 0), QSizeF(initialSize));
    // Written dark on the note's pastel, whatever the desktop's colours.
    LightLook::keep(*card);
    card->setAutoFillBackground(true);
    setView(card);

    background_ = new QFrame(card);
    background_->setObjectName(QStringLiteral("background"));
    background_->setFrameShape(QFrame::Box);
    background_->setStyleSheet(QStringLiteral("QFrame#background { border: 1px solid rgba(0, 0, 0, 90); }"));

    imgThumbTack_ = new ImageViewResponder(card);
    imgThumbTack_->setObjectName(QStringLiteral("imgThumbTack"));
    imgThumbTack_->setImageNamed(QStringLiteral("BlueThumbDown"));
    imgThumbTack_->attachTrackingArea();
    imgResize_ = new ImageViewResponder(card);
    imgResize_->setObjectName(QStringLiteral("imgResize"));
    imgResize_->setImageNamed(QStringLiteral("NoteResizeHandle"));
    imgResize_->attachTrackingArea();

    const auto smallButton = [card](const QString& name, const QString& text, const QString& tip) {
        auto* button = new QPushButton(text, card);
        button->setObjectName(name);
        button->setToolTip(tip);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    cmdDelete_ = smallButton(QStringLiteral("cmdDelete"), QStringLiteral("\u00d7"), deleteTitle);
    cmdColorCode_ = smallButton(QStringLiteral("cmdColorCode"), QStringLiteral("\u25d0"), tr("Colour"));
    // The board deletes the note, with this button: not while the button is still handling its click.
    connect(cmdDelete_, &QPushButton::clicked, this, [this] { guardedCall([this] { deleteNote(); }); },
            Qt::QueuedConnection);
    connect(cmdColorCode_, &QPushButton::clicked, this, [this] { guardedCall([this] { changeColor(); }); });

    const auto pop = [this] { guardedCall([this] { popToTheTop(); }); };
    tfTitle_ = new NoteTextField(pop, card);
    tfTitle_->setObjectName(QStringLiteral("tfTitle"));
    tfTitle_->setFrame(false);
    QFont titleFont = tfTitle_->font();
    titleFont.setBold(true);
    tfTitle_->setFont(titleFont);
    connect(tfTitle_, &QLineEdit::editingFinished, this, [this] { guardedCall([this] { titleDidEndEditing(); }); });
    TypingPause::watch(tfTitle_, this, [this] { guardedCall([this] { storeTitle(tfTitle_->text()); }); });

    line_ = new QFrame(card);
    line_->setObjectName(QStringLiteral("line"));
    line_->setFrameShape(QFrame::HLine);
    line_->setFrameShadow(QFrame::Sunken);

    txtDescription_ = new NoteTextView(pop, [this] { guardedCall([this] { textDidEndEditing(); }); }, card);
    txtDescription_->setObjectName(QStringLiteral("txtDescription"));
    txtDescription_->setFrameShape(QFrame::NoFrame);
    txtDescription_->setAcceptRichText(true);
    TypingPause::watch(txtDescription_, this, [this] {
        guardedCall([this] {
            QTextDocument* document = txtDescription_->document();
            storeText(NoteRichText::write(*document), document->toPlainText());
        });
    });

    imgThumbTack_->setMyStickyNoteParent(this);
    imgResize_->setMyStickyNoteParent(this);
    card->installEventFilter(this);
}

BoardNoteView::~BoardNoteView()
{
    // The parts die with the card, which the window may have deleted first.
    QWidget* card = view();
    if (!card)
        return;
    card->removeEventFilter(this);
    tfTitle_->detach();
    txtDescription_->detach();
    for (ImageViewResponder* responder : card->findChildren<ImageViewResponder*>()) {
        responder->setMyStickyNoteParent(nullptr);
        responder->setMyAttachedObjectParent(nullptr);
    }
}

bool BoardNoteView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view() && event->type() == QEvent::Resize)
        layoutContents();
    return BaseViewController::eventFilter(watched, event);
}

void BoardNoteView::setFrame(const QRectF& frame)
{
    frame_ = frame;
    view()->setGeometry(frame.toRect());
}

void BoardNoteView::layoutContents()
{
    const int width = view()->width();
    const int height = view()->height();
    background_->setGeometry(0, 0, width, height);
    background_->lower();
    imgThumbTack_->setGeometry(width / 2 - kTackSide / 2, kTackTop, kTackSide, kTackSide);
    cmdDelete_->setGeometry(4, 4, kButtonSide, kButtonSide);
    cmdColorCode_->setGeometry(width - kButtonSide - 4, 4, kButtonSide, kButtonSide);
    tfTitle_->setGeometry(kMargin, kTitleTop, width - 2 * kMargin, kTitleHeight);
    line_->setGeometry(kMargin, kLineTop, width - 2 * kMargin, kLineHeight);
    txtDescription_->setGeometry(kMargin, kTextTop, width - 2 * kMargin, height - kTextTop - kHandleSide - 4);
    imgResize_->setGeometry(width - kHandleSide - 2, height - kHandleSide - 2, kHandleSide, kHandleSide);
}

void BoardNoteView::setBackgroundColor()
{
    const QColor colour = MyDocument::cardColorForColorID(colorID());
    QPalette palette = view()->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    view()->setPalette(palette);
}

void BoardNoteView::changeColor()
{
    if (cardColorSelector_)
        return;
    // The board may be laid out again while the dialog runs, which ends this note and its
    // card with the dialog in it.
    const QPointer<BoardNoteView> self(this);
    auto* selector = new CardColorSelector(view());
    cardColorSelector_ = selector;
    if (MyDocument* document = myParent())
        selector->setStyleSheet(QStringLiteral("QDialog { background-color: %1; }")
                                    .arg(document->standardBackgroundColor().name()));
    selector->runModal();
    if (!self || !cardColorSelector_)
        return;
    const std::int64_t chosen = selector->selectedColor();
    selector->close();
    delete selector;
    if (chosen == 0)
        return;
    storeColor(chosen);
    setBackgroundColor();
}

void BoardNoteView::commitEditing()
{
    if (tfTitle_->isModified())
        titleDidEndEditing();
    if (txtDescription_->document()->isModified())
        textDidEndEditing();
}

void BoardNoteView::titleDidEndEditing()
{
    TypingPause::endEditOf(tfTitle_);
    tfTitle_->setModified(false);
    storeTitle(tfTitle_->text());
}

void BoardNoteView::textDidEndEditing()
{
    QTextDocument* document = txtDescription_->document();
    if (!document->isModified())
        return;
    TypingPause::endEditOf(txtDescription_);
    document->setModified(false);
    storeText(NoteRichText::write(*document), document->toPlainText());
}

void BoardNoteView::popToTheTop()
{
    myGeneralNotesParent_->popToTheTop(this);
}

// --- The tack and the handle -------------------------------------------------------------------

void BoardNoteView::mouseDown(QMouseEvent* event, ImageViewResponder* view)
{
    if (view == imgThumbTack_)
        beginMove(event, view);
    else if (view == imgResize_)
        beginResize(event);
}

void BoardNoteView::mouseDragged(QMouseEvent* event, ImageViewResponder* view)
{
    if (view == imgThumbTack_) {
        if (const auto frame = movedFrame(event))
            setFrame(*frame);
    } else if (view == imgResize_) {
        continueResize(event);
    }
}

void BoardNoteView::mouseUp(QMouseEvent*, ImageViewResponder* view)
{
    if (view == imgThumbTack_)
        endMove();
    else if (view == imgResize_)
        endResize();
}

void BoardNoteView::rightMouseDown(QMouseEvent*, ImageViewResponder*)
{
}

void BoardNoteView::rightMouseUp(QMouseEvent*, ImageViewResponder*)
{
}

void BoardNoteView::beginMove(QMouseEvent* event, ImageViewResponder* from)
{
    popToTheTop();
    from->setImageNamed(QStringLiteral("BlueThumbUp"));
    moving_ = true;
    pMouseDownPoint_ = event->position();
    originalLocation_ = frame_;
}

std::optional<QRectF> BoardNoteView::movedFrame(QMouseEvent* event) const
{
    if (!moving_)
        return std::nullopt;
    const QWidget* board = view()->parentWidget();
    const QSizeF boardSize = board ? QSizeF(board->size()) : QSizeF(view()->size());
    const QPointF origin = noteOriginAfterStep(frame_, event->position() - pMouseDownPoint_, boardSize);
    return QRectF(origin, frame_.size());
}

void BoardNoteView::endMove()
{
    if (!moving_)
        return;
    imgThumbTack_->setImageNamed(QStringLiteral("BlueThumbDown"));
    moving_ = false;
    const Screenplaydb& story = *screenplay();
    storePlace(
        NotesBoardGeometry::storedPlace(frame_.topLeft(), story.generalNotesWidth(), story.generalNotesHeight()));
}

void BoardNoteView::beginResize(QMouseEvent* event)
{
    popToTheTop();
    resizing_ = true;
    pMouseDownPoint_ = event->position();
    originalSize_ = frame_.size();
}

void BoardNoteView::continueResize(QMouseEvent* event)
{
    if (!resizing_)
        return;
    const QPointF step = event->position() - pMouseDownPoint_;
    setFrame(QRectF(frame_.topLeft(), NotesBoardGeometry::resizedSize(frame_.size(), step)));
}

void BoardNoteView::endResize()
{
    if (!resizing_)
        return;
    resizing_ = false;
    storeSize(QSize(static_cast<int>(frame_.width()), static_cast<int>(frame_.height())));
}

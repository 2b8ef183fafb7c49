#include "BigSceneScriptView.h"

#include "app/AdviceWindow.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryTransaction.h"
#include "panes/PaneImages.h"
#include "platform/LightLook.h"
#include "platform/ScreenplayFont.h"
#include "platform/TypingPause.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPageWidth = 612;
constexpr int kLetterHeight = 792;
constexpr int kLeastBackgroundHeight = 812;
constexpr int kLeastBackgroundWidth = 632;
constexpr int kLineGap = 18;
constexpr int kLeastBoxHeight = 18;
constexpr float kPointsPerInch = 72.0f;
constexpr int kHelpButtonSize = 30;
// Room kept between the line with the caret and the edge of the tab, so that the line shows whole.
constexpr int kCaretMargin = 4;

bool startsBelowAGap(const QString& type)
{
    return type == QLatin1String("Action") || type == QLatin1String("Character") ||
           type == QLatin1String("Transition") || type == QLatin1String("DDL-Character");
}

bool isDualDialogue(const QString& type)
{
    return type.contains(QLatin1String("DDL")) || type.contains(QLatin1String("DDR"));
}

int boxLeft(const ScriptElementdb* element)
{
    return element ? static_cast<int>(element->leftIndent() * kPointsPerInch) : 0;
}

int boxWidth(const ScriptElementdb* element)
{
    return element ? static_cast<int>((element->rightIndent() - element->leftIndent()) * kPointsPerInch) : kPageWidth;
}

} // namespace

// --- The box -----------------------------------------------------------------------------------

ScriptTextView::ScriptTextView(BigSceneScriptView& editor, QWidget* parent) : QTextEdit(parent), editor_(editor)
{
    setFont(ScreenplayFont::font(12));
    setFrameShape(QFrame::NoFrame);
    setAcceptRichText(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->setDocumentMargin(0);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(false);
}

int ScriptTextView::fittedHeight() const
{
    QTextDocument* text = document();
    text->setTextWidth(width());
    double height = text->size().height();
    // An empty box is as tall as the instruction it shows, so that none of it is cut off.
    if (text->isEmpty() && !placeholderText().isEmpty()) {
        QTextDocument placeholder;
        placeholder.setDefaultFont(font());
        placeholder.setDocumentMargin(text->documentMargin());
        placeholder.setPlainText(placeholderText());
        placeholder.setTextWidth(width());
        height = placeholder.size().height();
    }
    return std::max(kLeastBoxHeight, static_cast<int>(std::ceil(height)));
}

bool ScriptTextView::moveToEdge(QKeyEvent* event)
{
    const bool down = event->key() == Qt::Key_Down;
    if (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    QTextCursor cursor = textCursor();
    // The caret stands on the paragraph's last line when it cannot go a line further down
    // (its first line when it cannot go up); on other lines of a wrapped paragraph the arrow
    // moves it a line as usual.
    QTextCursor probe = cursor;
    if (probe.movePosition(down ? QTextCursor::Down : QTextCursor::Up))
        return false;
    cursor.movePosition(down ? QTextCursor::End : QTextCursor::Start,
                        event->modifiers() & Qt::ShiftModifier ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
    return true;
}

void ScriptTextView::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    // Tab and Shift-Tab choose the paragraph's kind; Ctrl-Tab and Ctrl-Shift-Tab leave the script
    // for the window's next or previous control.
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && (event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    const bool empty = toPlainText().isEmpty();
    const QTextCursor cursor = textCursor();
    bool handOver = false;
    bool typeIt = true;
    switch (key) {
    case Qt::Key_Backtab:
        // Shift-Tab is the Tab key all the same.
        key = Qt::Key_Tab;
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        handOver = true;
        typeIt = false;
        break;
    case Qt::Key_Backspace:
        handOver = empty;
        typeIt = !empty;
        break;
    case Qt::Key_Down:
        handOver = !cursor.hasSelection() && cursor.atEnd();
        // On the last line Down goes to the end of the text; the next Down goes on.
        typeIt = !handOver && !moveToEdge(event);
        break;
    case Qt::Key_Up:
        handOver = !cursor.hasSelection() && cursor.atStart();
        typeIt = !handOver && !moveToEdge(event);
        break;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        // A page of the script, not of this paragraph's box.
        guardedCall([&] {
            editor_.pageThroughScript(this, key == Qt::Key_PageDown, event->modifiers() & Qt::ShiftModifier);
        });
        typeIt = false;
        break;
    case Qt::Key_ParenLeft:
        // The box becomes a Parenthetical first, then takes the "(" itself.
        handOver = empty && stringTag_ == QLatin1String("Dialogue");
        break;
    default:
        break;
    }
    if (handOver) {
        const QPointer<ScriptTextView> self = this;
        guardedCall([&] { editor_.scriptTextViewKeyDown(this, key); });
        if (!self)
            return;
    }
    if (typeIt)
        QTextEdit::keyPressEvent(event);
    else
        event->accept();
}

void ScriptTextView::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    TypingPause::endEditOf(this);
    guardedCall([this] { editor_.textDidEndEditing(this); });
}

// --- The editor --------------------------------------------------------------------------------

const QString BigSceneScriptView::kPlaceholder =
    BigSceneScriptView::tr("Start typing the script for this scene here. Click the Advice Zorvin for more information "
                           "on how to properly format your script.");

BigSceneScriptView::BigSceneScriptView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("BigSceneScriptView"), parent, screenplay)
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("BigSceneScriptView"));
    setView(view);
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(9, 9, 9, 9);
    scrScript_ = new QScrollArea(view);
    scrScript_->setObjectName(QStringLiteral("scrScript"));
    scrScript_->setWidgetResizable(false);
    layout->addWidget(scrScript_);
    background_ = new QWidget;
    background_->setObjectName(QStringLiteral("background"));
    paperBackground_ = new QWidget(background_);
    paperBackground_->setObjectName(QStringLiteral("paperBackground"));
    // The paragraphs are typed black on the white page, whatever the desktop's colours.
    LightLook::keep(*paperBackground_);
    paper_ = new QFrame(paperBackground_);
    paper_->setObjectName(QStringLiteral("paper"));
    paper_->setFrameShape(QFrame::Box);
    paper_->setAutoFillBackground(true);
    QPalette white = paper_->palette();
    white.setColor(QPalette::Window, Qt::white);
    paper_->setPalette(white);
    scrScript_->setWidget(background_);
    scrScript_->installEventFilter(this);
    // A click on the page where no paragraph is starts typing in the nearest one.
    for (QWidget* page : {background_, paperBackground_, static_cast<QWidget*>(paper_)})
        page->installEventFilter(this);

    cmdHelp_ = new QToolButton(view);
    cmdHelp_->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp_->setIcon(PaneImages::image(QStringLiteral("zorvin")));
    cmdHelp_->setIconSize(QSize(kHelpButtonSize - 6, kHelpButtonSize - 6));
    cmdHelp_->setAutoRaise(true);
    cmdHelp_->setFocusPolicy(Qt::NoFocus);
    cmdHelp_->setToolTip(tr("Advice on screenplay format"));
    cmdHelp_->setProperty(kHelpTopicProperty, QStringLiteral("SCRIPT"));
    cmdHelp_->resize(kHelpButtonSize, kHelpButtonSize);
    connect(cmdHelp_, &QToolButton::clicked, this, [this] { guardedCall([this] { showHelp(cmdHelp_); }); });
    view->installEventFilter(this);
    placeHelpButton();
}

void BigSceneScriptView::placeHelpButton()
{
    const QRect area = scrScript_->geometry();
    const int scrollBar = scrScript_->verticalScrollBar()->isVisible() ? scrScript_->verticalScrollBar()->width() : 0;
    cmdHelp_->move(area.right() - scrollBar - kHelpButtonSize - 4, area.top() + 4);
    cmdHelp_->raise();
}

void BigSceneScriptView::showHelp(QObject* sender)
{
    const QPointer<MyDocument> document = myParent();
    const QPointer<QObject> button = sender;
    // The advice window is asked for once this click has been handled.
    QTimer::singleShot(0, document, [document, button] {
        guardedCall([&] {
            if (document && button)
                document->showHelp(button);
        });
    });
}

BigSceneScriptView::~BigSceneScriptView()
{
    // The boxes go with the page; the card keeps only what is stored.
    textBoxes_.clear();
}

void BigSceneScriptView::setScene(SceneCarddb* scene)
{
    if (scene == scene_)
        return;
    // The previous card reads its paragraphs from the story again next time.
    if (scene_)
        scene_->scriptParts().clear();
    scene_ = scene;
    // Without a card the boxes go with the paragraphs they showed.
    setupScript();
}

ScriptTextView* BigSceneScriptView::makeBox(const ScriptElementdb* element, ScriptPartdb* part)
{
    auto* box = new ScriptTextView(*this, paperBackground_);
    box->setStringTag(element ? element->elementType() : QString());
    box->setScriptPart(part);
    box->setObjectName(QStringLiteral("scriptBox"));
    connect(box, &QTextEdit::textChanged, this, [this, box] { guardedCall([this, box] { textDidChange(box); }); });
    connect(box, &QTextEdit::cursorPositionChanged, this, [this, box] { showCaret(box); });
    // The paragraph being typed is written a second after the last key, as when it is left.
    TypingPause::watch(box, this, [this, box] { guardedCall([this, box] { textDidEndEditing(box); }); });
    return box;
}

void BigSceneScriptView::place(ScriptTextView* box, const ScriptElementdb* element, int top, int height)
{
    const int width = boxWidth(element);
    box->setMinimumSize(width, kLeastBoxHeight);
    box->setMaximumSize(width, 100000);
    box->setGeometry(boxLeft(element), top, width, height);
}

void BigSceneScriptView::setupScript()
{
    for (ScriptTextView* box : textBoxes_)
        delete box;
    textBoxes_.clear();
    if (!scene_ || !screenplay())
        return;
    Screenplaydb& story = *screenplay();
    auto& parts = scene_->scriptParts();
    scene_->loadScriptParts();
    if (parts.empty()) {
        auto part = std::make_unique<ScriptPartdb>();
        part->setSceneCardID(scene_->sceneCardID());
        part->setSortOrder(1);
        const ScriptElementdb* action = story.elementForElementType(QStringLiteral("Action"));
        part->setElementTypeID(action ? action->scriptElementID() : 0);
        part->insertIntoDatabase(&story);
        parts.push_back(std::move(part));
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        ScriptPartdb* part = parts[i].get();
        const ScriptElementdb* element = story.elementForElementID(part->elementTypeID());
        ScriptTextView* box = makeBox(element, part);
        place(box, element, 0, kLeastBoxHeight);
        {
            // Every paragraph opens left-aligned, whatever its format says: only retyping a
            // paragraph sets its alignment.
            const QSignalBlocker quiet(box);
            box->setPlainText(part->scriptText());
        }
        // The first paragraph of an empty scene says what to do; what it says is not stored.
        if (i == 0)
            box->setPlaceholderText(kPlaceholder);
        const int height = box->fittedHeight();
        box->resize(box->width(), height);
        box->setOldHeight(static_cast<float>(height));
        box->show();
        textBoxes_.push_back(box);
    }
    layoutBoxes();
}

void BigSceneScriptView::layoutBoxes()
{
    int y = 0;
    bool dualDialogue = false;
    int dualTop = 0;
    int dualBottom = 0;
    for (ScriptTextView* box : textBoxes_) {
        const QString& type = box->stringTag();
        if (dualDialogue && !isDualDialogue(type)) {
            // After a dual-dialogue block the script goes on below its taller column.
            dualDialogue = false;
            y = std::max(y, dualBottom);
        }
        int top = startsBelowAGap(type) ? y + kLineGap : y;
        if (type == QLatin1String("DDL-Character")) {
            dualDialogue = true;
            dualTop = top;
            dualBottom = 0;
        } else if (type == QLatin1String("DDR-Character")) {
            top = dualTop;
        }
        box->move(box->x(), top);
        const int bottom = top + box->height();
        if (dualDialogue)
            dualBottom = std::max(dualBottom, bottom);
        y = bottom;
    }
    if (!textBoxes_.empty())
        sizePageDuringLayout(std::max(y, dualBottom));
}

void BigSceneScriptView::sizePageDuringLayout(int bottom)
{
    const QSize shown = scrScript_->size();
    const int width = shown.width() < kLeastBackgroundWidth ? kLeastBackgroundWidth : shown.width() - 18;
    const int height = std::max(kLeastBackgroundHeight, bottom + 92 > shown.height() ? bottom + 92 : shown.height());
    background_->resize(width, height);
    const int page = std::max(kLetterHeight, bottom + 72);
    paperBackground_->setGeometry(width / 2 - kPageWidth / 2, height - 10 - page, kPageWidth, page);
    paper_->setGeometry(0, 0, kPageWidth, page);
}

ScriptTextView* BigSceneScriptView::boxNearest(const QPoint& point) const
{
    ScriptTextView* nearest = nullptr;
    int distance = 0;
    for (ScriptTextView* box : textBoxes_) {
        const QRect frame = box->geometry();
        const int dx = point.x() < frame.left() ? frame.left() - point.x()
                       : point.x() > frame.right() ? point.x() - frame.right() : 0;
        const int dy = point.y() < frame.top() ? frame.top() - point.y()
                       : point.y() > frame.bottom() ? point.y() - frame.bottom() : 0;
        // Height counts before width: a click beside a paragraph goes to that paragraph; the
        // later of two equally near boxes wins, so below them all is the last.
        const int away = dy * 10000 + dx;
        if (!nearest || away <= distance) {
            nearest = box;
            distance = away;
        }
    }
    return nearest;
}

void BigSceneScriptView::clickOnPage(const QPoint& globalPoint)
{
    const QPoint point = paperBackground_->mapFromGlobal(globalPoint);
    ScriptTextView* box = boxNearest(point);
    if (!box)
        return;
    // The caret goes where the click is, as near as the paragraph's text allows.
    box->setTextCursor(caretNearest(*box, point));
    box->setFocus(Qt::MouseFocusReason);
}

QTextCursor BigSceneScriptView::caretNearest(const ScriptTextView& box, const QPoint& point) const
{
    const QRect frame = box.geometry();
    const QPoint inside(std::clamp(point.x(), frame.left(), frame.right()),
                        std::clamp(point.y(), frame.top(), frame.bottom()));
    return box.cursorForPosition(box.viewport()->mapFrom(paperBackground_, inside));
}

bool BigSceneScriptView::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == background_ || watched == paperBackground_ || watched == paper_)
        && event->type() == QEvent::MouseButtonPress) {
        auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton) {
            guardedCall([this, click] { clickOnPage(click->globalPosition().toPoint()); });
            return true;
        }
    }
    if ((watched == view() || watched == scrScript_) && event->type() == QEvent::Resize)
        placeHelpButton();
    if (watched == scrScript_ && event->type() == QEvent::Resize && !textBoxes_.empty()) {
        const QRect last = textBoxes_.back()->geometry();
        guardedCall([this, last] { sizePageDuringLayout(last.y() + last.height()); });
    }
    return BaseViewController::eventFilter(watched, event);
}

std::ptrdiff_t BigSceneScriptView::indexOf(const ScriptTextView* box) const
{
    const auto found = std::find(textBoxes_.begin(), textBoxes_.end(), box);
    return found == textBoxes_.end() ? -1 : found - textBoxes_.begin();
}

// --- Typing ------------------------------------------------------------------------------------

void BigSceneScriptView::textDidChange(ScriptTextView* box)
{
    if (changingText_ || indexOf(box) < 0)
        return;
    if (box->stringTag() == QLatin1String("Character") || box->stringTag() == QLatin1String("Transition")) {
        const QString text = box->toPlainText();
        const QString upper = text.toUpper();
        if (upper != text) {
            // The letters are replaced in place: the paragraph keeps its alignment, the caret
            // stays where it was and the change counts as typed.
            const int position = box->textCursor().position();
            changingText_ = true;
            QTextCursor all(box->document());
            all.joinPreviousEditBlock();
            all.select(QTextCursor::Document);
            all.insertText(upper);
            all.endEditBlock();
            QTextCursor cursor = box->textCursor();
            cursor.setPosition(std::min(position, static_cast<int>(upper.size())));
            box->setTextCursor(cursor);
            changingText_ = false;
        }
    }
    const int height = box->fittedHeight();
    box->resize(box->width(), height);
    // The boxes below follow the new height.
    if (height != static_cast<int>(box->oldHeight()))
        layoutBoxes();
    box->setOldHeight(static_cast<float>(height));
    // Only now does the page have room for a line the text gained.
    showCaret(box);
}

void BigSceneScriptView::showCaret(ScriptTextView* box)
{
    if (!box->hasFocus())
        return;
    const QRect caret = box->cursorRect();
    const QPoint centre = box->viewport()->mapTo(background_, caret.center());
    scrScript_->ensureVisible(centre.x(), centre.y(), caret.width() / 2 + kCaretMargin, caret.height() / 2 + kCaretMargin);
}

void BigSceneScriptView::textDidEndEditing(ScriptTextView* box)
{
    ScriptPartdb* part = box->scriptPart();
    if (!part || indexOf(box) < 0)
        return;
    part->setScriptText(box->toPlainText());
    part->save();
}

// --- Keys --------------------------------------------------------------------------------------

void BigSceneScriptView::scriptTextViewKeyDown(ScriptTextView* box, int key)
{
    const std::ptrdiff_t index = indexOf(box);
    if (index < 0 || !screenplay())
        return;
    const bool empty = box->toPlainText().isEmpty();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        newParagraph(box);
        break;
    case Qt::Key_Tab:
        if (!empty)
            break;
        if (box->stringTag() == QLatin1String("Action")) {
            box->setOldHeight(static_cast<float>(box->height()));
            retype(box, QStringLiteral("Character"), Qt::AlignLeft);
        } else if (box->stringTag() == QLatin1String("Character")) {
            retype(box, QStringLiteral("Transition"), Qt::AlignRight);
        }
        break;
    case Qt::Key_ParenLeft:
        if (empty && box->stringTag() == QLatin1String("Dialogue"))
            retype(box, QStringLiteral("Parenthetical"), Qt::AlignLeft);
        break;
    case Qt::Key_Backspace:
        if (empty)
            deleteParagraph(box);
        break;
    case Qt::Key_Down:
        if (static_cast<std::size_t>(index) + 1 < textBoxes_.size())
            focusBox(textBoxes_[static_cast<std::size_t>(index) + 1], false);
        break;
    case Qt::Key_Up:
        if (index > 0)
            focusBox(textBoxes_[static_cast<std::size_t>(index) - 1], true);
        break;
    default:
        break;
    }
}

void BigSceneScriptView::pageThroughScript(ScriptTextView* box, bool down, bool extend)
{
    if (indexOf(box) < 0)
        return;
    // The page scrolls by what the tab shows, and the caret goes as far: to the paragraph that
    // stands a page away, at the same place across, or to the very end (start) of the script
    // when there is no page more.
    const int step = (down ? 1 : -1) * scrScript_->viewport()->height();
    const QPoint caret = box->viewport()->mapTo(paperBackground_, box->cursorRect().center());
    const QPoint target(caret.x(), caret.y() + step);
    QScrollBar* bar = scrScript_->verticalScrollBar();
    bar->setValue(bar->value() + step);
    ScriptTextView* first = textBoxes_.front();
    ScriptTextView* last = textBoxes_.back();
    ScriptTextView* landing = nullptr;
    QTextCursor cursor;
    if (down && target.y() > last->geometry().bottom()) {
        landing = last;
        cursor = QTextCursor(last->document());
        cursor.movePosition(QTextCursor::End);
    } else if (!down && target.y() < first->geometry().top()) {
        landing = first;
        cursor = QTextCursor(first->document());
    } else {
        landing = boxNearest(target);
        cursor = caretNearest(*landing, target);
    }
    if (landing == box && extend) {
        // Within the paragraph Shift selects as far as the caret goes.
        const int position = cursor.position();
        cursor = box->textCursor();
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    }
    landing->setTextCursor(cursor);
    landing->setFocus(Qt::OtherFocusReason);
    showCaret(landing);
}

void BigSceneScriptView::retype(ScriptTextView* box, const QString& type, Qt::Alignment alignment)
{
    const ScriptElementdb* element = screenplay()->elementForElementType(type);
    if (!element)
        return;
    place(box, element, box->y(), box->height());
    box->setStringTag(type);
    box->setAlignment(alignment);
    ScriptPartdb* part = box->scriptPart();
    part->setElementTypeID(element->scriptElementID());
    part->save();
}

void BigSceneScriptView::focusBox(ScriptTextView* box, bool atEnd)
{
    QTextCursor cursor = box->textCursor();
    cursor.movePosition(atEnd ? QTextCursor::End : QTextCursor::Start);
    box->setTextCursor(cursor);
    box->setFocus(Qt::OtherFocusReason);
    scrScript_->ensureWidgetVisible(box);
    // A paragraph taller than the page shows where the caret is.
    showCaret(box);
}

namespace {

// The paragraph Return starts after one of `type`: a character or parenthetical leads to its
// speech (in a dual-dialogue column, to that column's), the left column's speech to the right
// column's character, everything else to an action. The gap says whether it stands 18 below.
QString nextTypeAfter(const QString& type)
{
    if (type == QLatin1String("Character") || type == QLatin1String("Parenthetical"))
        return QStringLiteral("Dialogue");
    if (type == QLatin1String("DDL-Character") || type == QLatin1String("DDL-Parenthetical"))
        return QStringLiteral("DDL-Dialogue");
    if (type == QLatin1String("DDR-Character") || type == QLatin1String("DDR-Parenthetical"))
        return QStringLiteral("DDR-Dialogue");
    if (type == QLatin1String("DDL-Dialogue"))
        return QStringLiteral("DDR-Character");
    return QStringLiteral("Action");
}

} // namespace

void BigSceneScriptView::newParagraph(ScriptTextView* box)
{
    Screenplaydb& story = *screenplay();
    const std::size_t index = static_cast<std::size_t>(indexOf(box));
    const QString type = nextTypeAfter(box->stringTag());
    ScriptTextView* next = index + 1 < textBoxes_.size() ? textBoxes_[index + 1] : nullptr;
    if (type != QLatin1String("Action") && next && next->stringTag() == type) {
        // The paragraph is there already: the caret goes to it.
        focusBox(next, false);
        return;
    }
    const ScriptElementdb* element = story.elementForElementType(type);
    if (!element)
        return;

    // The rows after the box move one sort order on; the new row takes the first of theirs (or
    // comes last). All of it is written together or not at all.
    auto& parts = scene_->scriptParts();
    std::vector<std::pair<ScriptPartdb*, std::int64_t>> moved;
    for (std::size_t i = index + 1; i < parts.size(); ++i)
        moved.emplace_back(parts[i].get(), parts[i]->sortOrder());
    std::int64_t sortOrder = moved.empty() ? parts.back()->sortOrder() + 1 : moved.front().second;
    for (const auto& [part, order] : moved)
        sortOrder = std::min(sortOrder, order);
    auto part = std::make_unique<ScriptPartdb>();
    part->setSceneCardID(scene_->sceneCardID());
    part->setSortOrder(sortOrder);
    part->setElementTypeID(element->scriptElementID());
    {
        StoryTransaction transaction(story.database());
        try {
            for (const auto& [other, order] : moved) {
                other->setSortOrder(order + 1);
                other->updateSortOrder();
            }
            part->insertIntoDatabase(&story);
            transaction.commit();
        } catch (...) {
            for (const auto& [other, order] : moved)
                other->setSortOrder(order);
            throw;
        }
    }
    ScriptTextView* added = makeBox(element, part.get());
    place(added, element, box->y() + box->height(), kLeastBoxHeight);
    added->setOldHeight(static_cast<float>(kLeastBoxHeight));
    textBoxes_.insert(textBoxes_.begin() + static_cast<std::ptrdiff_t>(index) + 1, added);
    parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(part));
    added->show();
    layoutBoxes();
    focusBox(added, false);
}

void BigSceneScriptView::removeBox(std::size_t index)
{
    auto& parts = scene_->scriptParts();
    ScriptTextView* box = textBoxes_[index];
    textBoxes_.erase(textBoxes_.begin() + static_cast<std::ptrdiff_t>(index));
    parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(index));
    box->hide();
    box->deleteLater();
}

void BigSceneScriptView::deleteParagraph(ScriptTextView* box)
{
    Screenplaydb& story = *screenplay();
    const std::size_t index = static_cast<std::size_t>(indexOf(box));
    // The emptied box alone goes: a key typed in one box never takes the text of another, so a
    // character's parenthetical and speech stay. A scene keeps one paragraph at least.
    if (textBoxes_.size() <= 1)
        return;
    {
        StoryTransaction transaction(story.database());
        box->scriptPart()->deleteFromDatabase();
        transaction.commit();
    }
    removeBox(index);
    layoutBoxes();
    // The caret goes to the end of the paragraph before, or to the start of the first.
    if (index == 0)
        focusBox(textBoxes_.front(), false);
    else
        focusBox(textBoxes_[index - 1], true);
}

#include "TrackingTableView.h"

#include "app/BaseViewController.h"
#include "app/GuardedCall.h"
#include "platform/TypingPause.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

namespace {

const char* const kOpenedText = "openedText";
const char* const kEditedCell = "editedCell";

// The editor of `cell` remembers what the cell held as its edit began, for Escape.
void rememberOpenedText(QWidget* editor, const QModelIndex& cell)
{
    editor->setProperty(kOpenedText, cell.data(Qt::EditRole));
    editor->setProperty(kEditedCell, QVariant::fromValue(QPersistentModelIndex(cell)));
}

// Escape cancels the edit of a cell: the cell is given back the text it had when the edit began.
// The typing pause may have written part of the edit already, so the story gets that text back
// too, in one write as typing writes (the work that ends an edit was never done); nothing is
// written when nothing was. Answers whether the event was that Escape.
bool revertedOnEscape(QAbstractItemDelegate& delegate, QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor || event->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel))
        return false;
    TypingPause::endEditOf(editor);
    const auto cell = editor->property(kEditedCell).value<QPersistentModelIndex>();
    const QVariant opened = editor->property(kOpenedText);
    if (cell.isValid() && cell.data(Qt::EditRole) != opened)
        const_cast<QAbstractItemModel*>(cell.model())->setData(cell, opened, TextCellDelegate::kTypedTextRole);
    emit delegate.closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    return true;
}

} // namespace

void TrackingTableView::keyPressEvent(QKeyEvent* event)
{
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
                       && !(event->modifiers() & ~Qt::KeypadModifier);
    const QModelIndex index = currentIndex();
    if (!enter || !index.isValid() || !shouldTrack_ || state() == EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    // Return acts on the current cell as a click on it does.
    event->accept();
    guardedCall([&] { shouldTrack_(index); });
}

void TrackingTableView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton && shouldTrack_) {
        bool track = false;
        if (!guardedCall([&] { track = shouldTrack_(index); }) || !track)
            return;
    }
    QTableView::mousePressEvent(event);
}

void TrackingTableView::setUpAsList()
{
    setWordWrap(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The header would keep rows at least as high as its own font asks, which a large font makes
    // higher than a thin row is meant to be.
    verticalHeader()->setMinimumSectionSize(1);
}

TextCellDelegate::TextCellDelegate(const QString& editorName, QObject* parent)
    : QStyledItemDelegate(parent), editorName_(editorName)
{
}

QWidget* TextCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* editor = new QPlainTextEdit(parent);
    editor->setObjectName(editorName_);
    editor->setFont(index.data(Qt::FontRole).value<QFont>());
    editor->setFrameShape(QFrame::NoFrame);
    editor->setToolTip(QStringLiteral("Return ends the edit, Shift+Return starts a new line, Tab goes on to the next "
                                      "cell and Shift+Tab back to the one before."));
    rememberOpenedText(editor, index);
    // The model's setData runs in guardedCall itself.
    TypingPause::watch(editor, editor, [editor, cell = QPersistentModelIndex(index)] {
        if (cell.isValid())
            const_cast<QAbstractItemModel*>(cell.model())->setData(cell, editor->toPlainText(), kTypedTextRole);
    });
    return editor;
}

QWidget* LineCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        rememberOpenedText(line, index);
        TypingPause::watch(line, line, [line, cell = QPersistentModelIndex(index)] {
            if (cell.isValid())
                const_cast<QAbstractItemModel*>(cell.model())
                    ->setData(cell, line->text(), TextCellDelegate::kTypedTextRole);
        });
    }
    return editor;
}

void LineCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    TypingPause::endEditOf(editor);
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool LineCellDelegate::eventFilter(QObject* object, QEvent* event)
{
    return revertedOnEscape(*this, object, event) || QStyledItemDelegate::eventFilter(object, event);
}

int TextCellDelegate::heightForText(const QString& text, const QFont& font, int columnWidth)
{
    // What the cell's frame and text margins take of its width and height.
    constexpr int kSideMargins = 24;
    constexpr int kTopAndBottom = 12;
    const float needed =
        BaseViewController::heightForString(text, font, static_cast<float>(std::max(0, columnWidth - kSideMargins)));
    return static_cast<int>(std::ceil(needed)) + kTopAndBottom;
}

void TextCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* box = static_cast<QPlainTextEdit*>(editor);
    box->setPlainText(index.data(Qt::EditRole).toString());
    if (selectAll_)
        box->selectAll();
    else
        box->moveCursor(QTextCursor::End);
    selectAll_ = false;
}

void TextCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    TypingPause::endEditOf(editor);
    model->setData(index, static_cast<QPlainTextEdit*>(editor)->toPlainText(), Qt::EditRole);
}

bool TextCellDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (revertedOnEscape(*this, object, event))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool newLine = key->modifiers() & (Qt::ShiftModifier | Qt::AltModifier);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !newLine) {
            auto* editor = static_cast<QWidget*>(object);
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

// A table whose every left-button press asks its controller first whether the press goes on:
// the controller acts on the cell (ticks a box, opens a picker, starts an edit) and answers
// whether the table should still take the press (select, track). The question runs in
// guardedCall, so a failure is reported and the press is dropped. Return on the current cell
// asks the same question, as a click on the cell does.
class TrackingTableView : public QTableView
{
public:
    using ShouldTrackCell = std::function<bool(const QModelIndex&)>;

    explicit TrackingTableView(QWidget* parent = nullptr) : QTableView(parent) {}
    void setShouldTrackCell(ShouldTrackCell shouldTrack) { shouldTrack_ = std::move(shouldTrack); }
    // Sets the table up as a list: one whole row selected at a time, text wrapped, rows as high
    // as the controller sets them (no row header), scrolled by pixel and never sideways, and a
    // cell edited only when the controller starts it.
    void setUpAsList();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    ShouldTrackCell shouldTrack_;
};

// Edits a text cell in a wrapping text box that opens with the insertion point at the end of
// the text, nothing selected (or all of it, on request). Return ends the edit and stores it;
// Shift+Return or Alt+Return starts a new line; leaving the box stores it too (Tab does, and
// goes on to the next editable cell: KeyboardNavigation); Escape gives the cell back the text it
// had when the edit began, in the story as well. A second after
// the last key the text as it stands is given to the model with kTypedTextRole, which a model
// stores without the work that ends an edit (a model that does not know the role ignores it).
class TextCellDelegate : public QStyledItemDelegate
{
public:
    static constexpr int kTypedTextRole = Qt::UserRole + 0x7e1;

    // `editorName` is the box's object name.
    TextCellDelegate(const QString& editorName, QObject* parent);

    // The height a cell of `columnWidth` needs to show all of `text` in `font`, wrapped as the
    // table wraps it, with the cell's margins. The cell is painted by the style as every item
    // view's is, and BaseViewController::layOutAsPainted reads a text as it paints it: tabs, line
    // feeds and font.
    static int heightForText(const QString& text, const QFont& font, int columnWidth);

    // The next editor opened selects its whole text (once).
    void selectAllInNextEditor() { selectAll_ = true; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QString editorName_;
    mutable bool selectAll_ = false;
};

// The table's own editor for a cell of one line; a second after the last key its text as it
// stands goes to the model with TextCellDelegate::kTypedTextRole, and Escape puts back what the
// cell held, like a TextCellDelegate's.
class LineCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

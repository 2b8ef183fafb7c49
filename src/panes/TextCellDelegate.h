#pragma once

#include <QString>
#include <QStyledItemDelegate>

// Edits a table cell's text in a wrapping text box over the cell, made only while the cell is
// edited. The box opens with the insertion point at the end of the text, or with the whole
// text selected when the next edit is asked to select it. Return ends the edit and stores it;
// Shift+Return or Alt+Return starts a new line; leaving the box stores it too.
class TextCellDelegate : public QStyledItemDelegate
{
public:
    // `editorName` is the object name of the box, by which tests find it.
    TextCellDelegate(const QString& editorName, QObject* parent);

    // The next editor opened selects its whole text (only the next one).
    void selectTextOfNextEditor() { selectText_ = true; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QString editorName_;
    mutable bool selectText_ = false;
};

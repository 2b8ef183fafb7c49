#pragma once

#include <QDialog>

class Loglinedb;
class LoglineListModel;
class QPushButton;
class QTableView;
class Screenplaydb;

// Makes `current` the story's one current logline: every logline of the story gets its flag
// (1 for `current`, 0 for the others) and is saved. With nothing, no logline stays current.
void makeCurrentLogline(Screenplaydb& story, const Loglinedb* current);

// The modal list of the story's loglines: one row per logline in the story's order, a
// "current" column whose check marks the current logline (checking any row makes it the one
// current logline) and a "logline" column with the wrapped text, which is shown but never
// stored from here. A logline that is not the current one can be deleted.
class LoglineList : public QDialog
{
    Q_OBJECT

public:
    explicit LoglineList(Screenplaydb* screenplay, QWidget* parent = nullptr);
    ~LoglineList() override;

    Screenplaydb* screenplay() const { return screenplay_; }
    QTableView* tvTable() const { return tvTable_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }
    QPushButton* cmdClose() const { return cmdClose_; }

    // The height of a row: its text wrapped in the table's width less 62 in the 13-pixel
    // font, never less than 20.
    int heightOfRow(int row) const;
    // Makes the logline of the row the current one and hides the delete button.
    void chooseCurrentLogline(int row);
    // Asks, then deletes the selected logline; does nothing without a selected logline that
    // is not the current one.
    void deleteLogline();
    // The close button: clears the selection and ends the modal run.
    void closeList();
    // Reads every row from the story again, with new row heights.
    void reload();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void selectionChanged();
    int selectedRow() const;

    Screenplaydb* screenplay_;
    LoglineListModel* model_;
    QTableView* tvTable_;
    QPushButton* cmdDelete_;
    QPushButton* cmdClose_;
};

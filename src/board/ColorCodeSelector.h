#pragma once

#include <QColor>
#include <QColorDialog>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>

class AppController;
class ColorCodeTableModel;
class ColorCodeTableView;
class QPushButton;
class QTableView;
class Screenplaydb;
class UserInformationdb;

// The colour-code dialog. It shows a list of colour codes (a colour and its meaning, one row
// each, 40 pixels high) in one of four use modes:
//   1 project: edits the story's colour codes (add, delete, rename, recolour, restore the
//     master file's codes);
//   2 filter: picks the colour by which the board list is filtered ("Clear Color Filtering"
//     answers 0);
//   3 scene: picks a colour code for one slot of a scene card (the clear-colour button
//     answers 0);
//   4 master: edits the master file's colour codes (restore makes the ten defaults again).
// The first code of a list ("Major Turns") may get another colour but never another
// description, and can never be deleted. Every change is written to its file at once.
//
// Callers: create it with the story (none for the master codes), paint it in the standard
// background colour (ModalDialogs::paintBackground), give it the master file's user record where needed and the use mode (and, in modes 2 and 3,
// the current choice), then runModal() and read selectedColorID().
class ColorCodeSelector : public QDialog
{
    Q_OBJECT

public:
    enum UseMode : std::int64_t { Project = 1, Filter = 2, Scene = 3, Master = 4 };

    // `screenplay` is not owned; the document that owns it outlives the dialog.
    explicit ColorCodeSelector(const QString& nibName, Screenplaydb* screenplay, QWidget* parent = nullptr);
    ~ColorCodeSelector() override;

    // Sets up the window for a use mode (1 to 4); any other number only hides the
    // clear-colour button.
    void setUseMode(std::int64_t mode);
    std::int64_t useMode() const { return useMode_; }

    // Plain accessors; the records are not owned.
    Screenplaydb* screenplay() const { return screenplay_; }
    void setScreenplay(Screenplaydb* screenplay);
    UserInformationdb* userInformation() const { return userInformation_; }
    void setUserInformation(UserInformationdb* userInformation);
    std::int64_t selectedColorID() const { return selectedColorID_; }
    void setSelectedColorID(std::int64_t colorCodeID) { selectedColorID_ = colorCodeID; }
    // The application, which shows the tip's help topic; the tip button does nothing more
    // than stop the modal run while none is set.
    AppController* application() const { return application_; }
    void setApplication(AppController* application) { application_ = application; }

    QTableView* tvColors() const;
    // The colour panel while it edits a code's colour; nothing otherwise.
    QColorDialog* pnlColor() const { return pnlColor_; }
    QPushButton* cmdAdd() const { return cmdAdd_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }
    QPushButton* cmdRestoreDefaults() const { return cmdRestoreDefaults_; }
    QPushButton* cmdClearColor() const { return cmdClearColor_; }
    QPushButton* cmdDone() const { return cmdDone_; }
    QPushButton* cmdTip() const { return cmdTip_; }

    // --- Button actions ---
    void addColorCode();
    void deleteColorCode();
    void restoreDefaults();
    void clearColor();
    void closeWindow();
    void showTip();

    // --- Table data source and delegate ---
    // Column identifiers.
    static const QString kColorColumn;   // "color"
    static const QString kMeaningColumn; // "meaning"
    static QString columnIdentifier(int column);
    int numberOfRowsInTableView() const;
    int tableViewHeightOfRow(int row) const;
    // The cell's value for `role`: the code's colour as the "color" cell's background, the
    // description and its font for the "meaning" cell.
    QVariant tableViewWillDisplayCell(const QString& column, int row, int role) const;
    QVariant tableViewObjectValueForTableColumn(const QString& column, int row) const;
    // Whether the cell may be edited; refusing the first row's description says why.
    bool tableViewShouldEditTableColumn(const QString& column, int row);
    // A press on a cell: on a "color" cell in modes 1 and 4 it opens the colour panel on the
    // code's colour instead of tracking (answers false); otherwise an ordinary click.
    bool tableViewShouldTrackCell(const QString& column, int row);
    // A finished edit of a "meaning" cell: the code takes the description and is saved.
    void tableViewSetObjectValue(const QVariant& value, const QString& column, int row);
    // Modes 2 and 3: the selected row is the choice and ends the modal run.
    void tableViewSelectionDidChange();

    // The colour panel's colour changed: the selected row's code takes it (each component
    // times 255, truncated) and is saved. Nothing happens while no row is selected.
    void changeColor(const QColor& color);

    // Runs the dialog modally (through the panes' modal runner, which tests replace) until
    // one of its actions stops the run.
    void runModal();
    // Whether an action stopped the modal run since the dialog last started one.
    bool modalRunStopped() const { return modalRunStopped_; }

    // The first row selected in the table, -1 when none.
    int selectedRow() const;
    // Reloads the table from the list shown.
    void reloadData();

private:
    void buildWindow();
    void stopModal();
    bool editsCodes() const { return useMode_ == Project || useMode_ == Master; }
    std::size_t codeCount() const;
    template <typename Work>
    void withCode(int row, Work&& work) const;
    void restoreProjectDefaults();
    void restoreMasterDefaults();
    void closeColorPanel();

    Screenplaydb* screenplay_ = nullptr;
    UserInformationdb* userInformation_ = nullptr;
    AppController* application_ = nullptr;
    std::int64_t useMode_ = 0;
    std::int64_t selectedColorID_ = 0;
    bool modalRunStopped_ = false;
    ColorCodeTableModel* model_ = nullptr;  // child of the dialog
    ColorCodeTableView* tvColors_ = nullptr; // child of the dialog
    QPointer<QColorDialog> pnlColor_;
    QPushButton* cmdAdd_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdRestoreDefaults_ = nullptr;
    QPushButton* cmdClearColor_ = nullptr;
    QPushButton* cmdDone_ = nullptr;
    QPushButton* cmdTip_ = nullptr;
};

// The component (0 to 1) of a colour panel colour as a colour-code value 0 to 255: times 255,
// truncated toward zero, computed exactly from the colour's 16-bit component.
std::int64_t colorCodeComponent(quint16 component);

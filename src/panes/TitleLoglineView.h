#pragma once

#include "app/BaseViewController.h"

#include <memory>

class LoglineList;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// The title/logline pane at the top of a story window: the story's title, its current
// logline, its genre and its page count. Every finished edit is written at once. After the
// title, the logline or the genre changes on a story whose board holds no card, the document
// is asked for the initial beat cards; a new page count re-pages the board.
class TitleLoglineView : public BaseViewController
{
    Q_OBJECT

public:
    TitleLoglineView(MyDocument* parent, Screenplaydb* screenplay);
    ~TitleLoglineView() override;

    // Fonts, values, the logline-list button (shown with two loglines or more) and the fit
    // into the pane.
    void refreshView();
    // Fits the pane into the first pane of the document's title split view: the view (when
    // `placeView`) takes the whole pane, or a strip 70 high when the pane is lower; the
    // logline field fills the view below the title from x 109, less 129 on the right, or 223
    // while the logline-list button shows.
    void fitIntoPane(bool placeView);

    // The edit of a control ended: the title, the logline or the page count is stored; for
    // any control the story is then saved.
    void controlTextDidEndEditing(QObject* control);
    // The text of a field as it stands, written while it is still being typed.
    void storeTypedText(QObject* control);
    // A genre was chosen in the genre box.
    void comboBoxSelectionDidChange(QObject* comboBox);
    // Runs the logline list; afterwards the pane shows the current logline.
    void showAllLoglines();
    // The logline field takes typing only while the story has a current logline to keep it:
    // in a story without one it says how to start one.
    void allowLoglineTyping();
    // A help button: the topic it carries; for "GENRE", the page of the story's genre.
    void showHelp(QObject* sender);

    QLineEdit* tfTitle() const { return tfTitle_; }
    QPlainTextEdit* tfLogline() const { return tfLogline_; }
    QComboBox* cmbGenre() const { return cmbGenre_; }
    QLineEdit* tfPageCount() const { return tfPageCount_; }
    QPushButton* cmdLoglines() const { return cmdLoglines_; }
    QToolButton* cmdGenreHelp() const { return cmdGenreHelp_; }
    // The logline list while it runs; nothing otherwise.
    LoglineList* loglineListWindow() const { return loglineListWindow_.get(); }

private:
    // Answers false when the page count was refused.
    bool pageCountEdited();
    void askForInitialBeatCards();
    void setFonts();

    QLabel* lblTitle_;
    QLabel* lblLogline_;
    QLabel* lblGenre_;
    QLabel* lblPages_;
    QLineEdit* tfTitle_;
    QPlainTextEdit* tfLogline_;
    QComboBox* cmbGenre_;
    QLineEdit* tfPageCount_;
    QPushButton* cmdLoglines_;
    QToolButton* cmdGenreHelp_;
    std::unique_ptr<LoglineList> loglineListWindow_;
    // While an edit is being stored: the alert it may show takes the focus, which would end
    // the same edit again.
    bool storingEdit_ = false;
};

#pragma once

#include <QMainWindow>
#include <QPointer>

class MyDocument;
class QAction;
class QToolBar;

// The window of one story, with its own toolbar. Closing it closes the story; its size and
// zoom state changes are reported to the document.
class StoryWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit StoryWindow(MyDocument& document);
    MyDocument& document() const { return document_; }

    QToolBar* toolbar() const { return toolbar_; }
    // The toolbar's buttons.
    QAction* tbToggleTitleLogline() const { return tbToggleTitleLogline_; }
    QAction* tbToggleBeats() const { return tbToggleBeats_; }
    QAction* tbToggleLitterBox() const { return tbToggleLitterBox_; }
    QAction* tbToggleNotes() const { return tbToggleNotes_; }
    QAction* tbFullTitleView() const { return tbFullTitleView_; }
    QAction* tbFullBeatsView() const { return tbFullBeatsView_; }
    QAction* tbFullBoardView() const { return tbFullBoardView_; }
    QAction* tbFullNotesView() const { return tbFullNotesView_; }
    QAction* tbRestoreView() const { return tbRestoreView_; }
    QAction* tbLogline() const { return tbLogline_; }
    QAction* tbAddItem() const { return tbAddItem_; }
    QAction* tbDeleteItem() const { return tbDeleteItem_; }
    QAction* tbAddSceneCard() const { return tbAddSceneCard_; }
    QAction* tbToggleListCorkView() const { return tbToggleListCorkView_; }

signals:
    void activated(StoryWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Tab and Shift+Tab go through the sections in reading order: title and logline, the story's
    // elements, the board, the Litter Box, the general notes, and round.
    // Qt moves the focus on, as if by Tab, when the widget holding it is hidden or taken off
    // its view; a field reached that way would have its whole text selected, and the next key
    // would replace it. The focus stays instead with the nearest view still showing.
    bool focusNextPrevChild(bool next) override;

private:
    QAction* addButton(const QString& text, const QString& objectName);
    // The height of a toolbar button that shows a picture.
    int pictureButtonHeight() const;

    MyDocument& document_;
    bool closing_ = false;
    QToolBar* toolbar_;
    int buttonHeight_ = 0;
    QAction* tbToggleTitleLogline_;
    QAction* tbToggleBeats_;
    QAction* tbToggleLitterBox_;
    QAction* tbToggleNotes_;
    QAction* tbFullTitleView_;
    QAction* tbFullBeatsView_;
    QAction* tbFullBoardView_;
    QAction* tbFullNotesView_;
    QAction* tbRestoreView_;
    QAction* tbLogline_;
    QAction* tbAddItem_;
    QAction* tbDeleteItem_;
    QAction* tbAddSceneCard_;
    QAction* tbToggleListCorkView_;
};

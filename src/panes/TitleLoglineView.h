#pragma once

#include "app/BaseViewController.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The title/logline pane: the story's title, its current logline, genre and page count.
class TitleLoglineView : public BaseViewController
{
    Q_OBJECT

public:
    TitleLoglineView(MyDocument* parent, Screenplaydb* screenplay);

    // Fills every field from the story; the logline-list button shows only when the story
    // has two loglines or more.
    void refreshView();

    QLineEdit* tfTitle() const { return tfTitle_; }
    QLineEdit* tfLogline() const { return tfLogline_; }
    QPushButton* cmdLoglines() const { return cmdLoglines_; }

private:
    void titleEdited();
    void loglineEdited();

    QLineEdit* tfTitle_;
    QLineEdit* tfLogline_;
    QPushButton* cmdLoglines_;
    QLabel* lblGenre_;
    QLabel* lblPageCount_;
};

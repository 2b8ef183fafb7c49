#pragma once

#include "SceneCardView.h"
#include "app/BaseViewController.h"
#include "app/SmallViews.h"

#include <QFrame>
#include <QPointer>
#include <QScrollArea>
#include <QString>

#include <cstdint>
#include <vector>

class BoardListViewView;
class ColorCodeSelector;
class QButtonGroup;
class QComboBox;
class QLabel;
class QMimeData;
class QPushButton;
class QToolButton;

// One bar of the board list: a brown bar, an act bar or a beat bar, told apart by its tag
// (1001-1005 brown bars, 2001-2005 act bars, 3000 + board beat for beat bars) and its string
// tag ("Act:1", "Act:2a", "Act:2b", "Act:3", "End" or "BoardBeatSection:<board beat>").
// Only a bar with a list parent (the beat bars) takes drops: a Litter Box card dropped on it
// goes back onto the board in that beat.
class BoxWithTags : public QFrame
{
    Q_OBJECT

public:
    explicit BoxWithTags(QWidget* parent = nullptr);

    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }
    const QString& stringTag() const { return stringTag_; }
    void setStringTag(const QString& tag) { stringTag_ = tag; }
    // Not owned: the list owns the view that holds its bars.
    BoardListViewView* myBoardListViewParent() const { return myBoardListViewParent_; }
    void setMyBoardListViewParent(BoardListViewView* list) { myBoardListViewParent_ = list; }
    // The bar's text, when it has one.
    QLabel* label() const { return label_; }
    void setLabel(QLabel* label) { label_ = label; }

    // The drop answers: the move operation for a Litter Box card of the bar's own document;
    // taking it puts it back on the board.
    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    bool performDrop(const QMimeData* data, const QPoint& location);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::int64_t tag_ = 0;
    QString stringTag_;
    BoardListViewView* myBoardListViewParent_ = nullptr;
    QLabel* label_ = nullptr;
};

// The board list view: the board's cards as one vertical list the width of the board pane,
// either in board order under bars for the acts and the board beats (sort method 1) or as one
// plain stack by start time (sort method 2). Above the list an options area shows and sets the
// filters: a colour code (any of a card's six colour slots), a character in the scene and the
// scene's location. The sort method and the filters are fields of the story and are saved
// with it. The card views belong to the document; the list only borrows them.
class BoardListViewView : public BaseViewController, public BoardListPresentation
{
    Q_OBJECT

public:
    // The text of the first item of each filter's combo box.
    static const QString kNoCharacterFiltering; // "<NO CHARACTER FILTERING>"
    static const QString kNoLocationFiltering;  // "<NO LOCATION FILTERING>"
    static const QString kNoColorSelected;      // "No Color Selected"
    // The height of the options area above the list.
    static constexpr int kOptionsHeight = 155;
    // The mark of the card views that the list lays out under its bars.
    static constexpr std::int64_t kCardTag = 100;

    // Builds the view at the size of the document's board pane; `owner` (the document) keeps
    // the controller until the list is shut down. The list is empty until the first refresh.
    BoardListViewView(MyDocument* parent, Screenplaydb* screenplay, QObject* owner = nullptr);
    ~BoardListViewView() override;

    // Builds the list again from the story: filters, then bars and cards.
    void refreshView();
    // Takes the views of the cards the list shows off the list and forgets those cards.
    void removeSceneCardsFromListView();
    // Takes every bar off the list.
    void removeLayoutControlsFromListView();
    // The colour-filter button: the colour-code dialog picks the filter colour (none clears it).
    void selectColor();
    // The list's cards stay where they are; the card becomes the document's active card.
    void popToTheTop(SceneCardView& card) override;
    // Puts a Litter Box card back on the board, at the start of a board beat
    // ("BoardBeatSection:<n>") or just right of the board card whose row id `tag` is. Answers
    // false, changing nothing, for any other card or tag: a card that is not in the Litter
    // Box, an anchor that is not on the board, a board beat without a bar.
    bool dropSceneCard(std::int64_t sceneCardID, const QPoint& location, const QString& tag) override;
    QWidget* listView() const override;
    // Shows the help topic the sender carries, once the click that asked is over.
    void showHelp(QObject* sender);

    // The three bars, at x 0 with `width`, made for the caller to tag and place.
    BoxWithTags* brownBarAtY(float y, int width);
    BoxWithTags* actBar(const QString& text, float y, int width);
    BoxWithTags* beatBar(const QString& text, float y, int width);

    // The filters' combo boxes as data source and delegate.
    int numberOfItemsInComboBox(const QComboBox* comboBox) const;
    QString comboBoxObjectValueForItemAtIndex(const QComboBox* comboBox, int index) const;
    void comboBoxSelectionDidChange(QComboBox* comboBox);
    // The sorting control chose a sort method (1 board order, 2 start time).
    void sortingChanged(std::int64_t method);

    QScrollArea* scrSceneCards() const { return scrSceneCards_; }
    FlippedView* vListView() const { return vListView_; }
    // Every bar (BoxWithTags) and card view controller (SceneCardView) of the last refresh, in
    // placing order.
    const std::vector<QObject*>& listViewObjects() const { return listViewObjects_; }
    // The card Tab enters the list at: the one last brought to the top, or else the first listed
    // in board order; none when the list shows no card.
    SceneCardView* keyboardCard() const;
    ColorCodeSelector* colorCodeWindow() const { return colorCodeWindow_; }
    QLabel* lblSelectedColor() const { return lblSelectedColor_; }
    QLabel* lblSelectedColorDescription() const { return lblSelectedColorDescription_; }
    QPushButton* cmdSelectColor() const { return cmdSelectColor_; }
    QComboBox* cmbCharacter() const { return cmbCharacter_; }
    QComboBox* cmbLocation() const { return cmbLocation_; }
    QButtonGroup* optSorting() const { return optSorting_; }
    QWidget* vOptions() const { return vOptions_; }
    QToolButton* cmdHelp() const { return cmdHelp_; }

protected:
    // Keeps the list fitted to the pane and the bars and cards to the list's width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildView();
    void showFilters();
    void reloadComboBox(QComboBox* comboBox, int selected);
    void filterSceneCards();
    bool passesFilters(const SceneCarddb& card) const;
    // Places a card's view at y with the given left inset (right inset the same).
    float placeCard(SceneCarddb* card, float y, int inset, std::vector<QWidget*>& placed);
    BoxWithTags* makeBar(float y, int width, int height, const QColor& fill);
    void addBar(BoxWithTags* bar, std::int64_t tag, const QString& stringTag, std::vector<QWidget*>& placed);
    float addActBlock(const QString& label, std::int64_t act, const QString& stringTag, float y, int width,
                      std::vector<QWidget*>& placed);
    void fitListToPane();
    void fitObjectsToWidth(int width);

    QPointer<QScrollArea> scrSceneCards_;
    QPointer<FlippedView> vListView_;
    std::vector<QObject*> listViewObjects_;
    // Set only while the colour-filter dialog runs.
    ColorCodeSelector* colorCodeWindow_ = nullptr;
    QLabel* lblSelectedColor_ = nullptr;
    QLabel* lblSelectedColorDescription_ = nullptr;
    QPushButton* cmdSelectColor_ = nullptr;
    QComboBox* cmbCharacter_ = nullptr;
    QComboBox* cmbLocation_ = nullptr;
    QButtonGroup* optSorting_ = nullptr;
    QWidget* vOptions_ = nullptr;
    QToolButton* cmdHelp_ = nullptr;
};

// The board list view the document shows now; nothing while another presentation shows.
BoardListViewView* boardListViewOf(const MyDocument& document);
// Builds the document's board list again from the story, when it shows.
void refreshBoardListView(const MyDocument& document);

#pragma once

#include "app/BaseViewController.h"
#include "board/ImageViewResponder.h"
#include "board/SceneCardEdits.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class BigSceneAttachmentsView;
class BigSceneCharactersView;
class BigSceneScriptView;
class BigSceneSetupsView;
class BigSceneView;
class BigScenePayoffsView;
class DoubleClickTextField;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class SceneCarddb;

// The content view of the large scene card: it takes the records dragged onto the card and
// lays the colour labels out whenever it is drawn. Its controller owns it.
class BigSceneViewView : public QWidget
{
    Q_OBJECT

public:
    explicit BigSceneViewView(QWidget* parent = nullptr);

    BigSceneView* myParent() const { return myParent_; }
    void setMyParent(BigSceneView* parent) { myParent_ = parent; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    BigSceneView* myParent_ = nullptr;
};

// The large scene card: one board card edited in full in place of the corkboard or the list.
// The upper pane of its splitter shows the card itself on a yellow box: six colour labels down
// the left edge, four indicators (characters, location, set-ups, pay-offs), the thumb tack by
// which the card is dragged out, the beat the card lies in, heading and page number,
// description, emotional change with its type, and conflict. The lower pane holds six tabs:
// 1 Notes (location, start and end date-time, notes), 2 Set-ups, 3 Pay-offs, 4 Characters,
// 5 Attachments and 6 Script; the page of a tab other than Notes is made the first time the tab
// shows and kept. Buttons page to the board's previous and next card, delete the card and
// close the large card.
//
// Every edit reaches the story file when its field ends editing; `saveChanges(nullptr)` writes
// every field before anything that leaves the card. Tab and Shift-Tab move between the fields
// in reading order (in the description Tab types a tab; Ctrl-Tab leaves it); buttons never take
// the keyboard focus. The dates change only through the date window. The document owns the
// controller; the card and the story are not owned.
class BigSceneView : public BaseViewController, public ThumbTackOwner
{
    Q_OBJECT

public:
    // Texts an emptied field falls back to, stored as the card's value.
    static const QString kHeadingPlaceholder;
    static const QString kEmotionalChangePlaceholder;
    static const QString kConflictPlaceholder;

    BigSceneView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene);
    ~BigSceneView() override;

    SceneCarddb* scene() const { return scene_; }
    // The card to show (not owned); the fields show it at the next refreshView. Nothing: the
    // card is going, and no tab keeps anything of it.
    void setScene(SceneCarddb* scene);

    std::int64_t selectedTabID() const { return selectedTabID_; }
    // Shows tab 1 to 6; the tab showing already, or any other number, changes nothing.
    void setSelectedTabID(std::int64_t tab);
    void displaySelectedTab();
    // The page of tab 2 to 6 once that tab has shown; nothing before (and for other numbers).
    QWidget* tabPage(std::int64_t tab) const;
    // The Script tab's editor once the tab has shown; nothing before.
    BigSceneScriptView* bigSceneScriptView() const { return bigSceneScriptView_.get(); }
    // The Set-ups (Pay-offs) tab once it has shown; nothing before.
    BigSceneSetupsView* bigSceneSetupsView() const { return bigSceneSetupsView_.get(); }
    BigScenePayoffsView* bigScenePayoffsView() const { return bigScenePayoffsView_.get(); }
    // The Characters (Attachments) tab once it has shown; nothing before.
    BigSceneCharactersView* bigSceneCharactersView() const { return bigSceneCharactersView_.get(); }
    BigSceneAttachmentsView* bigSceneAttachmentsView() const { return bigSceneAttachmentsView_.get(); }
    // Set-ups or pay-offs changed in `changedIn` (or elsewhere, for nothing): the other tabs of
    // them that have shown list them again.
    void refreshLinkTabs(const BaseViewController* changedIn);

    // Writes what the user typed. `sender` nullptr writes every field; one of the card's fields
    // writes that field; any other object (the card itself) writes no field. In every case the
    // card is saved and its small card and board card show it.
    void saveChanges(QObject* sender);
    // Fills every field from the card, then shows the tab.
    void refreshView();
    // The small card and the board card of this card show it again.
    void updateSmallSceneCard();
    // The card's description, changed elsewhere, shows in its field; the other fields stay as
    // they are.
    void showDescription();
    // Applies the story's font setting (+ 11 points) to labels and fields.
    void resetFonts();
    void setEmotionalChangeTypeColor();
    // Paints the six colour labels from the card's colour-code slots (white for none).
    void setColors();
    // Shows, pictures and places the four indicators.
    void configureIndicators();
    // A colour label was double-clicked: the user picks that slot's colour code.
    void userDoubleClicked(QObject* sender);
    // Runs the colour-code dialog for one slot; answers the chosen code (0 for none).
    std::int64_t selectColorCodeID(std::int64_t colorCodeID);
    // Tag 1 the start, 2 the end date-time: the date window sets, clears or keeps it.
    void selectDate(int tag);

    // Page to the board's previous or next card on the same tab; nothing past either end.
    void prevSceneCard();
    void nextSceneCard();
    // Asks, then deletes the card.
    void deleteSceneCard();
    // Writes the fields and closes the large card (once the click that asked is over).
    void closeBigSceneCard();

    // Lays out the fields and the tab pages; keeps the card pane at least 97 points high and
    // the tab pane at least 142.
    void splitViewDidResizeSubviews();
    // The colour labels take their frames for the yellow box's height.
    void layoutColorLabels();

    // Drops of records from the story's other panes ("AttachedObjectdb": `value` the row id;
    // the four record types: 3 x the record's position). Answers whether it was taken.
    bool objectDropped(const QString& type, std::int64_t value);
    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    bool performDrop(const QMimeData* data, const QPoint& location);

    // The thumb tack: a right-button drag on it drags the card out.
    void mouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseDragged(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseUp(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseUp(QMouseEvent* event, ImageViewResponder* view) override;
    bool readyToDrag() const { return readyToDrag_; }
    // The whole view at a quarter of its size.
    QPixmap myViewImage() const;

    // Outlets.
    BigSceneViewView* contentView() const { return contentView_; }
    QLineEdit* tfHeading() const { return tfHeading_; }
    QLineEdit* tfPageNumber() const { return tfPageNumber_; }
    QPlainTextEdit* tfDescription() const { return tfDescription_; }
    QLineEdit* tfEmotionalChange() const { return tfEmotionalChange_; }
    QLineEdit* tfConflict() const { return tfConflict_; }
    QLabel* lblEmotionalChangeType() const { return lblEmotionalChangeType_; }
    QLabel* lblConflict() const { return lblConflict_; }
    QLabel* lblCurrentBeat() const { return lblCurrentBeat_; }
    QFrame* boxCurrentBeat() const { return boxCurrentBeat_; }
    // Colour label 1 to 6; nothing for any other number.
    DoubleClickTextField* lblColor(int slot) const;
    QLabel* imgCharacters() const { return imgCharacters_; }
    QLabel* imgLocation() const { return imgLocation_; }
    QLabel* imgSetups() const { return imgSetups_; }
    QLabel* imgPayoffs() const { return imgPayoffs_; }
    QPushButton* cmdCharacters() const { return cmdCharacters_; }
    QPushButton* cmdLocation() const { return cmdLocation_; }
    QPushButton* cmdSetups() const { return cmdSetups_; }
    QPushButton* cmdPayoffs() const { return cmdPayoffs_; }
    ImageViewResponder* imgThumbTack() const { return imgThumbTack_; }
    QPushButton* cmdPreviousCard() const { return cmdPreviousCard_; }
    QPushButton* cmdNextCard() const { return cmdNextCard_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }
    QPushButton* cmdClose() const { return cmdClose_; }
    // Tab selector 1 to 6 (optNotes ... optScript); nothing for any other number.
    QLabel* tabSelector(std::int64_t tab) const;
    QFrame* boxTabs() const { return boxTabs_; }
    QFrame* boxNotes() const { return boxNotes_; }
    QComboBox* cmbLocations() const { return cmbLocations_; }
    QLineEdit* tfStartDateTime() const { return tfStartDateTime_; }
    QLineEdit* tfEndDateTime() const { return tfEndDateTime_; }
    QPushButton* cmdStartDateTime() const { return cmdStartDateTime_; }
    QPushButton* cmdEndDateTime() const { return cmdEndDateTime_; }
    QPlainTextEdit* txtNotes() const { return txtNotes_; }
    QSplitter* splBigScene() const { return splBigScene_; }
    QFrame* boxYellowBackground() const { return boxYellowBackground_; }
    // The fields in the order Tab visits them; the location list is chosen with the mouse.
    const std::array<QWidget*, 6>& fieldsInTabOrder() const { return fieldsInTabOrder_; }

protected:
    // Field editing: end of edit, Tab order, placeholders selected on focus, the tab selectors
    // and the layout of the two panes as they change size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildView();
    void buildCardPane(QWidget* pane);
    void buildTabPane(QWidget* pane);
    void buildNotesTab();
    // The page of tab 2 to 6, made with its controller; the tab's page is then kept.
    QWidget* makeTabPage(std::int64_t tab);
    // The tab's controller shows the card again.
    void refreshTabPage(std::int64_t tab);
    void connectControls();
    void layoutCardPane();
    void layoutTabPane();
    // The height the card pane needs for its fields with a description of a few lines.
    int cardPaneHeight() const;
    // Until the writer moves the divider, the card pane keeps the height its fields need and
    // the tabs take all the rest.
    void fitCardPane();
    void showCurrentBeat();
    void refreshLocations();
    void locationChosen(int index);
    void pageBy(int step);
    // A field that takes the focus while it shows its placeholder has it selected whole.
    void selectPlaceholder(QWidget* field);
    // Whether the field shows only its placeholder text.
    bool holdsPlaceholder(const QWidget* field) const;
    // A left click on a field holding its placeholder: focus and the whole placeholder selected,
    // the click eaten. False for any other click.
    bool clickOnPlaceholder(QObject* watched, QMouseEvent* event);
    // The card's texts are written a second after the last key as well as when they are left.
    void watchTyping();
    void storeTypedText();
    // The parts of saveChanges.
    void saveHeading();
    void saveDescription();
    void saveNotes();
    void savePlaceholderField(QLineEdit* field, const QString& placeholder, bool emotionalChange);
    // Answers false when the page was refused (the field shows the stored page again).
    bool savePageNumber(bool& placed);
    void saveCard(bool placed);
    bool dropAttachment(std::int64_t attachedObjectID);
    bool dropCharacter(std::int64_t row);
    bool dropLocation(std::int64_t row);
    template <typename Record>
    bool placeOnCard(Record* record, std::int64_t section, std::int64_t tab);

    SceneCarddb* scene_ = nullptr;
    std::int64_t selectedTabID_ = 1;
    // Set while the view is built: the splitter's layout waits.
    bool skipIt_ = false;
    bool dividerMoved_ = false;
    bool readyToDrag_ = false;
    // Set while the fields are filled: the location box's changes are not the user's.
    bool filling_ = false;
    // The card's description as the field was last filled or saved: typing stores the card's
    // text as it goes, so the end of the edit compares with this to know whether the user
    // changed it.
    QString descriptionShown_;
    SceneCardEdits::DescriptionTyping descriptionTyping_;

    // Children of the view, which the controller owns through it.
    BigSceneViewView* contentView_ = nullptr;
    QSplitter* splBigScene_ = nullptr;
    QFrame* boxYellowBackground_ = nullptr;
    QLineEdit* tfHeading_ = nullptr;
    QLineEdit* tfPageNumber_ = nullptr;
    QPlainTextEdit* tfDescription_ = nullptr;
    QLineEdit* tfEmotionalChange_ = nullptr;
    QLineEdit* tfConflict_ = nullptr;
    QLabel* lblEmotionalChangeType_ = nullptr;
    QLabel* lblConflict_ = nullptr;
    QFrame* boxCurrentBeat_ = nullptr;
    QLabel* lblCurrentBeat_ = nullptr;
    std::array<DoubleClickTextField*, 6> lblColors_{};
    QLabel* imgCharacters_ = nullptr;
    QLabel* imgLocation_ = nullptr;
    QLabel* imgSetups_ = nullptr;
    QLabel* imgPayoffs_ = nullptr;
    QPushButton* cmdCharacters_ = nullptr;
    QPushButton* cmdLocation_ = nullptr;
    QPushButton* cmdSetups_ = nullptr;
    QPushButton* cmdPayoffs_ = nullptr;
    ImageViewResponder* imgThumbTack_ = nullptr;
    QPushButton* cmdPreviousCard_ = nullptr;
    QPushButton* cmdNextCard_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    std::array<QLabel*, 6> tabSelectors_{};
    QFrame* boxTabs_ = nullptr;
    QFrame* boxNotes_ = nullptr;
    std::array<QPointer<QWidget>, 5> tabPages_{};
    std::unique_ptr<BigSceneScriptView> bigSceneScriptView_;
    std::unique_ptr<BigSceneSetupsView> bigSceneSetupsView_;
    std::unique_ptr<BigScenePayoffsView> bigScenePayoffsView_;
    std::unique_ptr<BigSceneCharactersView> bigSceneCharactersView_;
    std::unique_ptr<BigSceneAttachmentsView> bigSceneAttachmentsView_;
    QLabel* lblLocations_ = nullptr;
    QComboBox* cmbLocations_ = nullptr;
    QLabel* lblStartDateTime_ = nullptr;
    QLabel* lblEndDateTime_ = nullptr;
    QLineEdit* tfStartDateTime_ = nullptr;
    QLineEdit* tfEndDateTime_ = nullptr;
    QPushButton* cmdStartDateTime_ = nullptr;
    QPushButton* cmdEndDateTime_ = nullptr;
    QLabel* lblNotes_ = nullptr;
    QFrame* scrNotes_ = nullptr;
    QPlainTextEdit* txtNotes_ = nullptr;
    std::array<QWidget*, 6> fieldsInTabOrder_{};
};

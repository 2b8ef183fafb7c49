#pragma once

#include "app/BaseViewController.h"

#include <QPointer>
#include <QTextEdit>

#include <cstdint>
#include <vector>

class BigSceneScriptView;
class QFrame;
class QScrollArea;
class QToolButton;
class SceneCarddb;
class ScriptElementdb;
class ScriptPartdb;

// One paragraph of a scene's script: a text box of its element type's width whose height
// follows its text. It hands the editing keys to its editor (Return, Enter and Tab always;
// Backspace in an empty box; the arrows at its ends; "(" in an empty Dialogue) and types the
// rest itself.
class ScriptTextView : public QTextEdit
{
    Q_OBJECT

public:
    ScriptTextView(BigSceneScriptView& editor, QWidget* parent);

    // The element type's name ("Action", "Character", ...).
    const QString& stringTag() const { return stringTag_; }
    void setStringTag(const QString& tag) { stringTag_ = tag; }
    // The height last recorded, in points.
    float oldHeight() const { return oldHeight_; }
    void setOldHeight(float height) { oldHeight_ = height; }
    // The paragraph shown (owned by its card).
    ScriptPartdb* scriptPart() const { return scriptPart_; }
    void setScriptPart(ScriptPartdb* part) { scriptPart_ = part; }
    // The height the text needs at the box's width, at least 18.
    int fittedHeight() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Up on the first line or Down on the last moves the caret to the start or the end of the
    // text (Shift selects as far); false where the arrow has another line to go to.
    bool moveToEdge(QKeyEvent* event);

    BigSceneScriptView& editor_;
    QString stringTag_;
    float oldHeight_ = 18.0f;
    ScriptPartdb* scriptPart_ = nullptr;
};

// The Script tab of the large scene card: the scene's paragraphs as a column of boxes on a page
// 612 points wide, each box at its element's left indent and as wide as its element's indents
// allow, in the screenplay font at 12 points. Action, Character, Transition and a left
// dual-dialogue Character stand 18 points below what comes before; the right dual-dialogue
// Character stands beside its left twin. A paragraph's text is written when editing of its box
// ends; new, retyped and deleted paragraphs and the shifted sort orders are written at once, each
// key's writes in one transaction. The large card owns the controller; the card is not owned.
class BigSceneScriptView : public BaseViewController
{
    Q_OBJECT

public:
    // What an empty first paragraph shows (it is not stored).
    static const QString kPlaceholder;

    BigSceneScriptView(MyDocument* parent, Screenplaydb* screenplay);
    ~BigSceneScriptView() override;

    SceneCarddb* scene() const { return scene_; }
    // A different card: the previous card's paragraphs are dropped from memory and the new one's
    // laid out (a scene without any gets one empty Action, written at once). The same card
    // again changes nothing.
    void setScene(SceneCarddb* scene);
    // Builds the page and every box of the scene.
    void setupScript();
    // Nothing to do: the boxes show what they hold.
    void refreshView() {}

    const std::vector<ScriptTextView*>& textBoxes() const { return textBoxes_; }
    QScrollArea* scrScript() const { return scrScript_; }
    QWidget* paperBackground() const { return paperBackground_; }
    QWidget* background() const { return background_; }
    // The advice button in the tab's top right corner; its topic is "SCRIPT".
    QToolButton* cmdHelp() const { return cmdHelp_; }
    // Asks the document, once the click has been handled, for the topic the sender carries.
    void showHelp(QObject* sender);

    // The box's text changed: capitals where the element wants them, and the boxes below
    // follow its new height.
    void textDidChange(ScriptTextView* box);
    // Editing of the box ended: its paragraph takes the text and is written.
    void textDidEndEditing(ScriptTextView* box);
    // Scrolls the page so that the line with the caret of the box with the focus shows whole:
    // the line being typed never runs out of sight.
    void showCaret(ScriptTextView* box);
    // An editing key of a box (Qt key code).
    void scriptTextViewKeyDown(ScriptTextView* box, int key);
    // Page Down (Up) in a box: the page scrolls by what the tab shows and the caret goes to the
    // paragraph a page further down (up) the script. Shift selects only within the box.
    void pageThroughScript(ScriptTextView* box, bool down, bool extend);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ScriptTextView* makeBox(const ScriptElementdb* element, ScriptPartdb* part);
    void place(ScriptTextView* box, const ScriptElementdb* element, int top, int height);
    void retype(ScriptTextView* box, const QString& type, Qt::Alignment alignment);
    void sizePageDuringLayout(int bottom);
    void newParagraph(ScriptTextView* box);
    void deleteParagraph(ScriptTextView* box);
    void focusBox(ScriptTextView* box, bool atEnd);
    // Every box takes its top from the boxes before it: 18 below for actions, characters and
    // transitions, the right dual-dialogue column beside the left, what follows a dual-dialogue
    // block below its taller column. The page follows the last box.
    void layoutBoxes();
    std::ptrdiff_t indexOf(const ScriptTextView* box) const;
    // The box nearest a point of the page: the one beside it, else the nearest above or below.
    ScriptTextView* boxNearest(const QPoint& point) const;
    // A click on the page outside the boxes puts the caret in the nearest box.
    void clickOnPage(const QPoint& globalPoint);
    // The caret place of the box nearest a point of the page.
    QTextCursor caretNearest(const ScriptTextView& box, const QPoint& point) const;
    void removeBox(std::size_t index);
    // Keeps the advice button in the top right corner, clear of the scroll bar.
    void placeHelpButton();

    SceneCarddb* scene_ = nullptr;
    std::vector<ScriptTextView*> textBoxes_;
    QScrollArea* scrScript_ = nullptr;
    QWidget* background_ = nullptr;
    QWidget* paperBackground_ = nullptr;
    QFrame* paper_ = nullptr;
    QToolButton* cmdHelp_ = nullptr;
    // Set while a box's text is replaced by its capitals.
    bool changingText_ = false;
};

#pragma once

#include <QColor>
#include <QPalette>

#include <functional>
#include <initializer_list>
#include <vector>

class QApplication;
class QWidget;

// How the keyboard moves between the controls of every window, as the desktop's default
// keyboard setting has it. Tab and Shift+Tab go from text field to text view to list and back,
// and stop only on a control that shows where the typing goes: a text field (an editable combo
// box is one), a text view or a list. In the story window's panes they never stop on a button, a
// radio button, a check box, a pop-up list or a scroll view, which the writer reaches with the
// mouse; nor, in any window, on a control that lies wholly out of sight, nor on an empty list. A
// control that takes the focus this way inside a scroll view is scrolled into sight, and a text
// view taller than what its scroll view shows is scrolled to its caret, where the typing goes.
// Clicking a control still takes the focus, as before.
//
// A dialog (an alert is one, and so is a window of dialog or tool type, or one made to answer
// like a dialog) is answered from the keyboard too: Tab and Shift+Tab stop on every control of it
// that the writer sets, each of its buttons, check boxes, pop-up lists, sliders and tabs as well
// as its fields and lists, though never on a scroll view; the control shows the focus, and a
// space presses or ticks the one that shows it, or opens the pop-up list. A dialog opens showing
// no focus, and so does one shown again, so a space typed for a field just as a dialog appears
// presses nothing and opens nothing: the writer moves to a control first. Until then a control
// other than a field that holds the focus, unless the writer clicked it, takes no key but Tab,
// so that a key typed as the dialog appears chooses from no pop-up list and moves no slider. A
// push button that takes the focus leaves the default where it was; a ring unlike the default
// button's mark goes around it, and around a pop-up list that shows the focus.
//
// Elsewhere a typed space never presses a button nor ticks a check box, and nowhere does it tick
// one in a list, so that a space meant for a field cannot answer an alert or choose an item.
// Return and Enter never press the button, tick the check box or open the pop-up list that has
// the focus, whatever the desktop's theme makes of them, nor stop at a group box around it: they
// reach the window as though no control had taken them, so that a dialog or an alert answers with
// its default button and another window does nothing. Escape answers an alert's cancel button.
//
// Tab leaves a list as it leaves a text field; the arrows move from row to row. In a cell being
// edited, Tab and Shift+Tab end the edit (it is stored) and edit the next or previous editable
// cell, its text selected; with none left the edit ends and the focus goes on from the list, or
// back from it, to a control that shows it. Ctrl+Tab and Ctrl+Shift+Tab move on and back from
// any control that does not take them itself: out of a text view, where Tab is typed, and out
// of a list.
//
// Two kinds of control stop Tab in any window, though they are no text field: a row of labels
// that are clicked to choose a page (a tab row), and a view whose typing goes into an editor it
// opens on arrival (an entry: a board of cards, a sheet of beats).
namespace KeyboardNavigation {

// Applies these rules to every widget of the application from now on: each control gets them
// as it is polished, before it first shows. Installing twice changes nothing.
void followDesktopSetting(QApplication& application);

// Makes a window that is no dialog (a main window of a few buttons) answer the keyboard as a
// dialog does. Called before the window first shows.
void answerLikeDialog(QWidget& window);

// The colour of a ring that shows the keyboard focus beside the colours `besides` (the window
// around a control, or the control's face): the palette's text colour, else black, else white,
// the first that stands out at least 3:1 from each of them and from the palette's highlight,
// which marks the default button; when none does, the one that stands out most.
QColor focusRingColor(const QPalette& palette, std::initializer_list<QColor> besides);

// Makes `selectors`, labels clicked to choose a page, answer the keyboard as a tab bar does: Tab
// and Shift+Tab stop once on the row, on the label `chosen()` names (its index), which shows the
// focus; Left and Up choose the page before it, Right and Down the page after it, through
// `choose` with the label's index, as a click on the label does, and the focus goes with them.
// The row is kept by the first label.
void makeTabRow(const std::vector<QWidget*>& selectors, std::function<int()> chosen, std::function<void(int)> choose);

// Makes `view` a Tab stop whose typing goes elsewhere: Tab or Shift+Tab arriving at it calls
// `arrive` (true when going back), which opens an editor inside the view and gives it the focus,
// answering whether it did; when it did not (there is nothing to edit), Tab passes over the view
// as over a control out of sight.
void makeEntry(QWidget& view, std::function<bool(bool back)> arrive);

// The window's next (or previous) Tab stop after `from`, going through `sections` (widgets of the
// window) in the order given and through each in the window's own Tab order, round to the
// first; a widget inside an entry stands at its entry. Nothing when no section holds a stop.
QWidget* nextStopInSections(const QWidget& window, const std::vector<QWidget*>& sections, QWidget* from, bool back);

// Scrolls every scroll view around `widget`, the nearest first, so as to show it.
void bringIntoSight(QWidget& widget);

// Scrolls a text view (rich or plain) to its caret, and then every scroll view around it, the
// nearest first, as far as it takes to show the caret; any other control is left as it is.
void showCaret(QWidget& editor);

} // namespace KeyboardNavigation

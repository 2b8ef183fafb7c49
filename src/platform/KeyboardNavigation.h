#pragma once

class QApplication;

// How the keyboard moves between the controls of every window, as the desktop's default
// keyboard setting has it: Tab and Shift+Tab go from text field to text view to list and
// back, and never stop on a button, a radio button, a check box or a pop-up list, which the
// writer reaches with the mouse (a space typed for the next field must not press a button or
// choose an item). Clicking one still takes the focus, as before.
//
// Tab leaves a list as it leaves a text field; the arrows move from row to row. Ctrl+Tab and
// Ctrl+Shift+Tab move on and back from any control that does not take them itself: out of a
// text view, where Tab is typed, and out of a list.
namespace KeyboardNavigation {

// Applies these rules to every widget of the application from now on: each control gets them
// as it is polished, before it first shows. Installing twice changes nothing.
void followDesktopSetting(QApplication& application);

} // namespace KeyboardNavigation

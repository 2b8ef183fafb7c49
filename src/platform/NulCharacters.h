#pragma once

class QApplication;

// No text of a story holds a NUL character: the records drop one as their texts are set, and a
// story file whose text holds one is refused as damaged. None is typed, but one may come with
// a paste or a drop. Every text field (an editable combo box's line too) and text view takes it
// out again as it comes in, before the field tells anyone that its text changed, so that what
// the field shows is the text the story keeps. A text view drops it in the same step of undo as
// the paste that brought it; a line that had to drop one starts its undo afresh.
namespace NulCharacters {

// Applies this to every text field and text view of the application from now on: each gets it
// as it is polished, before it first shows. A line with a check of its own (a number's) keeps
// it, and refuses a NUL with it. Installing twice changes nothing.
void dropFromEveryField(QApplication& application);

} // namespace NulCharacters

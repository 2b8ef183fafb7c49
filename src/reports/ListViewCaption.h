#pragma once

#include <QString>

class Screenplaydb;

// The caption that says how the board's list view is sorted and filtered: empty unless the
// board is shown as the list view; then the sort line, and one line per filter in use, each
// filter line starting with a line feed. A filter whose record no longer exists adds no line.
QString listViewFiltering(const Screenplaydb& story);

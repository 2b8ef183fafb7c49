#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <cstdint>

class QPainter;

// Fonts and text of the printed reports. Every length is in points: fonts are sized in pixels
// of a 72-dpi page, so a 10-point font is 10 units high whatever device the report is painted
// on, and measuring and painting lay text out with the same unhinted design metrics.
namespace ReportText {

// The reports' "system font": one pinned family so that reports come out the same on every
// machine.
QFont systemFont(int points);
QFont boldSystemFont(int points);
// The typewriter face of script text.
QFont scriptFont(int points);
// The family names the reports ask for.
QString systemFamily();
QString scriptFamily();

// How a text sits in its box.
enum class LineBreak {
    Wrap,     // lines wrap at word boundaries (a word longer than the line is cut anywhere)
    Truncate, // one line per paragraph, cut off at its end with an ellipsis when it does not fit
};

// The line-break rule an alignment implies: 0 (left) and any unknown value wrap, 1 (right)
// and 2 (centred) truncate.
LineBreak lineBreakForAlignment(std::int64_t alignment);

// The height of the text laid out in `width` with the font and rule; 0 for an empty text.
// A paragraph that is empty (a line feed at the end, two in a row) is one line high.
float measure(const QString& text, float width, const QFont& font, LineBreak lineBreak);

// Where a text too high for `height` is split at a page break: the length of its first piece,
// which ends where a laid-out line ends (at a space, after a hyphen, before a line feed, or
// inside a word only when the word is longer than a line). The piece is at least the first
// line, even when that line is higher than `height`, so a page loop always moves on; a first
// line that is an empty paragraph gives 0, and the line feed at the cut then goes with the
// break.
qsizetype fittingLength(const QString& text, float height, float width, const QFont& font, LineBreak lineBreak);

// The text cut to its first `lines` lines laid out in `width` (wrapping), ending in "…" where it
// was cut; the text itself when it fits.
QString firstLines(const QString& text, int lines, float width, const QFont& font);

// A card's heading as the card stocks print it: the lines that fit in `room` points of `width`
// stand in the heading's box on every face of the card; a heading longer than that (more than a
// face can spare for it) goes on below the box on the card's first face with what does not fit,
// so that every word is printed.
struct CardHeading {
    QString shown;
    QString rest;
};
CardHeading cardHeading(const QString& heading, float room, float width, const QFont& font);

// The height of one line, "Bob" measured in `width` (a narrower width may wrap it). Kept per
// font and width: blocks ask for it once each.
float singleLineHeight(float width, const QFont& font);

// Paints the text into `box` (its own top-left origin, its width for wrapping and alignment)
// in black. Lines that would end below the box are left out, except the first.
void draw(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
          std::int64_t alignment, LineBreak lineBreak);

} // namespace ReportText

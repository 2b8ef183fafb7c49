#pragma once

#include "ReportElement.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The printed script as a typewriter page: every line on a grid of 12 points (six lines an
// inch), blank lines as whole lines of that grid, and page breaks that keep what belongs
// together: a scene heading with the next two lines, a character cue with its parenthetical and
// first line of dialogue, a parenthetical with a line of dialogue. A speech broken across pages
// ends with "(MORE)" under its last line and goes on under "NAME (CONT'D)".
namespace ScriptReportLayout {

// The pitch of the line grid in points.
constexpr float kLinePitch = 12;

// What a paragraph is for the page breaks.
enum class Role { Heading, Action, Character, Parenthetical, Dialogue, Transition, Other };

// A paragraph in the column between its element's indents, `left` and `width` in points from
// the paper's left edge; `blankAfter` puts one blank line after it.
struct Paragraph {
    Role role = Role::Action;
    QString text;
    float left = 0;
    float width = 0;
    bool blankAfter = false;
};

// One printed line: its page (from 0), its row on that page's grid (from 0) and where it starts.
struct Line {
    std::int64_t page = 0;
    int row = 0;
    float left = 0;
    QString text;
};

struct Pages {
    std::vector<Line> lines;
    std::int64_t pageCount = 1;
};

// The role an element type name gives (dual-dialogue types count as their single kinds).
Role roleForElementType(const QString& elementType);

// The lines of a paragraph wrapped in its width with `font` (line feeds start new lines; an
// empty paragraph of a text is an empty line).
QStringList wrap(const QString& text, float width, const QFont& font);

// Lays the paragraphs out on pages of `rowsPerPage` rows.
Pages paginate(const std::vector<Paragraph>& paragraphs, int rowsPerPage, const QFont& font);

} // namespace ScriptReportLayout

// The lines of one page of the script, drawn on the grid from the element's top: row r has its
// baseline at (r + 0.8) x 12 points, so each row holds one em of the face.
class ScriptPageView : public ReportElement
{
public:
    // The part of the em above the baseline.
    static constexpr float kEmAscent = 0.8f;

    ScriptPageView(const QRectF& frame, QFont font, std::vector<ScriptReportLayout::Line> lines);
    const std::vector<ScriptReportLayout::Line>& lines() const { return lines_; }
    // How far below the page's body top the first row starts with this face.
    static float gridOffset(const QFont& font);

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    QFont font_;
    std::vector<ScriptReportLayout::Line> lines_;
    float baseline_ = 0;
};

#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// Where a script's paragraphs fall on the pages of a screenplay laid out the usual way: US
// Letter, Courier 12 pt at ten characters an inch and six lines an inch, 54 lines of text a
// page. Each element has its own width and its own blank lines before it; a scene heading is
// kept with what follows it, a character cue with its first line of dialogue; action breaks
// between lines only with two lines on each side, dialogue breaks with "(MORE)" under it and
// the cue repeated on the next page; a dual-dialogue block stays whole, as tall as its taller
// column. A new act (or a teaser) starts a page and the end of an act ends one, as does a page
// break the writer put in.
//
// Plain data in, plain data out: the same model serves the import of a script that has no
// page numbers of its own and anything else that needs to know the pages of a script.
namespace ScreenplayPagination {

inline constexpr int kLinesPerPage = 54;

enum class Element {
    SceneHeading,
    Action,
    Character,
    Parenthetical,
    Dialogue,
    Transition,
    NewAct,
    EndOfAct,
    LeftCharacter,
    LeftParenthetical,
    LeftDialogue,
    RightCharacter,
    RightParenthetical,
    RightDialogue,
    // Takes no room on the page (a note, a type no page shows).
    Unlaid,
};

// The element a paragraph type names: the types a Final Draft script writes ("Scene Heading",
// "General", "Shot", ...) and the story's own script element types ("DDL-Dialogue", "New Act",
// ...) alike. Unknown types are Unlaid.
Element elementForType(QStringView type);

struct Paragraph {
    Element element = Element::Action;
    QString text;
    // The writer broke the page before it. On an unlaid paragraph the break passes to the next
    // one that takes room; the first line of a page needs none.
    bool startsNewPage = false;
};

// Where a paragraph's first line lies.
struct Position {
    // From 1.
    int page = 1;
    // Lines of text above it on its page, from 0.
    int line = 0;
};

struct Pages {
    // One per paragraph, in order. An unlaid paragraph stands where the next line would go.
    std::vector<Position> positions;
    // Pages the script fills; 0 for a script with nothing to lay out.
    int pageCount = 0;
};

Pages paginate(const std::vector<Paragraph>& paragraphs);

// Lines a text takes in a column `width` characters wide: words are kept whole and wrap to the
// next line, a word longer than the line runs over several; each line break in the text starts
// a line. An empty text still takes its line.
int wrappedLineCount(QStringView text, int width);

// The page among `lockedPages` that a position found by paginate() stands for when the script
// was locked at another page count than the `pagesFound`: the same share of the way through.
// Page 1 stays page 1 and the answer never passes the last locked page.
std::int64_t scaledPage(Position position, int pagesFound, std::int64_t lockedPages);

} // namespace ScreenplayPagination

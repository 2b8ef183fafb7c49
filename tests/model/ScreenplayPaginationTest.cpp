#include "model/ScreenplayPagination.h"
#include "support/SavedScripts.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

using namespace ScreenplayPagination;

namespace {

QString words(int count)
{
    return SavedScripts::nineLetterWords(count);
}

Paragraph heading(const char* text = "INT. HOUSE - DAY")
{
    return {Element::SceneHeading, QString::fromUtf8(text)};
}

Paragraph action(int lines)
{
    return {Element::Action, words(6 * lines)};
}

Paragraph cue(const char* name = "MARA")
{
    return {Element::Character, QString::fromUtf8(name)};
}

Paragraph dialogue(int lines)
{
    return {Element::Dialogue, words(3 * lines)};
}

// The paragraph with a page break the writer put before it.
Paragraph afterBreak(Paragraph paragraph)
{
    paragraph.startsNewPage = true;
    return paragraph;
}

std::vector<Paragraph> actions(int count)
{
    return std::vector<Paragraph>(static_cast<std::size_t>(count), action(1));
}

std::vector<Paragraph> concat(std::vector<Paragraph> first, const std::vector<Paragraph>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

QString positions(const Pages& pages, std::size_t from = 0)
{
    QStringList text;
    for (std::size_t index = from; index < pages.positions.size(); ++index)
        text << QStringLiteral("%1:%2").arg(pages.positions[index].page).arg(pages.positions[index].line);
    return text.join(QLatin1Char(' '));
}

} // namespace

TEST(ScreenplayPagination, TextsWrapAtWholeWords)
{
    struct Row {
        QString text;
        int width;
        int lines;
    };
    const Row rows[] = {
        {QString(), 60, 1},
        {QStringLiteral("Short."), 60, 1},
        {QString(60, QLatin1Char('x')), 60, 1},
        {QString(61, QLatin1Char('x')), 60, 2},
        {QString(121, QLatin1Char('x')), 60, 3},
        {QStringLiteral("aaaa bbbb cccc"), 10, 2},
        {QStringLiteral("aaaa bbbb"), 9, 1},
        {QStringLiteral("aaaa    bbbb"), 9, 1},
        {QStringLiteral("aa bbbbbbbbbbbbbbbbbbbb"), 10, 3},
        {QStringLiteral("one\ntwo"), 60, 2},
        {QStringLiteral("one\n\ntwo"), 60, 3},
        {QStringLiteral("abc"), 0, 3},
        {words(6), 60, 1},
        {words(7), 60, 2},
        {words(36), 60, 6},
        {words(3), 35, 1},
        {words(10), 35, 4},
        {QString::fromUtf8("\u201CQuiet\u201D \u2014 caf\u00E9 d\u00E9j\u00E0 vu"), 60, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString() + " / " + std::to_string(row.width));
        EXPECT_EQ(wrappedLineCount(row.text, row.width), row.lines);
    }
}

TEST(ScreenplayPagination, ParagraphTypesOfScriptsAndStoriesNameTheirElements)
{
    const std::pair<const char*, Element> rows[] = {
        {"Scene Heading", Element::SceneHeading}, {"Action", Element::Action},
        {"General", Element::Action},             {"Shot", Element::Action},
        {"Character", Element::Character},        {"Parenthetical", Element::Parenthetical},
        {"Dialogue", Element::Dialogue},          {"Transition", Element::Transition},
        {"New Act", Element::NewAct},             {"Teaser", Element::NewAct},
        {"End of Act", Element::EndOfAct},        {"DDL-Character", Element::LeftCharacter},
        {"DDL-Parenthetical", Element::LeftParenthetical}, {"DDL-Dialogue", Element::LeftDialogue},
        {"DDR-Character", Element::RightCharacter},        {"DDR-Parenthetical", Element::RightParenthetical},
        {"DDR-Dialogue", Element::RightDialogue},  {"Cast List", Element::Unlaid},
        {"ScriptNote", Element::Unlaid},           {"", Element::Unlaid},
        {"action", Element::Unlaid},
    };
    for (const auto& [type, element] : rows) {
        SCOPED_TRACE(type);
        EXPECT_EQ(elementForType(QString::fromUtf8(type)), element);
    }
}

TEST(ScreenplayPagination, ElementsTakeTheirLinesAndBlankLinesBefore)
{
    const Pages empty = paginate({});
    EXPECT_EQ(empty.pageCount, 0);
    EXPECT_TRUE(empty.positions.empty());

    const Pages scene = paginate({heading(), action(2), cue(), {Element::Parenthetical, QStringLiteral("(softly)")},
                                  dialogue(2), {Element::Transition, QStringLiteral("CUT TO:")}, heading()});
    // Heading, blank, two action lines, blank, cue, parenthetical, two dialogue lines, blank,
    // transition, blank, heading.
    EXPECT_EQ(positions(scene), QStringLiteral("1:0 1:2 1:5 1:6 1:7 1:10 1:12"));
    EXPECT_EQ(scene.pageCount, 1);

    // A paragraph no page shows takes no room and stands where the next line goes.
    EXPECT_EQ(positions(paginate({action(1), {Element::Unlaid, QStringLiteral("a note")}, action(1)})),
              QStringLiteral("1:0 1:1 1:2"));
}

TEST(ScreenplayPagination, PagesBreakAsAScreenplayPageIsLaidOut)
{
    // n one-line actions end on line 2n - 1 of the first page.
    struct Row {
        const char* name;
        std::vector<Paragraph> paragraphs;
        std::size_t from; // positions shown from this paragraph on
        const char* positions;
        int pageCount;
    };
    const Row rows[] = {
        {"27 one-line actions fill 53 lines", actions(27), 26, "1:52", 1},
        {"the 28th goes over", actions(28), 26, "1:52 2:0", 2},
        {"a heading with room for what follows", concat(actions(25), {heading(), action(1)}), 25, "1:50 1:52", 1},
        {"a heading is never left alone at the foot", concat(actions(26), {heading(), action(1)}), 26, "2:0 2:2", 2},
        {"a heading goes over with the cue and first line it needs",
         concat(actions(26), {heading(), cue(), dialogue(1)}), 26, "2:0 2:2 2:3", 2},
        {"a heading, a cue and its first line just fit", concat(actions(25), {heading(), cue(), dialogue(1)}), 25,
         "1:50 1:52 1:53", 1},
        {"a cue with one line of room for its dialogue", concat(actions(26), {cue(), dialogue(1)}), 26,
         "1:52 1:53", 1},
        {"a cue whose parenthetical leaves no room goes over with it",
         concat(actions(26), {cue(), {Element::Parenthetical, QStringLiteral("(low)")}, dialogue(1)}), 26,
         "2:0 2:1 2:2", 2},
        // Two lines and "(MORE)" stay; the cue is repeated over the four that go.
        {"dialogue breaks under (MORE)", concat(actions(25), {cue(), dialogue(6), action(1)}), 25,
         "1:50 1:51 2:6", 2},
        {"action breaks between lines, two on each side", concat(actions(25), {action(6), action(1)}), 25,
         "1:50 2:3", 2},
        {"five lines leave three and take two", concat(actions(25), {action(5), action(1)}), 25, "1:50 2:3", 2},
        {"three lines do not break", concat(actions(26), {action(3)}), 26, "2:0", 2},
        {"a page and more runs over", {action(120), action(1)}, 0, "1:0 3:13", 3},
        {"an act ends its page and the next begins one",
         {action(1), {Element::EndOfAct, QStringLiteral("END OF ACT ONE")},
          {Element::NewAct, QStringLiteral("ACT TWO")}, action(1), {Element::NewAct, QStringLiteral("ACT THREE")}},
         0, "1:0 1:2 2:0 2:2 3:0", 3},
        {"a new act at the top of the first page", {{Element::NewAct, QStringLiteral("TEASER")}, action(1)}, 0,
         "1:0 1:2", 1},
        {"the writer's page break starts a page", {action(1), afterBreak(action(1)), action(1)}, 0, "1:0 2:0 2:2", 2},
        {"a page break at the top of a page adds none",
         {afterBreak(heading()), action(1), {Element::EndOfAct, QStringLiteral("END OF ACT ONE")},
          afterBreak(action(1))},
         0, "1:0 1:2 1:4 2:0", 2},
        {"a page break on a paragraph that takes no room passes to the next",
         {action(1), afterBreak({Element::Unlaid, QString()}), heading(), action(1)}, 0, "1:0 2:0 2:0 2:2", 2},
        {"a heading is not kept with what a page break sends over",
         concat(actions(26), {heading(), afterBreak(action(1))}), 26, "1:52 2:0", 2},
        // Left: cue and three lines; right: cue and one. The block is four lines tall.
        {"dual dialogue is as tall as its taller column",
         {action(1), {Element::LeftCharacter, QStringLiteral("MARA")}, {Element::LeftDialogue, words(6)},
          {Element::RightCharacter, QStringLiteral("OLLIE")}, {Element::RightDialogue, QStringLiteral("No.")},
          action(1)},
         0, "1:0 1:2 1:3 1:2 1:3 1:7", 1},
        {"a dual-dialogue block does not break",
         concat(actions(27),
                {{Element::LeftCharacter, QStringLiteral("MARA")}, {Element::LeftDialogue, QStringLiteral("Yes.")},
                 {Element::RightCharacter, QStringLiteral("OLLIE")}, {Element::RightDialogue, QStringLiteral("No.")}}),
         27, "2:0 2:1 2:0 2:1", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Pages pages = paginate(row.paragraphs);
        ASSERT_EQ(pages.positions.size(), row.paragraphs.size());
        EXPECT_EQ(positions(pages, row.from), QString::fromUtf8(row.positions));
        EXPECT_EQ(pages.pageCount, row.pageCount);
    }
}

TEST(ScreenplayPagination, FoundPagesScaleToTheLockedPages)
{
    struct Row {
        Position position;
        int found;
        std::int64_t locked;
        std::int64_t page;
    };
    const Row rows[] = {
        {{5, 10}, 120, 120, 5},  // the same count: the page found
        {{1, 0}, 100, 120, 1},   // page 1 is the first locked page
        {{1, 53}, 100, 50, 1},
        {{51, 0}, 100, 50, 26},  // half way through
        {{11, 27}, 20, 40, 22},  // 10.5 of 20 pages: 21 of 40, on page 22
        {{100, 53}, 100, 50, 50},
        {{100, 53}, 100, 400, 400},
        {{130, 0}, 100, 50, 50}, // never past the last locked page
        {{7, 0}, 0, 50, 7},      // nothing found to scale by
        {{70, 0}, 70, 50, 50},
        {{3, 0}, 10, 0, 0},      // no locked pages
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.position.page) + ":" + std::to_string(row.position.line) + " of " +
                     std::to_string(row.found) + " -> " + std::to_string(row.locked));
        EXPECT_EQ(scaledPage(row.position, row.found, row.locked), row.page);
    }
}

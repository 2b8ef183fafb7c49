#include "ReportFixture.h"
#include "model/SceneCarddb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "reports/ReportText.h"
#include "reports/SceneCardReports.h"
#include "reports/ScriptReportLayout.h"

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

#include <gtest/gtest.h>

using ScriptReportLayout::Line;
using ScriptReportLayout::Paragraph;
using ScriptReportLayout::Role;

namespace {

constexpr int kRows = 54;

QFont scriptFont()
{
    return ReportText::scriptFont(12);
}

// A paragraph at the usual screenplay indents; `lines` short words make as many lines for the
// narrow speech columns and the wide action column alike when each word is long enough.
Paragraph paragraph(Role role, const QString& text)
{
    struct Column {
        Role role;
        float left, width;
        bool blankAfter;
    };
    static const Column columns[] = {
        {Role::Heading, 108, 432, false},      {Role::Action, 108, 432, true},
        {Role::Character, 252, 216, false},    {Role::Parenthetical, 216, 144, false},
        {Role::Dialogue, 180, 252, true},      {Role::Transition, 396, 144, true},
    };
    for (const Column& column : columns)
        if (column.role == role)
            return {role, text, column.left, column.width, column.blankAfter};
    return {role, text, 108, 432, false};
}

// `count` lines of text, each a word that fills most of a 252-point column on its own.
QString linesOfText(int count, const QString& stem = QStringLiteral("line"))
{
    QStringList words;
    for (int index = 0; index < count; ++index)
        words.append(QStringLiteral("%1%2-abcdefghijklmnopqrstu").arg(stem).arg(index, 3, 10, QLatin1Char('0')));
    return words.join(QLatin1Char(' '));
}

// The lines of one page, by row.
std::map<int, const Line*> pageLines(const ScriptReportLayout::Pages& pages, std::int64_t page)
{
    std::map<int, const Line*> rows;
    for (const Line& line : pages.lines)
        if (line.page == page)
            rows[line.row] = &line;
    return rows;
}

const Line* lastLineOf(const ScriptReportLayout::Pages& pages, std::int64_t page)
{
    const auto rows = pageLines(pages, page);
    return rows.empty() ? nullptr : rows.rbegin()->second;
}

// Action paragraphs of one line each that fill the page down to `row` (the row the next
// paragraph would take after the action's blank line).
std::vector<Paragraph> fillTo(int row)
{
    std::vector<Paragraph> paragraphs;
    // One line and its blank: two rows a paragraph; an odd row ends with a two-line action.
    int used = 0;
    while (used + 2 <= row - (row % 2)) {
        paragraphs.push_back(paragraph(Role::Action, QStringLiteral("Snow.")));
        used += 2;
    }
    if (row % 2 == 1)
        paragraphs.back().text = QStringLiteral("Snow.\nMore snow.");
    return paragraphs;
}

} // namespace

TEST(ScriptLayout, ElementTypesGiveTheirRoles)
{
    const std::pair<const char*, Role> rows[] = {
        {"Scene Heading", Role::Heading},   {"Action", Role::Action},
        {"Character", Role::Character},     {"DDL-Character", Role::Character},
        {"DDR-Parenthetical", Role::Parenthetical}, {"Parenthetical", Role::Parenthetical},
        {"DDR-Dialogue", Role::Dialogue},   {"Dialogue", Role::Dialogue},
        {"Transition", Role::Transition},   {"New Act", Role::Other},
        {"Teaser", Role::Other},            {"", Role::Other},
    };
    for (const auto& [type, role] : rows) {
        SCOPED_TRACE(type);
        EXPECT_EQ(ScriptReportLayout::roleForElementType(QString::fromLatin1(type)), role);
    }
}

TEST(ScriptLayout, LinesWrapAtSpacesInTheirColumnAndKeepEveryCharacter)
{
    const QFont font = scriptFont();
    // Ten characters of the typewriter face are 72 points.
    const QString text = QStringLiteral("The storm closes the pass (again) at 3:12 a.m. sharp.");
    const QStringList lines = ScriptReportLayout::wrap(text, 72 * 2, font);
    ASSERT_GT(lines.size(), 1);
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_LE(line.size(), 20);
        EXPECT_FALSE(line.endsWith(QLatin1Char(' ')));
    }
    EXPECT_EQ(lines.join(QLatin1Char(' ')), text);
    // A full stop inside "a.m." is no place to break.
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const QString& line) { return line.contains(QStringLiteral("a.m.")); }));
    // Line feeds start lines; an empty paragraph is an empty line.
    EXPECT_EQ(ScriptReportLayout::wrap(QStringLiteral("one\n\ntwo"), 400, font),
              (QStringList{QStringLiteral("one"), QString(), QStringLiteral("two")}));
}

TEST(ScriptLayout, ALongActionFillsEveryRowOfEachPage)
{
    std::vector<Paragraph> paragraphs{paragraph(Role::Heading, QStringLiteral("INT. HUT - NIGHT")),
                                      paragraph(Role::Action, QString())};
    QStringList lines;
    for (int index = 0; index < 150; ++index)
        lines.append(QStringLiteral("Line %1.").arg(index));
    paragraphs.back().text = lines.join(QLatin1Char('\n'));
    const ScriptReportLayout::Pages pages = ScriptReportLayout::paginate(paragraphs, kRows, scriptFont());
    ASSERT_EQ(pages.pageCount, 3);
    for (std::int64_t page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        const auto rows = pageLines(pages, page);
        EXPECT_EQ(rows.size(), std::size_t(kRows));
        EXPECT_EQ(rows.begin()->first, 0);
        EXPECT_EQ(rows.rbegin()->first, kRows - 1);
    }
    EXPECT_EQ(pageLines(pages, 2).size(), std::size_t(151 - 2 * kRows));
}

TEST(ScriptLayout, BlankLinesAreWholeRowsAndNoneStartsAPage)
{
    const std::vector<Paragraph> paragraphs{
        paragraph(Role::Heading, QStringLiteral("INT. HUT - NIGHT")),
        paragraph(Role::Action, QStringLiteral("Snow.")),
        paragraph(Role::Character, QStringLiteral("MARA")),
        paragraph(Role::Parenthetical, QStringLiteral("(quietly)")),
        paragraph(Role::Dialogue, QStringLiteral("Hold the door.")),
        paragraph(Role::Transition, QStringLiteral("CUT TO:")),
        paragraph(Role::Heading, QStringLiteral("EXT. PASS - DAY")),
    };
    const ScriptReportLayout::Pages pages = ScriptReportLayout::paginate(paragraphs, kRows, scriptFont());
    std::vector<int> rows;
    for (const Line& line : pages.lines)
        rows.push_back(line.row);
    // Heading, action, blank, cue, parenthetical, dialogue, blank, transition, blank, and the
    // blank every heading has above it.
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 3, 4, 5, 7, 10}));
}

TEST(ScriptLayout, PageBreaksKeepWhatBelongsTogether)
{
    const QFont font = scriptFont();
    struct Row {
        const char* name;
        int fillTo;                   // the row the tested paragraphs would start on
        std::vector<Paragraph> tail;  // placed after the filling
        QString firstOnNextPage;      // the line that must open page 2
    };
    const Row rows[] = {
        {"a heading keeps two lines of its scene",
         kRows - 3,
         {paragraph(Role::Heading, QStringLiteral("EXT. RIDGE - DAWN")),
          paragraph(Role::Action, QStringLiteral("Wind.\nMore wind.\nStill wind."))},
         QStringLiteral("EXT. RIDGE - DAWN")},
        {"a heading keeps the cue, parenthetical and first line that follow it",
         kRows - 4,
         {paragraph(Role::Heading, QStringLiteral("INT. CAB - NIGHT")), paragraph(Role::Character, QStringLiteral("RUTH")),
          paragraph(Role::Parenthetical, QStringLiteral("(low)")), paragraph(Role::Dialogue, QStringLiteral("Go."))},
         QStringLiteral("INT. CAB - NIGHT")},
        {"a cue keeps its parenthetical and first line of dialogue",
         kRows - 2,
         {paragraph(Role::Character, QStringLiteral("RUTH")), paragraph(Role::Parenthetical, QStringLiteral("(low)")),
          paragraph(Role::Dialogue, QStringLiteral("Go."))},
         QStringLiteral("RUTH")},
        {"a cue keeps its first line of dialogue",
         kRows - 1,
         {paragraph(Role::Character, QStringLiteral("RUTH")), paragraph(Role::Dialogue, QStringLiteral("Go."))},
         QStringLiteral("RUTH")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Paragraph> paragraphs = fillTo(row.fillTo);
        paragraphs.insert(paragraphs.end(), row.tail.begin(), row.tail.end());
        const ScriptReportLayout::Pages pages = ScriptReportLayout::paginate(paragraphs, kRows, font);
        ASSERT_EQ(pages.pageCount, 2);
        const auto next = pageLines(pages, 1);
        ASSERT_FALSE(next.empty());
        EXPECT_EQ(next.begin()->first, 0);
        EXPECT_EQ(next.begin()->second->text, row.firstOnNextPage);
        const Line* last = lastLineOf(pages, 0);
        ASSERT_NE(last, nullptr);
        EXPECT_TRUE(last->text.startsWith(QStringLiteral("Snow")) || last->text.startsWith(QStringLiteral("More")))
            << last->text.toStdString();
    }
}

TEST(ScriptLayout, ASpeechBrokenAcrossPagesEndsWithMoreAndGoesOnUnderTheContinuedCue)
{
    const QFont font = scriptFont();
    const Paragraph cue = paragraph(Role::Character, QStringLiteral("RUTH (V.O.)"));
    struct Row {
        const char* name;
        int fillTo;
        std::vector<Paragraph> speech;
        int linesBeforeBreak; // dialogue lines left on page 1
    };
    const Row rows[] = {
        {"a long speech splits with a row kept for (MORE)",
         kRows - 6,
         {cue, paragraph(Role::Dialogue, linesOfText(12))},
         4},
        {"a parenthetical that would end the page goes over with the speech",
         kRows - 6,
         {cue, paragraph(Role::Dialogue, linesOfText(3)), paragraph(Role::Parenthetical, QStringLiteral("(beat)")),
          paragraph(Role::Dialogue, linesOfText(2, QStringLiteral("more")))},
         3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Paragraph> paragraphs = fillTo(row.fillTo);
        paragraphs.insert(paragraphs.end(), row.speech.begin(), row.speech.end());
        const ScriptReportLayout::Pages pages = ScriptReportLayout::paginate(paragraphs, kRows, font);
        ASSERT_EQ(pages.pageCount, 2);
        const auto first = pageLines(pages, 0);
        const Line* more = lastLineOf(pages, 0);
        ASSERT_NE(more, nullptr);
        EXPECT_EQ(more->text, QStringLiteral("(MORE)"));
        EXPECT_FLOAT_EQ(more->left, cue.left);
        EXPECT_LE(more->row, kRows - 1);
        int dialogue = 0;
        for (const auto& [rowIndex, line] : first)
            if (line->text.startsWith(QStringLiteral("line")))
                ++dialogue;
        EXPECT_EQ(dialogue, row.linesBeforeBreak);
        const auto next = pageLines(pages, 1);
        ASSERT_FALSE(next.empty());
        EXPECT_EQ(next.begin()->first, 0);
        EXPECT_EQ(next.begin()->second->text, QStringLiteral("RUTH (V.O.) (CONT'D)"));
        EXPECT_FLOAT_EQ(next.begin()->second->left, cue.left);
        // No page ends on a parenthetical.
        EXPECT_NE(first.rbegin()->second->text, QStringLiteral("(beat)"));
    }
}

TEST(ScriptLayout, NoRowIsUsedTwiceAndNoLineLeavesThePage)
{
    // Scenes of every kind of paragraph, long enough to break in many places.
    std::vector<Paragraph> paragraphs;
    for (int scene = 0; scene < 30; ++scene) {
        paragraphs.push_back(paragraph(Role::Heading, QStringLiteral("INT. ROOM %1 - NIGHT").arg(scene)));
        paragraphs.push_back(paragraph(Role::Action, linesOfText(1 + scene % 5, QStringLiteral("act"))));
        paragraphs.push_back(paragraph(Role::Character, QStringLiteral("MARA")));
        if (scene % 3 == 0)
            paragraphs.push_back(paragraph(Role::Parenthetical, QStringLiteral("(quietly)")));
        paragraphs.push_back(paragraph(Role::Dialogue, linesOfText(1 + scene % 7)));
        if (scene % 4 == 0)
            paragraphs.push_back(paragraph(Role::Transition, QStringLiteral("CUT TO:")));
    }
    const ScriptReportLayout::Pages pages = ScriptReportLayout::paginate(paragraphs, kRows, scriptFont());
    std::map<std::pair<std::int64_t, int>, int> used;
    for (const Line& line : pages.lines) {
        EXPECT_GE(line.row, 0);
        EXPECT_LT(line.row, kRows);
        EXPECT_LT(line.page, pages.pageCount);
        ++used[{line.page, line.row}];
    }
    for (const auto& [place, count] : used)
        EXPECT_EQ(count, 1) << "page " << place.first << " row " << place.second;
    for (std::int64_t page = 0; page + 1 < pages.pageCount; ++page) {
        SCOPED_TRACE(page);
        const Line* last = lastLineOf(pages, page);
        ASSERT_NE(last, nullptr);
        EXPECT_FALSE(last->text.startsWith(QStringLiteral("INT.")));
        EXPECT_NE(last->text, QStringLiteral("MARA"));
        EXPECT_NE(last->text, QStringLiteral("(quietly)"));
    }
}

namespace {

class ScriptPdf : public ReportFixture
{
protected:
    void addPart(SceneCarddb& card, const char* element, const QString& text)
    {
        ReportFixture::addPart(card, element, text);
        expected_ += QString(text).remove(QRegularExpression(QStringLiteral("\\s")));
    }

    // A script that breaks pages in every way: long and short actions, speeches with and
    // without parentheticals, a speech longer than a page, transitions.
    void writeScript()
    {
        const QString sentence = QStringLiteral("Snow drives across the pass (again) and at 3:12 a.m. the radio "
                                                "crackles once, twice, then falls silent. ");
        for (int scene = 0; scene < 24; ++scene) {
            const QString heading = QStringLiteral("INT. HUT %1 - NIGHT").arg(scene);
            SceneCarddb& card = addCard(heading);
            expected_ += QString(heading).remove(QLatin1Char(' '));
            addPart(card, "Action", sentence.repeated(1 + scene % 6).trimmed());
            addPart(card, "Character", scene % 2 ? QStringLiteral("MARA") : QStringLiteral("RUTH"));
            if (scene % 3 == 0)
                addPart(card, "Parenthetical", QStringLiteral("(quietly)"));
            addPart(card, "Dialogue", sentence.repeated(scene == 7 ? 30 : 1 + scene % 4).trimmed());
            if (scene % 4 == 1)
                addPart(card, "Transition", QStringLiteral("CUT TO:"));
        }
    }

    QString expected_;
};

struct PrintedLine {
    double baseline;
    std::vector<const PdfProbe::Word*> words;
    QString text() const
    {
        QStringList parts;
        for (const PdfProbe::Word* word : words)
            parts.append(word->text);
        return parts.join(QLatin1Char(' '));
    }
};

// The body's lines of each page (below the header's rule, above the footer), top to bottom.
std::vector<std::vector<PrintedLine>> bodyLines(const PdfProbe& pdf)
{
    std::vector<std::vector<PrintedLine>> pages(std::size_t(pdf.pageCount()));
    for (const PdfProbe::Word& word : pdf.words()) {
        if (word.box.top() < 91 || word.box.bottom() > 792 - 40)
            continue;
        std::vector<PrintedLine>& lines = pages[std::size_t(word.page - 1)];
        auto line = std::find_if(lines.begin(), lines.end(), [&](const PrintedLine& candidate) {
            return std::abs(candidate.baseline - word.box.bottom()) < 0.5;
        });
        if (line == lines.end()) {
            lines.push_back({word.box.bottom(), {}});
            line = lines.end() - 1;
        }
        line->words.push_back(&word);
    }
    for (std::vector<PrintedLine>& lines : pages) {
        std::sort(lines.begin(), lines.end(),
                  [](const PrintedLine& a, const PrintedLine& b) { return a.baseline < b.baseline; });
        for (PrintedLine& line : lines)
            std::sort(line.words.begin(), line.words.end(),
                      [](const PdfProbe::Word* a, const PdfProbe::Word* b) { return a->box.left() < b->box.left(); });
    }
    return pages;
}

} // namespace

TEST_F(ScriptPdf, PagesHoldFiftyFourLinesOnATwelvePointGrid)
{
    writeScript();
    const std::unique_ptr<StoryReport> report = SceneCardReports::script(story());
    const PdfProbe pdf = print(report);
    ASSERT_GT(pdf.pageCount(), 4);
    const auto pages = bodyLines(pdf);
    std::size_t fullest = 0;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE(page + 1);
        const std::vector<PrintedLine>& lines = pages[page];
        ASSERT_FALSE(lines.empty());
        // Every line on the grid; the grid's rows span at most 54 lines of the page.
        for (const PrintedLine& line : lines) {
            const double rows = (line.baseline - lines.front().baseline) / 12;
            EXPECT_NEAR(rows, std::round(rows), 0.01) << line.text().toStdString();
        }
        EXPECT_LE((lines.back().baseline - lines.front().baseline) / 12, 53.01);
        fullest = std::max(fullest, lines.size());
        // Nothing in the header or footer bands: the first line below the header's rule, the
        // last above the footer.
        EXPECT_GE(lines.front().words.front()->box.top(), 94);
        EXPECT_LE(lines.back().words.front()->box.bottom(), 792 - 40);
        // Words of one line never touch.
        for (const PrintedLine& line : lines)
            for (std::size_t index = 1; index < line.words.size(); ++index)
                EXPECT_LT(line.words[index - 1]->box.right(), line.words[index]->box.left());
        if (page + 1 < pages.size()) {
            // What ends a page: never a heading, a cue or a parenthetical.
            const QString last = lines.back().text();
            EXPECT_FALSE(last.startsWith(QStringLiteral("INT."))) << last.toStdString();
            EXPECT_NE(last, QStringLiteral("MARA"));
            EXPECT_NE(last, QStringLiteral("RUTH"));
            EXPECT_NE(last, QStringLiteral("(quietly)"));
            if (last == QStringLiteral("(MORE)")) {
                const QString next = pages[page + 1].front().text();
                EXPECT_TRUE(next == QStringLiteral("MARA (CONT'D)") || next == QStringLiteral("RUTH (CONT'D)"))
                    << next.toStdString();
            }
        }
    }
    EXPECT_GE(fullest, 54u);
    EXPECT_LE(fullest, 56u);
    // The speech longer than a page breaks with (MORE) and (CONT'D).
    EXPECT_NE(pdf.find(QStringLiteral("(MORE)")), nullptr);
    EXPECT_NE(pdf.find(QStringLiteral("(CONT'D)")), nullptr);

    // Every character of the script, in order, but for the continuation marks.
    QString printed;
    for (const std::vector<PrintedLine>& lines : pages)
        for (const PrintedLine& line : lines) {
            const QString text = line.text();
            if (text == QStringLiteral("(MORE)") || text.endsWith(QStringLiteral(" (CONT'D)")))
                continue;
            printed += QString(text).remove(QLatin1Char(' '));
        }
    EXPECT_EQ(printed, expected_);
}

TEST_F(ScriptPdf, EveryFaceIsEmbeddedUnderItsName)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    addPart(card, "Action", QStringLiteral("Snow."));
    const std::unique_ptr<StoryReport> report = SceneCardReports::script(story());
    print(report, QStringLiteral("named.pdf"));
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {folder_.filePath(QStringLiteral("named.pdf"))});
    ASSERT_TRUE(fonts.waitForFinished(60000));
    // "name type encoding emb sub uni object ID": two heading lines, then one line a face.
    const QList<QByteArray> lines = fonts.readAllStandardOutput().split('\n');
    QStringList names;
    for (qsizetype index = 2; index < lines.size(); ++index) {
        if (lines[index].trimmed().isEmpty())
            continue;
        // An unnamed face leaves the name column blank: the line starts with spaces.
        EXPECT_FALSE(lines[index].startsWith(' ')) << lines[index].toStdString();
        names.append(QString::fromLatin1(lines[index].split(' ').front()));
    }
    EXPECT_TRUE(names.contains(QStringLiteral("DejaVuSans-Bold"))) << names.join(QLatin1Char(',')).toStdString();
    // The script face under its PostScript name, whatever subset prefix the writer gives it.
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [](const QString& name) { return name.endsWith(QStringLiteral("CourierPrime-Regular")); }))
        << names.join(QLatin1Char(',')).toStdString();
}

#include "model/Beatdb.h"
#include "model/Loglinedb.h"
#include "model/Toolkit.h"
#include "reports/BaseReportView.h"
#include "reports/BeatReportView.h"
#include "reports/BlockOfTextView.h"
#include "reports/ReportElement.h"
#include "reports/ReportInfo.h"
#include "reports/ReportText.h"
#include "support/QtPrinting.h"
#include "support/StoryFixtures.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QSizeF kLetter(612, 792);

// Settings as a report view leaves them: header 64, footer 20, so that on Letter paper
// limit(0) = 752, bodyTop(1) = 886, the page gap is 134 and a page body 658 high.
ReportInfo bandedInfo()
{
    ReportInfo info;
    info.reportHeaderHeight = 64;
    info.reportFooterHeight = 20;
    return info;
}

float measured(const QString& text, float width, const QFont& font, std::int64_t alignment = 0)
{
    return Toolkit().heightForText(text, width, font, alignment);
}

float lineHeight(const QFont& font)
{
    return measured(QStringLiteral("Bob"), 500, font);
}

// Words w000 w001 ... enough to fill `lines` lines of a wide block, without break problems.
QString numberedWords(int count)
{
    QStringList words;
    for (int index = 0; index < count; ++index)
        words.append(QStringLiteral("w%1").arg(index, 3, 10, QLatin1Char('0')));
    return words.join(QLatin1Char(' '));
}

// The settings' text width made `width` points wide by the right margin.
ReportInfo infoWithTextWidth(float width)
{
    ReportInfo info = bandedInfo();
    info.rightMargin = std::int64_t(kLetter.width()) - info.leftMargin - info.leftIndent - std::int64_t(width);
    return info;
}

} // namespace

// --- Settings ----------------------------------------------------------------------------------

TEST(ReportSettings, NewSettingsHaveTheDefaultsAndNoBands)
{
    const ReportInfo info;
    EXPECT_TRUE(info.reportTitle.isEmpty());
    EXPECT_EQ(info.topMargin, 30);
    EXPECT_EQ(info.bottomMargin, 20);
    EXPECT_EQ(info.leftMargin, 30);
    EXPECT_EQ(info.rightMargin, 30);
    EXPECT_EQ(info.leftIndent, 15);
    EXPECT_EQ(info.textAlignment, 0);
    EXPECT_TRUE(info.includeLoglineInHeader);
    EXPECT_EQ(info.minLineSpace, 0);
    EXPECT_EQ(info.reportHeaderHeight, 0);
    EXPECT_EQ(info.reportFooterHeight, 0);

    const ReportInfo banded = bandedInfo();
    const PageGeometry page(kLetter, banded);
    EXPECT_FLOAT_EQ(page.limit(0), 752);
    EXPECT_FLOAT_EQ(page.bodyTop(1), 886);
    EXPECT_FLOAT_EQ(page.gap(), 134);
    EXPECT_FLOAT_EQ(page.body(), 658);
    EXPECT_FLOAT_EQ(page.textWidth(), 537);
    EXPECT_FLOAT_EQ(page.textLeft(), 45);
}

TEST(ReportSettings, ABlockKeepsTheSettingsOfItsMakingAndABeatReadsTheBuildersAgain)
{
    NewStory story;
    ReportInfo info = bandedInfo();
    const BlockOfTextView block(kLetter, info, QStringLiteral("Kept"), ReportText::systemFont(10), 100, false);
    Beatdb beat;
    beat.setBeatNumber(1);
    const BeatReportView beatBlock(story.story(), kLetter, info, beat, 100);
    info.leftIndent = 90;
    info.minLineSpace = 7;
    info.textAlignment = 2;
    EXPECT_EQ(block.reportInfo().leftIndent, 15);
    EXPECT_EQ(block.reportInfo().minLineSpace, 0);
    EXPECT_EQ(block.reportInfo().textAlignment, 0);
    EXPECT_EQ(block.reportInfo().reportHeaderHeight, 64);
    // The beat block reads the builder's object when it draws; painting it with the changed
    // settings must simply work.
    QImage image(612, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    beatBlock.paint(painter, QRectF(0, 0, 612, 200));
}

// --- Measuring and splitting -------------------------------------------------------------------

TEST(TextMeasuring, HeightsFollowTheAlignmentsRules)
{
    const QFont font = ReportText::systemFont(10);
    const float line = lineHeight(font);
    ASSERT_GT(line, 10);
    ASSERT_LT(line, 14);
    const QString longText = numberedWords(40);
    struct Row {
        const char* name;
        QString text;
        float width;
        std::int64_t alignment;
        float lines; // 0: more than one line
    };
    const Row rows[] = {
        {"empty text", QString(), 100, 0, 0.0f},
        {"empty text, centred", QString(), 100, 2, 0.0f},
        {"one short line", QStringLiteral("Bob"), 100, 0, 1},
        {"right-aligned never wraps", longText, 40, 1, 1},
        {"centred never wraps", longText, 40, 2, 1},
        {"centred: one line per paragraph", QStringLiteral("a\nb\nc"), 40, 2, 3},
        {"a trailing line feed adds a line", QStringLiteral("a\n"), 100, 0, 2},
        {"two line feeds give an empty line", QStringLiteral("a\n\nb"), 100, 0, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(measured(row.text, row.width, font, row.alignment), row.lines * line, 0.01);
    }
    // Left alignment and every unknown alignment wrap the long text into many lines.
    const float wrapped = measured(longText, 40, font, 0);
    EXPECT_GT(wrapped, 10 * line);
    for (const std::int64_t alignment : {3, 4, -1}) {
        SCOPED_TRACE(alignment);
        EXPECT_FLOAT_EQ(measured(longText, 40, font, alignment), wrapped);
    }
    EXPECT_FLOAT_EQ(Toolkit().heightForString(longText, font, 40), wrapped);
}

TEST(TextMeasuring, SplitsEndWhereALaidOutLineEnds)
{
    const QFont font = ReportText::systemFont(10);
    const float line = lineHeight(font);
    const QFontMetricsF metrics(font);
    const float threeWords = float(metrics.horizontalAdvance(QStringLiteral("alpha beta gamma"))) + 4;
    const float prefix = float(metrics.horizontalAdvance(QStringLiteral("Lorem ipsum dolor"))) + 4;
    struct Row {
        const char* name;
        QString text;
        float width;
        float height;
        QString firstPiece;
    };
    const Row rows[] = {
        {"four words, three fit", QStringLiteral("alpha beta gamma delta"), threeWords, line * 1.2f,
         QStringLiteral("alpha beta gamma ")},
        {"a piece ending with ( stops before it", QStringLiteral("Lorem ipsum dolor (aside) more text"), prefix,
         line * 1.5f, QStringLiteral("Lorem ipsum dolor ")},
        {"a line feed ends the piece", QStringLiteral("one\ntwo three four"), 300, line * 1.5f,
         QStringLiteral("one")},
        {"a full stop inside a word is no break", QStringLiteral("at 3:12 a.m. sharp"),
         float(metrics.horizontalAdvance(QStringLiteral("at 3:12 a.m."))) - 1, line * 1.2f,
         QStringLiteral("at 3:12 ")},
        {"a hyphen ends the piece", QStringLiteral("snow-covered ridge"),
         float(metrics.horizontalAdvance(QStringLiteral("snow-cov"))), line * 1.2f, QStringLiteral("snow-")},
        {"an empty first paragraph is the whole piece", QStringLiteral("\nqqqq"), 300, line * 1.2f, QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::int64_t length = Toolkit().splitText(row.text, row.height, row.width, font, 0);
        EXPECT_EQ(row.text.left(length), row.firstPiece);
    }
}

TEST(TextMeasuring, OneLongWordIsCutAtItsLongestFittingPrefix)
{
    const QFont font = ReportText::systemFont(10);
    const float line = lineHeight(font);
    const Toolkit toolkit;
    for (const QString& word : {QStringLiteral("Supercalifragilisticexpialidocious"),
                                QStringLiteral("12345678901234567890123456789012345678901234567890")}) {
        SCOPED_TRACE(word.toStdString());
        const std::int64_t length = toolkit.splitText(word, line * 1.5f, 50, font, 0);
        ASSERT_GE(length, 1);
        ASSERT_LT(length, word.size());
        EXPECT_LE(toolkit.heightForText(word.left(length), 50, font, 0), line * 1.5f);
        EXPECT_GT(toolkit.heightForText(word.left(length + 1), 50, font, 0), line * 1.5f);
    }
    // Even a room lower than one line gives the first line, the opening parenthesis with it.
    for (const QString& word : {QStringLiteral("Unbreakable"), QStringLiteral("(Unbreakable")}) {
        SCOPED_TRACE(word.toStdString());
        const std::int64_t length = toolkit.splitText(word, 1, 50, font, 0);
        ASSERT_GE(length, 1);
        EXPECT_FLOAT_EQ(toolkit.heightForText(word.left(length), 50, font, 0), line);
        EXPECT_GT(toolkit.heightForText(word.left(length + 1), 50, font, 0), line);
        EXPECT_EQ(word.left(length).front(), word.front());
    }
}

TEST(TextMeasuring, TheRestAfterABreakKeepsEveryCharacterButTheLineFeedsAtTheBreak)
{
    struct Row {
        QString text;
        qsizetype cut;
        bool dropLineFeeds;
        QString rest;
    };
    const Row rows[] = {
        {QStringLiteral("abc(def"), 3, true, QStringLiteral("(def")},
        {QStringLiteral("abc((def"), 3, true, QStringLiteral("((def")},
        {QStringLiteral("abc\n\ndef"), 3, true, QStringLiteral("def")},
        {QStringLiteral("abc(\ndef"), 3, true, QStringLiteral("(\ndef")},
        {QStringLiteral("abc\n(def"), 3, true, QStringLiteral("(def")},
        {QStringLiteral("abc(("), 3, true, QStringLiteral("((")},
        {QStringLiteral("abc(\n\ndef"), 3, false, QStringLiteral("(\n\ndef")},
        {QStringLiteral("abc\n\ndef"), 3, false, QStringLiteral("\ndef")},
        {QStringLiteral("\nqqq"), 0, false, QStringLiteral("qqq")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(restAfterBreak(row.text, row.cut, row.dropLineFeeds), row.rest);
    }
}

// --- Text blocks -------------------------------------------------------------------------------

TEST(TextBlocks, AFittingTextIsOneBlockAsHighAsItsTextOrOneLine)
{
    const QFont font = ReportText::systemFont(10);
    const ReportInfo info = bandedInfo();
    const float line = lineHeight(font);
    struct Row {
        QString text;
        bool rule;
    };
    const Row rows[] = {{QString(), false}, {QString(), true}, {QStringLiteral("One line"), false},
                        {QStringLiteral("Two\nlines"), true}, {numberedWords(300), false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.left(20).toStdString());
        const BlockOfTextView block(kLetter, info, row.text, font, 200, row.rule);
        const float expected = std::max(measured(row.text, 537, font), line) + (row.rule ? 5.0f : 0.0f);
        EXPECT_FLOAT_EQ(block.frame().y(), 200);
        EXPECT_FLOAT_EQ(float(block.frame().height()), expected);
        EXPECT_EQ(block.firstPartOfText(), row.text);
        EXPECT_TRUE(block.children().empty());
    }
}

TEST(TextBlocks, OneLineOfRoomOrLessSendsTheWholeTextToTheNextPage)
{
    const QFont font = ReportText::systemFont(10);
    const ReportInfo info = bandedInfo();
    const float line = lineHeight(font);
    const QString text = QStringLiteral("Two\nlines");
    for (const float room : {line, line * 0.5f}) {
        SCOPED_TRACE(room);
        const float y = 752 - room;
        const BlockOfTextView block(kLetter, info, text, font, y, true);
        EXPECT_FLOAT_EQ(block.frame().y(), y);
        EXPECT_TRUE(block.firstPartOfText().isEmpty());
        ASSERT_EQ(block.children().size(), 1u);
        const auto& piece = static_cast<const SubBlockOfTextView&>(*block.children().front());
        EXPECT_EQ(piece.text(), text);
        EXPECT_FLOAT_EQ(float(block.frame().y() + piece.frame().y()), 886);
        EXPECT_FLOAT_EQ(float(block.frame().height()), room + 134 + measured(text, 537, font) + 5);
    }
}

TEST(TextBlocks, KeepTogetherMovesABlockWhoseFirstLinesDoNotFit)
{
    const QFont font = ReportText::systemFont(10);
    const float line = lineHeight(font);
    const QString fiveLines = QStringLiteral("one\ntwo\nthree\nfour\nfive");
    struct Row {
        const char* name;
        std::int64_t minLineSpace;
        float room;
        float expectedY; // 0: stays at its start
    };
    const Row rows[] = {
        {"five lines kept, room for four", 5, line * 4.5f, 886},
        {"five lines kept, room for five", 5, line * 5.0f + 0.01f, 0},
        {"two lines kept, room for one", 2, line * 1.5f, 886},
        {"keep-together 1 is none", 1, line * 1.5f, 0},
        {"keep-together 0 is none", 0, line * 1.5f, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReportInfo info = bandedInfo();
        info.minLineSpace = row.minLineSpace;
        const float y = 752 - row.room;
        const BlockOfTextView block(kLetter, info, fiveLines, font, y, false);
        if (row.expectedY > 0) {
            EXPECT_FLOAT_EQ(block.frame().y(), row.expectedY);
            EXPECT_EQ(block.firstPartOfText(), fiveLines);
            EXPECT_TRUE(block.children().empty());
        } else {
            EXPECT_FLOAT_EQ(block.frame().y(), y);
        }
    }
}

TEST(TextBlocks, ALongTextContinuesBelowEachPagesHeaderAndNeverReachesAFooter)
{
    const QFont font = ReportText::systemFont(10);
    const ReportInfo info = bandedInfo();
    const PageGeometry page(kLetter, info);
    const Toolkit toolkit;
    // About two and a half pages of words.
    const QString text = numberedWords(2000);
    const float y = 400;
    const BlockOfTextView block(kLetter, info, text, font, y, true);
    ASSERT_EQ(block.children().size(), 2u);
    const auto& second = static_cast<const SubBlockOfTextView&>(*block.children()[0]);
    const auto& third = static_cast<const SubBlockOfTextView&>(*block.children()[1]);
    EXPECT_LE(toolkit.heightForText(block.firstPartOfText(), 537, font, 0), 752 - y);
    EXPECT_FLOAT_EQ(float(y + second.frame().y()), page.bodyTop(1));
    EXPECT_FLOAT_EQ(float(second.frame().x()), 45);
    EXPECT_LE(toolkit.heightForText(second.text(), 537, font, 0), page.body());
    EXPECT_FLOAT_EQ(float(y + third.frame().y()), page.bodyTop(2));
    const float lastHeight = toolkit.heightForText(third.text(), 537, font, 0);
    EXPECT_FLOAT_EQ(float(block.frame().height()), (752 - y) + 134 + 658 + 134 + lastHeight + 5);
    // Nothing is lost but the spaces at the breaks.
    QString joined = block.firstPartOfText() + second.text() + third.text();
    EXPECT_EQ(joined.remove(QLatin1Char(' ')), QString(text).remove(QLatin1Char(' ')));
}

TEST(TextBlocks, AContinuationKeepsTheParenthesisAtTheBreak)
{
    const QFont font = ReportText::systemFont(10);
    const float line = lineHeight(font);
    const QFontMetricsF metrics(font);
    const float width = float(metrics.horizontalAdvance(QStringLiteral("Lorem ipsum dolor"))) + 4;
    const ReportInfo info = infoWithTextWidth(width);
    const BlockOfTextView block(kLetter, info, QStringLiteral("Lorem ipsum dolor (aside) more"), font,
                                752 - line * 1.5f, false);
    EXPECT_EQ(block.firstPartOfText(), QStringLiteral("Lorem ipsum dolor "));
    ASSERT_EQ(block.children().size(), 1u);
    EXPECT_EQ(static_cast<const SubBlockOfTextView&>(*block.children().front()).text(),
              QStringLiteral("(aside) more"));
}

// --- Beat blocks -------------------------------------------------------------------------------

TEST(BeatBlocks, ABeatIsLabelledAndAtLeast42High)
{
    NewStory story;
    const ReportInfo info = bandedInfo();
    const QFont font = ReportText::systemFont(10);
    Beatdb beat;
    beat.setBeatNumber(1);
    struct Row {
        QString description;
        float expected;
    };
    const Row rows[] = {{QString(), 42},
                        {QStringLiteral("A short one."), 42},
                        {QStringLiteral("1\n2\n3\n4\n5"), measured(QStringLiteral("1\n2\n3\n4\n5"), 552, font) + 26}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.description.toStdString());
        beat.setDescription(row.description);
        const BeatReportView block(story.story(), kLetter, info, beat, 94);
        EXPECT_FLOAT_EQ(block.beatHeight(), row.expected);
        EXPECT_FLOAT_EQ(float(block.frame().height()), row.expected);
        EXPECT_EQ(block.firstPartOfBeat(), row.description);
        EXPECT_TRUE(block.children().empty());
    }
    EXPECT_EQ(BeatReportView(story.story(), kLetter, info, beat, 94).label(),
              story.story().boardSections().beatLabelForBeat(1));
    EXPECT_FALSE(story.story().boardSections().beatLabelForBeat(1).isEmpty());
}

TEST(BeatBlocks, ABeatNearTheFooterTakesItsLabelToTheNextPage)
{
    NewStory story;
    const ReportInfo info = bandedInfo();
    const QFont font = ReportText::systemFont(10);
    Beatdb beat;
    beat.setBeatNumber(3);
    beat.setDescription(QStringLiteral("Line one\n(line two)"));
    // 30 points of room: the label fits, the first two lines of the description do not, so the
    // whole beat starts on the next page's body top.
    const float y = 752 - 30;
    const BeatReportView block(story.story(), kLetter, info, beat, y);
    EXPECT_FLOAT_EQ(float(block.frame().y()), 886);
    EXPECT_EQ(block.firstPartOfBeat(), beat.description());
    EXPECT_TRUE(block.children().empty());
    EXPECT_FLOAT_EQ(block.beatHeight(), std::max(measured(beat.description(), 552, font) + 26, 42.0f));

    // With an empty description the block ends at the body's bottom and has no continuation.
    beat.setDescription(QString());
    const BeatReportView empty(story.story(), kLetter, info, beat, y);
    EXPECT_FLOAT_EQ(empty.beatHeight(), 30);
    EXPECT_TRUE(empty.children().empty());
}

TEST(BeatBlocks, ADescriptionIsCutOnlyWithMoreThan42PointsUnderItsLabel)
{
    NewStory story;
    const ReportInfo info = bandedInfo();
    Beatdb beat;
    beat.setBeatNumber(4);
    beat.setDescription(QStringLiteral("L1\nL2\nL3\nL4\nL5\nL6\nL7\nL8\nL9\nL10"));
    struct Row {
        float room; // under the label, above the body's bottom at 752
        bool cut;
    };
    for (const Row& row : {Row{30, false}, Row{42, false}, Row{43, true}, Row{70, true}}) {
        SCOPED_TRACE(row.room);
        const float y = 752 - 26 - row.room;
        const BeatReportView block(story.story(), kLetter, info, beat, y);
        if (row.cut) {
            // The label stays where it was asked for; what fits under it stays too.
            EXPECT_FLOAT_EQ(float(block.frame().y()), y);
            EXPECT_TRUE(beat.description().startsWith(block.firstPartOfBeat()));
            EXPECT_GE(block.firstPartOfBeat().count(QLatin1Char('\n')), 2);
            EXPECT_EQ(block.children().size(), 1u);
        } else {
            // Label and description start together on the next page's body top.
            EXPECT_FLOAT_EQ(float(block.frame().y()), 886);
            EXPECT_EQ(block.firstPartOfBeat(), beat.description());
            EXPECT_TRUE(block.children().empty());
        }
    }
}

TEST(BeatBlocks, AContinuedBeatKeepsItsParenthesisAndLineFeedsButTheOneAtTheBreak)
{
    NewStory story;
    const QFont font = ReportText::systemFont(10);
    const float line = lineHeight(font);
    const QFontMetricsF metrics(font);
    // The beat's width holds "Lorem ipsum dolor" and no more.
    ReportInfo info = bandedInfo();
    info.rightMargin = 612 - 30 - 15 - std::int64_t(metrics.horizontalAdvance(QStringLiteral("Lorem ipsum dolor")) + 4);
    struct Row {
        QString description;
        QString firstPart;
        QString rest;
    };
    const Row rows[] = {
        {QStringLiteral("a\nb\nc\nLorem ipsum dolor (aside) more"), QStringLiteral("a\nb\nc\nLorem ipsum dolor "),
         QStringLiteral("(aside) more")},
        {QStringLiteral("L1\nL2\nL3\nL4\n\nL6"), QStringLiteral("L1\nL2\nL3\nL4"), QStringLiteral("\nL6")},
    };
    Beatdb beat;
    beat.setBeatNumber(2);
    // Room under the label for four and a half lines, more than the 42 points a cut needs.
    const float y = 752 - 26 - line * 4.5f;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.description.toStdString());
        beat.setDescription(row.description);
        const BeatReportView block(story.story(), kLetter, info, beat, y);
        EXPECT_EQ(block.firstPartOfBeat(), row.firstPart);
        ASSERT_EQ(block.children().size(), 1u);
        const auto& piece = static_cast<const SubBlockOfTextView&>(*block.children().front());
        EXPECT_EQ(piece.text(), row.rest);
        const float width = float(piece.frame().width());
        EXPECT_FLOAT_EQ(block.beatHeight(), (752 - y) + 134 + measured(row.rest, width, font) + 10);
    }
}

// --- Header ------------------------------------------------------------------------------------

TEST(ReportHeader, TheHeaderHeightFollowsTheLogline)
{
    NewStory story;
    Loglinedb* current = story.story().currentLogline();
    ASSERT_NE(current, nullptr);
    const QString logline = QStringLiteral("A balloonist races her estranged father across the Alps.");
    const float oneLine = measured(logline, 552, ReportText::systemFont(10));
    // Three thousand letters in words: the header shows its first three lines.
    QString long3000;
    while (long3000.size() < 3000)
        long3000 += QStringLiteral("avalanche ");
    struct Row {
        const char* name;
        bool include;
        bool hasCurrent;
        QString text;
        std::int64_t expected;
        bool cut;
    };
    const Row rows[] = {
        {"logline off", false, true, logline, 64, false},
        {"logline on, no current logline", true, false, logline, 74, false},
        {"logline on, empty current logline", true, true, QString(), 74, false},
        {"logline on, one measured line", true, true, logline, std::int64_t(64 + 10 + oneLine), false},
        {"logline on, three lines of 3,000 letters", true, true, long3000, std::int64_t(64 + 10 + 3 * oneLine), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        current->setLogline(row.text);
        current->setCurrentLoglineFlag(row.hasCurrent ? 1 : 0);
        ReportInfo info;
        info.includeLoglineInHeader = row.include;
        info.reportFooterHeight = 99;
        const BaseReportView view(story.story(), kLetter, info);
        EXPECT_EQ(info.reportHeaderHeight, row.expected);
        EXPECT_EQ(info.reportFooterHeight, 20);
        EXPECT_EQ(view.reportInfo().reportHeaderHeight, 0);
        if (row.cut) {
            EXPECT_TRUE(view.loglineShown().endsWith(QStringLiteral("avalanche…")))
                << view.loglineShown().right(30).toStdString();
            EXPECT_TRUE(row.text.startsWith(view.loglineShown().chopped(1)));
        } else if (row.include && row.hasCurrent) {
            EXPECT_EQ(view.loglineShown(), row.text);
        }
    }
    // One line of the pinned font at 10 points.
    EXPECT_EQ(std::int64_t(64 + 10 + oneLine), 86);
    EXPECT_EQ(BaseReportView::headerHeightForLogline(true, 12.5f), 86);
    EXPECT_EQ(BaseReportView::headerHeightForLogline(false, 12.5f), 64);
}

TEST(ReportHeader, ElementsSitOnTheirPage)
{
    NewStory story;
    ReportInfo info;
    BaseReportView view(story.story(), kLetter, info);
    view.setPageCount(3);
    EXPECT_EQ(view.pageNumberText(1), QStringLiteral("Page 2 of 3"));
    EXPECT_EQ(view.rectForPage(2), QRectF(0, 792, 612, 792));
    // The story's title takes its row from after the logo to the right margin; the report title
    // and genre keep clear of the date column.
    EXPECT_EQ(view.rectForScreenPlayTitle(1), QRectF(30 + 70, 822, 552 - 70, 20));
    EXPECT_EQ(view.rectForReportTitle(1), QRectF(30 + 110, 842, 552 - 220, 20));
    EXPECT_EQ(view.rectForGenre(1), QRectF(30 + 110, 862, 552 - 220, 18));
    EXPECT_GE(view.rectForScreenPlayTitle(0).left(), view.rectForLogo(0).right());
    EXPECT_EQ(view.rectForReportPageNumber(1), QRectF(30, 1584 - 20 - 18, 552, 18));
    // The date follows its label, "Date: " measured in its bold face, up to the right margin.
    const double label = BaseReportView::dateLabelWidth();
    EXPECT_GT(label, QFontMetricsF(ReportText::boldSystemFont(10)).horizontalAdvance(QStringLiteral("Date:")));
    EXPECT_EQ(view.rectForDateLabel(0), QRectF(612 - 30 - 110, 55, label, 20));
    EXPECT_EQ(view.rectForReportDate(0), QRectF(612 - 30 - 110 + label, 55, 110 - label, 20));
    EXPECT_EQ(view.rectForLogo(0), QRectF(30, 20, 64, 64));
    EXPECT_EQ(view.frame().height(), 3 * 792);
}

TEST(ReportPages, ThePageCountFollowsTheLastBottom)
{
    NewStory story;
    ReportInfo info;
    const BaseReportView view(story.story(), kLetter, info);
    const std::pair<float, std::int64_t> rows[] = {{0, 1}, {791.9f, 1}, {792, 2}, {1583, 2}, {1584, 3}};
    for (const auto& [bottom, pages] : rows) {
        SCOPED_TRACE(bottom);
        EXPECT_EQ(view.pageCountForBottom(bottom), pages);
    }
}

// --- Swatches ----------------------------------------------------------------------------------

TEST(Swatches, TheFillCoversTheInsetRectangleInsideItsOutline)
{
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 128, 255), QColor(250, 240, 180)};
    for (const QColor& colour : colours) {
        SCOPED_TRACE(colour.name().toStdString());
        const NoteReportBackgound swatch(QRectF(0, 0, 10, 10), colour);
        // Ten pixels a point.
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(10, 10);
        swatch.paint(painter, QRectF(0, 0, 10, 10));
        painter.end();
        EXPECT_EQ(image.pixelColor(50, 50), colour);
        EXPECT_EQ(image.pixelColor(13, 50), colour);   // the fill's inner half of the outline
        EXPECT_EQ(image.pixelColor(7, 50), QColor(Qt::black)); // the outline's outer half
        EXPECT_EQ(image.pixelColor(2, 50), QColor(Qt::white)); // outside the inset rectangle
        EXPECT_EQ(image.pixelColor(50, 97), QColor(Qt::white));
    }
}

namespace {

// An element that notes each time it is drawn.
class DrawLog : public ReportElement
{
public:
    DrawLog(const QRectF& frame, int id, std::vector<int>& log) : ReportElement(frame), id_(id), log_(log) {}

protected:
    void draw(QPainter&, const QRectF&) const override { log_.push_back(id_); }

private:
    int id_;
    std::vector<int>& log_;
};

} // namespace

// Painting a page of a long report looks only at that page's elements, yet draws exactly those
// meeting the page, in the order they were placed: across page edges, under everything, and of
// no height on an edge.
TEST(ReportPages, EachPageDrawsTheElementsMeetingItInTheirOrder)
{
    std::vector<int> log;
    PagedReportView view(QSizeF(100, 100));
    view.setPageCount(10);
    std::vector<QRectF> frames;
    for (int id = 0; id < 200; ++id)
        frames.push_back(QRectF(0, id * 5.0, 50, 10));
    frames[50] = QRectF(0, 0, 100, 1000);
    frames[120] = QRectF(0, 300, 100, 0);
    frames[121] = QRectF(0, 950, 100, 60);
    for (int id = 0; id < 200; ++id)
        view.add(std::make_unique<DrawLog>(frames[static_cast<std::size_t>(id)], id, log));
    view.addBelow(std::make_unique<DrawLog>(QRectF(0, 250, 100, 100), 999, log));
    QImage sheet(100, 100, QImage::Format_ARGB32_Premultiplied);
    for (std::int64_t page = 1; page <= 11; ++page) {
        SCOPED_TRACE(page);
        const QRectF band = view.rectForPage(page);
        std::vector<int> expected;
        if (band.top() <= 350 && band.bottom() >= 250)
            expected.push_back(999);
        for (int id = 0; id < 200; ++id) {
            const QRectF& frame = frames[static_cast<std::size_t>(id)];
            if (!(frame.bottom() < band.top() || frame.top() > band.bottom()))
                expected.push_back(id);
        }
        log.clear();
        QPainter painter(&sheet);
        view.paint(painter, band);
        painter.end();
        EXPECT_EQ(log, expected);
    }
}

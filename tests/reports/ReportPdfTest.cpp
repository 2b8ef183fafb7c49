#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/Loglinedb.h"
#include "model/SceneLocationdb.h"
#include "model/Toolkit.h"
#include "platform/QtPlatform.h"
#include "reports/BlockOfTextView.h"
#include "reports/ListViewCaption.h"
#include "reports/ReportElement.h"
#include "reports/ReportPainter.h"
#include "reports/ReportText.h"
#include "reports/StoryReport.h"
#include "support/PanelDriver.h"
#include "ReportFixture.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class ReportPdf : public ReportFixture
{
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        story().setScreenplayTitle(QStringLiteral("Kessler Pass"));
        story().setGenre(QStringLiteral("Mountain Thriller"));
    }

    // Finishes the report, writes it and reads it back.
    PdfProbe print(StoryReport& report, const QString& name = QStringLiteral("report.pdf"))
    {
        report.finish();
        return ReportFixture::print(report, name);
    }
};

// Words "w000", "w001", ... that only the body holds.
QString bodyWords(int first, int count)
{
    QStringList words;
    for (int index = first; index < first + count; ++index)
        words.append(QStringLiteral("w%1").arg(index, 4, 10, QLatin1Char('0')));
    return words.join(QLatin1Char(' '));
}

} // namespace

TEST_F(ReportPdf, AnEmptyReportIsOnePageWithTheHeaderAndFooter)
{
    StoryReport report(story(), QStringLiteral("LOGLINES"));
    const PdfProbe pdf = print(report);
    ASSERT_EQ(pdf.pageCount(), 1);
    EXPECT_EQ(pdf.info(QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_TRUE(pdf.info(QStringLiteral("Page size")).startsWith(QStringLiteral("612 x 792 pts")));
    EXPECT_EQ(pdf.info(QStringLiteral("Title")), QStringLiteral("LOGLINES"));
    const QString text = pdf.pageText(1);
    for (const char* expected :
         {"Kessler Pass", "LOGLINES", "Mountain Thriller", "Date:", "01/01/2020", "Page 1 of 1"}) {
        SCOPED_TRACE(expected);
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << text.toStdString();
    }
    // The header's elements where the page layout puts them.
    const PdfProbe::Word* title = pdf.find(QStringLiteral("LOGLINES"));
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->box.center().x(), 306, 1);
    const PdfProbe::Word* story = pdf.find(QStringLiteral("Kessler"));
    const PdfProbe::Word* storyEnd = pdf.find(QStringLiteral("Pass"));
    ASSERT_TRUE(story && storyEnd);
    EXPECT_NEAR((story->box.left() + storyEnd->box.right()) / 2, 306, 1);
    EXPECT_GT(title->box.top(), 49);
    EXPECT_LT(title->box.bottom(), 72);
    // The label and the date stand side by side, from 110 points left of the right margin, a
    // space apart: two words.
    const PdfProbe::Word* label = pdf.find(QStringLiteral("Date:"));
    const PdfProbe::Word* date = pdf.find(QStringLiteral("01/01/2020"));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(date, nullptr);
    EXPECT_NEAR(label->box.left(), 612 - 30 - 110, 1);
    EXPECT_GT(date->box.left(), label->box.right() + 1);
    EXPECT_NEAR(date->box.top(), label->box.top(), 1);
    const PdfProbe::Word* page = pdf.find(QStringLiteral("Page"));
    ASSERT_NE(page, nullptr);
    EXPECT_GT(page->box.top(), 792 - 20 - 18 - 1);
    EXPECT_LT(page->box.bottom(), 792 - 20 + 1);
}

TEST_F(ReportPdf, TheLoglineShowsUnderTheGenreWhenTheHeaderIncludesIt)
{
    story().currentLogline()->setLogline(QStringLiteral("Smugglers cross a frozen pass."));
    for (const bool include : {true, false}) {
        SCOPED_TRACE(include);
        StoryReport report(story(), QStringLiteral("SET-UPS"), StoryReport::documentPaper(),
                           [include](ReportInfo& info) { info.includeLoglineInHeader = include; });
        EXPECT_EQ(report.info().reportHeaderHeight, include ? 86 : 64);
        EXPECT_FLOAT_EQ(report.y(), include ? 116 : 94);
        const PdfProbe pdf = print(report, include ? QStringLiteral("with.pdf") : QStringLiteral("without.pdf"));
        const PdfProbe::Word* word = pdf.find(QStringLiteral("Smugglers"));
        if (!include) {
            EXPECT_EQ(word, nullptr);
            continue;
        }
        ASSERT_NE(word, nullptr);
        EXPECT_NEAR(word->box.left(), 30, 1);
        EXPECT_GT(word->box.top(), 30 + 61);
        EXPECT_LT(word->box.bottom(), 30 + 86);
    }
    // A title wider than the page's middle less the logo on both sides is printed whole after the
    // logo; a logline of 3,000 letters shows its first three lines, cut with "…", and the body
    // follows under them.
    const QString title = QStringLiteral("Six Weeks in the Snowbound Hut Above Kessler Pass");
    const double titleWidth = QFontMetricsF(ReportText::boldSystemFont(15)).horizontalAdvance(title);
    ASSERT_GT(titleWidth, 552 - 140);
    ASSERT_LT(titleWidth, 552 - 70);
    story().setScreenplayTitle(title);
    QString logline;
    while (logline.size() < 3000)
        logline += QStringLiteral("drift ");
    story().currentLogline()->setLogline(logline);
    StoryReport report(story(), QStringLiteral("SET-UPS"));
    report.addText(QStringLiteral("Body"), ReportText::systemFont(10), false);
    const PdfProbe pdf = print(report, QStringLiteral("long.pdf"));
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_TRUE(pdf.pageText(1).contains(title)) << pdf.pageText(1).toStdString();
    const PdfProbe::Word* first = pdf.find(QStringLiteral("Six"));
    const PdfProbe::Word* last = pdf.find(QStringLiteral("Pass"));
    ASSERT_TRUE(first && last);
    EXPECT_GE(first->box.left(), 30 + 64 - 0.5);
    EXPECT_LE(last->box.right(), 612 - 30 + 0.5);
    const PdfProbe::Word* cut = pdf.find(QStringLiteral("drift…"));
    const PdfProbe::Word* body = pdf.find(QStringLiteral("Body"));
    ASSERT_TRUE(cut && body) << pdf.pageText(1).toStdString();
    EXPECT_LT(cut->box.bottom(), body->box.top());
    EXPECT_LT(body->box.top(), 30 + 64 + 10 + 4 * 12);
}

TEST_F(ReportPdf, BodyTextOfALongReportNeverEntersAHeaderOrFooterBand)
{
    StoryReport report(story(), QStringLiteral("CHARACTERS"));
    const QFont font = ReportText::systemFont(10);
    int next = 0;
    // Blocks of all sizes, some with keep-together, some with rules, one spanning pages.
    for (int block = 0; block < 40; ++block) {
        const int count = block == 7 ? 1500 : 5 + (block * 37) % 90;
        report.info().minLineSpace = block % 3 == 0 ? 3 : 0;
        report.addText(bodyWords(next, count), font, block % 2 == 0);
        next += count;
    }
    const PdfProbe pdf = print(report);
    ASSERT_GE(pdf.pageCount(), 5);
    const double top = 30 + report.info().reportHeaderHeight;
    const double bottom = 792 - 20 - 20;
    int bodyWordsSeen = 0;
    static const QRegularExpression bodyWord(QStringLiteral("^w\\d{4}$"));
    for (const PdfProbe::Word& word : pdf.words()) {
        if (!bodyWord.match(word.text).hasMatch())
            continue;
        ++bodyWordsSeen;
        EXPECT_GE(word.box.top(), top - 0.5) << word.text.toStdString() << " on page " << word.page;
        EXPECT_LE(word.box.bottom(), bottom + 0.5) << word.text.toStdString() << " on page " << word.page;
    }
    // Every word printed once: nothing lost at the breaks.
    EXPECT_EQ(bodyWordsSeen, next);
    for (int page = 1; page <= pdf.pageCount(); ++page) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(pdf.pageText(page).contains(
            QStringLiteral("Page %1 of %2").arg(page).arg(pdf.pageCount())));
        EXPECT_TRUE(pdf.pageText(page).contains(QStringLiteral("CHARACTERS")));
    }
}

TEST_F(ReportPdf, FooterOfPageTwoOfThree)
{
    StoryReport report(story(), QStringLiteral("PAY-OFFS"));
    // 658 points of body a page: a little over two pages of blocks.
    while (report.view().pageCountForBottom(report.y()) < 3)
        report.addText(bodyWords(0, 30), ReportText::systemFont(10), true);
    const PdfProbe pdf = print(report);
    ASSERT_EQ(pdf.pageCount(), 3);
    EXPECT_TRUE(pdf.pageText(2).contains(QStringLiteral("Page 2 of 3"))) << pdf.pageText(2).toStdString();
    EXPECT_FALSE(pdf.pageText(2).contains(QStringLiteral("Page 1 of 3")));
}

TEST_F(ReportPdf, ABlockEndingExactlyOnAPageBoundaryAddsAPage)
{
    StoryReport report(story(), QStringLiteral("GENERAL NOTES/ATTACHMENTS"));
    report.addText(QStringLiteral("First"), ReportText::systemFont(10), false);
    // A coloured box whose bottom is the bottom of page 1.
    report.place(std::make_unique<NoteReportBackgound>(QRectF(30, 700, 100, 92), QColor(Qt::yellow)), true);
    const PdfProbe pdf = print(report);
    EXPECT_EQ(pdf.pageCount(), 2);
    EXPECT_TRUE(pdf.pageText(2).contains(QStringLiteral("Page 2 of 2")));
}

TEST_F(ReportPdf, KeepTogetherMovesAFiveLineBlockToTheNextPage)
{
    StoryReport report(story(), QStringLiteral("SET-UPS"));
    const QFont font = ReportText::systemFont(10);
    const float line = Toolkit().heightForText(QStringLiteral("Bob"), 500, font, 0);
    report.setY(752 - line * 4.5f);
    report.info().minLineSpace = 5;
    report.addText(QStringLiteral("kept1\nkept2\nkept3\nkept4\nkept5"), font, false);
    const PdfProbe pdf = print(report);
    ASSERT_EQ(pdf.pageCount(), 2);
    for (const char* word : {"kept1", "kept5"}) {
        SCOPED_TRACE(word);
        const PdfProbe::Word* found = pdf.find(QString::fromLatin1(word));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->page, 2);
    }
    EXPECT_GE(pdf.find(QStringLiteral("kept1"))->box.top(), 30 + report.info().reportHeaderHeight - 0.5);
}

TEST_F(ReportPdf, TheLogoIsOnEveryPage)
{
    StoryReport report(story(), QStringLiteral("LOCATIONS"));
    report.advanceTo(792 * 2.5f);
    report.finish();
    const QString path = folder_.filePath(QStringLiteral("logo.pdf"));
    ASSERT_EQ(ReportPainter::writePdf(report.view(), report.title(), path).outcome, PrintResult::Printed);
    const PdfProbe pdf(path);
    ASSERT_EQ(pdf.pageCount(), 3);
    // The logo's square, 64 points at 72 dpi from (30, 20), is not white.
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        const QImage image = pdf.render(page, 72);
        ASSERT_FALSE(image.isNull());
        int marked = 0;
        for (int y = 20; y < 84; y += 4)
            for (int x = 30; x < 94; x += 4)
                marked += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
        EXPECT_GT(marked, 20);
    }
}

TEST_F(ReportPdf, AFailedWriteLeavesTheOldFileAndSaysSo)
{
    StoryReport report(story(), QStringLiteral("LOGLINES"));
    report.finish();
    // A folder that does not exist cannot take the file.
    const QString missing = folder_.filePath(QStringLiteral("no/such/folder/report.pdf"));
    const PrintResult failed = ReportPainter::writePdf(report.view(), report.title(), missing);
    EXPECT_EQ(failed.outcome, PrintResult::Failed);
    EXPECT_TRUE(failed.message.contains(QStringLiteral("could not be written"))) << failed.message.toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    // A painting that fails keeps the earlier file as it was.
    const QString path = folder_.filePath(QStringLiteral("kept.pdf"));
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    PrintJob job = ReportPainter::printJob(report.view(), report.title());
    job.paint = [](QPagedPaintDevice&, int, int) { return false; };
    EXPECT_EQ(writePdfFile(job, path, 1, 1).outcome, PrintResult::Failed);
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("earlier"));
}

// The print panel offers a PDF file named after the report's title (or the story's, for reports
// without one); every such name can be written in the folder it is offered in.
TEST_F(ReportPdf, ThePrintPanelOffersAFileNameThatCanBeWritten)
{
    StoryReport report(story(), QStringLiteral("LOGLINES"));
    report.finish();
    const std::pair<const char*, const char*> rows[] = {
        {"GENERAL NOTES/ATTACHMENTS", "GENERAL NOTES-ATTACHMENTS"},
        {"SCENE CARD DETAILS", "SCENE CARD DETAILS"},
        {"SET-UPS", "SET-UPS"},
        {"Who? \"Me\": A|B <1/2>*\t", "Who- -Me-- A-B -1-2---"},
    };
    for (const auto& [title, offered] : rows) {
        SCOPED_TRACE(title);
        const QString name = printDocumentName(QString::fromUtf8(title));
        EXPECT_EQ(name, QString::fromUtf8(offered));
        // The system's print panel is given that name, and closing it prints nothing.
        QString given;
        PanelDriver driver;
        driver.whenShown<QPrintDialog>([&given](QPrintDialog* panel) {
            given = panel->printer()->docName();
            panel->reject();
        });
        EXPECT_EQ(QtPrintPanels().runPrintPanel(ReportPainter::printJob(report.view(), QString::fromUtf8(title)))
                      .outcome,
                  PrintResult::Cancelled);
        EXPECT_EQ(given, name);
        const QString path = folder_.filePath(name + QStringLiteral(".pdf"));
        EXPECT_EQ(writePdfFile(ReportPainter::printJob(report.view(), QString::fromUtf8(title)), path, 1, 1).outcome,
                  PrintResult::Printed);
        EXPECT_TRUE(QFile::exists(path));
    }
}

// --- The list view's caption -------------------------------------------------------------------

TEST_F(ReportPdf, TheCaptionSaysHowTheListIsSortedAndFiltered)
{
    Screenplaydb& story = ReportFixture::story();
    ASSERT_FALSE(story.colorCodes().empty());
    ColorCodedb& colour = *story.colorCodes().front();
    colour.setDescription(QStringLiteral("Flashback"));
    auto character = std::make_unique<Characterdb>();
    character->setCharacterID(41);
    character->setCharacterName(QStringLiteral("Mara"));
    story.characters().push_back(std::move(character));
    auto location = std::make_unique<SceneLocationdb>();
    location->setSceneLocationID(42);
    location->setLocation(QStringLiteral("The Hut"));
    story.sceneLocations().push_back(std::move(location));

    struct Row {
        const char* name;
        std::int64_t boardView, sort, colourID, characterID, locationID;
        QString caption;
    };
    const std::int64_t colourID = colour.colorCodeID();
    const Row rows[] = {
        {"corkboard", 1, 1, colourID, 41, 42, QString()},
        {"list, card order", 2, 1, 0, 0, 0, QStringLiteral("Sorted: Scene Card Order")},
        {"list, chronological, character", 2, 2, 0, 41, 0,
         QStringLiteral("Sorted: Chronologically\nCharacter: Mara")},
        {"list, no sort, location", 2, 0, 0, 0, 42, QStringLiteral("\nLocation: The Hut")},
        {"list, every filter", 2, 1, colourID, 41, 42,
         QStringLiteral("Sorted: Scene Card Order\nColor Code: Flashback\nCharacter: Mara\nLocation: The Hut")},
        {"filters naming nothing", 2, 2, 9999, 9998, 9997, QStringLiteral("Sorted: Chronologically")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        story.setBoardView(row.boardView);
        story.setBoardListSortMethod(row.sort);
        story.setBoardListFilterColorID(row.colourID);
        story.setBoardListFilterCharacterID(row.characterID);
        story.setBoardListFilterLocationID(row.locationID);
        EXPECT_EQ(listViewFiltering(story), row.caption);
    }
}

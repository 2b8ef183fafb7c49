#include "ReportFixture.h"
#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneSetupdb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "reports/CardSheetReports.h"
#include "reports/IndexCardReports.h"
#include "reports/ReportText.h"
#include "reports/SceneCardReports.h"
#include "support/FontProbe.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QRawFont>
#include <QRegularExpression>

#include <array>
#include <map>

#include <gtest/gtest.h>

namespace {

class SceneCardReportsPdf : public ReportFixture
{
protected:
    // The words "w0000", "w0001", ... (`digits` digits each), in order.
    static QStringList numberedWords(int count, int digits)
    {
        QStringList words;
        for (int index = 0; index < count; ++index)
            words.append(QStringLiteral("w%1").arg(index, digits, 10, QLatin1Char('0')));
        return words;
    }
};

} // namespace

TEST_F(SceneCardReportsPdf, TheSummaryOfTheListViewStartsWithItsCaption)
{
    SceneCarddb& first = addCard(QStringLiteral("INT. HUT - NIGHT"));
    first.setPageNumber(0);
    SceneCarddb& second = addCard(QStringLiteral("EXT. PASS - DAY"));
    second.setPageNumber(12);
    story().setBoardView(2);
    story().setBoardListSortMethod(1);
    story().listViewCards() = {&second};
    const std::unique_ptr<StoryReport> report = SceneCardReports::summary(story());
    const PdfProbe pdf = print(report);
    const QString text = pdf.pageText(1);
    EXPECT_TRUE(text.contains(QStringLiteral("Sorted: Scene Card Order EXT. PASS - DAY Scene Description")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("HUT")));
    // The page number stands at the right margin, on the heading's line.
    const PdfProbe::Word* page = pdf.find(QStringLiteral("12"));
    ASSERT_NE(page, nullptr);
    EXPECT_NEAR(page->box.right(), 612 - 30, 1);
    EXPECT_NEAR(page->box.top(), pdf.find(QStringLiteral("PASS"))->box.top(), 0.5);

    // With the large scene card open every board card is listed, a page number 0 as "0".
    story().setBigSceneView(1);
    const std::unique_ptr<StoryReport> all = SceneCardReports::summary(story());
    const PdfProbe allPdf = print(all, QStringLiteral("all.pdf"));
    // The page numbers stand apart from the card blocks, at the right margin of their headings.
    QString allText = allPdf.pageText(1);
    allText.remove(QRegularExpression(QStringLiteral(" (0|12)(?= )")));
    EXPECT_TRUE(allText.contains(QStringLiteral("INT. HUT - NIGHT Scene Description +/- Emotional Change >< Conflict "
                                                "EXT. PASS - DAY")))
        << allText.toStdString();
    for (const auto& [number, heading] : {std::pair{"0", "HUT"}, std::pair{"12", "PASS"}}) {
        const PdfProbe::Word* word = allPdf.find(QString::fromLatin1(number));
        ASSERT_NE(word, nullptr) << number;
        EXPECT_NEAR(word->box.right(), 612 - 30, 1);
        EXPECT_NEAR(word->box.top(), allPdf.find(QString::fromLatin1(heading))->box.top(), 0.5);
    }
}

TEST_F(SceneCardReportsPdf, TheLitterBoxGroupsItsCardsByBeatAndKeepsTheUngroupedOnes)
{
    addCard(QStringLiteral("LOST ZERO"), 2, 0);
    addCard(QStringLiteral("EARLY"), 2, 2);
    addCard(QStringLiteral("LOST EIGHT"), 2, 8);
    addCard(QStringLiteral("FINALE"), 2, 20);
    const std::unique_ptr<StoryReport> report = SceneCardReports::litterBox(story());
    const PdfProbe pdf = print(report);
    const QString text = pdf.text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    const BoardSections& board = story().boardSections();
    QStringList expected{board.section1Label(), board.beatLabelForBoardBeat(1), board.beatLabelForBoardBeat(2),
                         QStringLiteral("EARLY"), board.section2Label(), board.section3Label(),
                         board.section4Label(), board.beatLabelForBoardBeat(20), QStringLiteral("FINALE"),
                         QStringLiteral("Cards Outside the Beats"), QStringLiteral("LOST ZERO"),
                         QStringLiteral("LOST EIGHT")};
    qsizetype last = -1;
    for (const QString& item : expected) {
        SCOPED_TRACE(item.toStdString());
        const qsizetype at = text.indexOf(item, last + 1);
        EXPECT_GT(at, last);
        if (at > last)
            last = at;
    }
}

TEST_F(SceneCardReportsPdf, TheScriptSetsEachParagraphAtItsElementsIndent)
{
    SceneCarddb& second = addCard(QStringLiteral("EXT. PASS - DAY"));
    second.setPercentageHorizontal(0.9f);
    SceneCarddb& first = addCard(QString());
    first.setPercentageHorizontal(0.1f);
    addPart(first, "Action", QStringLiteral("Snowfall."));
    addPart(first, "Action", QString());
    addPart(first, "Character", QStringLiteral("MARA"));
    addPart(first, "Dialogue", QStringLiteral("Hold the rope."));
    addPart(first, "Transition", QStringLiteral("CUT TO:"));
    addPart(second, "DDL-Character", QStringLiteral("LEFTY"));
    addPart(second, "DDL-Dialogue", QStringLiteral("Mine."));
    addPart(second, "DDR-Character", QStringLiteral("RIGHTY"));
    addPart(second, "DDR-Dialogue", QStringLiteral("No, mine."));
    const std::unique_ptr<StoryReport> report = SceneCardReports::script(story());
    const PdfProbe pdf = print(report);
    // Board order whatever the story's list order; the story's list is left in board order.
    ASSERT_EQ(story().sceneCards().size(), 2u);
    EXPECT_EQ(story().sceneCards().front().get(), &first);
    EXPECT_EQ(story().sceneCards().back().get(), &second);
    const QString text = pdf.pageText(1);
    EXPECT_LT(text.indexOf(QStringLiteral("SCENE HEADING")), text.indexOf(QStringLiteral("EXT.")));
    EXPECT_EQ(pdf.info(QStringLiteral("Title")), QString());
    struct Row {
        const char* word;
        double left; // inches from the paper's edge
    };
    const Row rows[] = {{"SCENE", 1.5}, {"Snowfall.", 1.5}, {"MARA", 3.5}, {"Hold", 2.5}, {"CUT", 5.5},
                        {"LEFTY", 2.5}, {"Mine.", 1.5},     {"RIGHTY", 5.5}, {"No,", 4.5}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word);
        const PdfProbe::Word* word = pdf.find(QString::fromLatin1(row.word));
        ASSERT_NE(word, nullptr);
        EXPECT_NEAR(word->box.left(), row.left * 72, 0.5);
    }
    // The script face, 12 points: a line of Courier Prime is about 12 to 15 points high.
    const PdfProbe::Word* heading = pdf.find(QStringLiteral("SCENE"));
    EXPECT_GT(heading->box.height(), 10);
    EXPECT_LT(heading->box.height(), 16);
    // An empty paragraph leaves no gap: the character line follows the action after exactly the
    // 12 points an action is followed by.
    const double line = pdf.find(QStringLiteral("MARA"))->box.top() - pdf.find(QStringLiteral("Snowfall."))->box.top();
    const double dialogue = pdf.find(QStringLiteral("Hold"))->box.top() - pdf.find(QStringLiteral("MARA"))->box.top();
    EXPECT_NEAR(line - dialogue, 12, 0.5);
    // The two speeches of dual dialogue follow each other, each paragraph on the next line.
    EXPECT_NEAR(pdf.find(QStringLiteral("Mine."))->box.top() - pdf.find(QStringLiteral("LEFTY"))->box.top(), 12, 0.5);
    EXPECT_NEAR(pdf.find(QStringLiteral("RIGHTY"))->box.top() - pdf.find(QStringLiteral("Mine."))->box.top(), 12, 0.5);
    EXPECT_NEAR(pdf.find(QStringLiteral("No,"))->box.top() - pdf.find(QStringLiteral("RIGHTY"))->box.top(), 12, 0.5);
}

TEST_F(SceneCardReportsPdf, DetailsOfAnEmptyCardPrintEveryLabel)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    card.setSceneLocationID(404);
    auto setup = std::make_unique<SceneSetupdb>();
    setup->setSceneCardID(card.sceneCardID());
    setup->setSceneSetup(QStringLiteral("A loose floorboard"));
    story().sceneSetups().push_back(std::move(setup));
    const std::unique_ptr<StoryReport> report = SceneCardReports::details(story());
    const PdfProbe pdf = print(report);
    const QString text = pdf.text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (const char* label : {"INT. HUT - NIGHT", "Beat:", "Location:", "Start Date/Time:", "End Date/Time:", "+/-",
                              "><", "Notes", "Set-ups", "A loose floorboard NO PAY-OFF", "Pay-offs", "Characters",
                              "Attachments"}) {
        SCOPED_TRACE(label);
        EXPECT_TRUE(text.contains(QString::fromLatin1(label))) << text.toStdString();
    }
    EXPECT_TRUE(text.contains(story().boardSections().beatLabelForBoardBeat(1)));
}

// A picture that shows on many cards is decoded once and the PDF holds it once: a details report
// of many cards sharing one portrait and one attachment grows by their texts, not their pictures.
TEST_F(SceneCardReportsPdf, APictureSharedByManyCardsIsHeldOnceInTheDetailsPdf)
{
    // Noise compresses badly: the picture is far larger than a card's texts.
    QImage noise(300, 300, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate() | 0xff000000u);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "JPG", 95);
    ASSERT_GT(jpeg.size(), 60000);

    auto attachment = std::make_unique<AttachedObjectdb>();
    attachment->setTitle(QStringLiteral("Portrait"));
    attachment->insertIntoDatabase(&story());
    attachment->saveThumbnail(jpeg);
    auto character = std::make_unique<Characterdb>();
    character->setCharacterName(QStringLiteral("MARA"));
    character->insertIntoDatabase(&story());
    auto portrait = std::make_unique<CharacterObjectdb>();
    portrait->setAttachedObjectID(attachment->attachedObjectID());
    portrait->setCharacterID(character->characterID());
    portrait->setPrimaryDisplayFlag(1);
    character->characterObjects().push_back(portrait.get());
    const std::int64_t characterID = character->characterID();
    const std::int64_t attachmentID = attachment->attachedObjectID();
    story().characterObjects().push_back(std::move(portrait));
    story().attachedObjects().push_back(std::move(attachment));
    story().characters().push_back(std::move(character));

    // Each card shows the portrait twice: its character's picture and an attachment.
    const auto addPicturedCard = [&](int index) {
        SceneCarddb& card = addCard(QStringLiteral("INT. HUT %1 - NIGHT").arg(index));
        auto cast = std::make_unique<SceneCardCharacterdb>();
        cast->setSceneCardID(card.sceneCardID());
        cast->setCharacterID(characterID);
        story().sceneCardCharacters().push_back(std::move(cast));
        auto still = std::make_unique<SceneCardObjectdb>();
        still->setSceneCardID(card.sceneCardID());
        still->setAttachedObjectID(attachmentID);
        story().sceneCardObjects().push_back(std::move(still));
    };
    addPicturedCard(0);
    const PdfProbe one = print(SceneCardReports::details(story()), QStringLiteral("one.pdf"));
    ASSERT_TRUE(one.text().contains(QStringLiteral("MARA")));
    for (int index = 1; index < 30; ++index)
        addPicturedCard(index);
    const PdfProbe thirty = print(SceneCardReports::details(story()), QStringLiteral("thirty.pdf"));
    EXPECT_EQ(thirty.text().count(QStringLiteral("MARA")), 30);
    const qint64 oneSize = QFileInfo(folder_.filePath(QStringLiteral("one.pdf"))).size();
    const qint64 thirtySize = QFileInfo(folder_.filePath(QStringLiteral("thirty.pdf"))).size();
    // Fifty-eight more drawings of the picture add less than one copy of it.
    EXPECT_LT(thirtySize - oneSize, jpeg.size()) << oneSize << " " << thirtySize;
}

TEST_F(SceneCardReportsPdf, IndexCardsPrintOneSheetACardWithItsSwatches)
{
    ASSERT_FALSE(story().colorCodes().empty());
    const ColorCodedb& code = *story().colorCodes().front();
    const QColor codeColour(int(code.redValue()), int(code.greenValue()), int(code.blueValue()));
    for (const char* heading : {"INT. HUT - NIGHT", "EXT. PASS - DAY", "INT. CAVE - DAWN"})
        addCard(QString::fromLatin1(heading));
    story().sceneCards()[1]->setColorLegend2ID(code.colorCodeID());
    story().setR3x5IncludeNotes(0);
    story().setR3x5IncludeCharacters(1);
    const PdfProbe cards = print(IndexCardReports::threeByFive(story()), QStringLiteral("cards.pdf"));
    ASSERT_EQ(cards.pageCount(), 3);
    const char* headings[] = {"HUT", "PASS", "CAVE"};
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(cards.pageSizes()[std::size_t(page - 1)], QSizeF(360, 216));
        const QString text = cards.pageText(page);
        EXPECT_TRUE(text.contains(QString::fromLatin1(headings[page - 1])));
        EXPECT_TRUE(text.contains(QStringLiteral("Characters:")));
        EXPECT_FALSE(text.contains(QStringLiteral("Notes:")));
        EXPECT_TRUE(text.contains(QStringLiteral("+/- Emotional Change >< Conflict"))) << text.toStdString();
        // The six swatches, 57 x 8 points, 2 points above the band's foot (216 - 11 - 10).
        const QImage image = cards.render(page, 144);
        const float lefts[] = {8, 64, 120, 176, 232, 288};
        for (int slot = 0; slot < 6; ++slot) {
            SCOPED_TRACE(slot);
            const QColor expected = page == 2 && slot == 1 ? codeColour : QColor(Qt::white);
            EXPECT_EQ(image.pixelColor(int((lefts[slot] + 28) * 2), int((216 - 11 - 10 - 2 + 4) * 2)), expected);
            // The swatch's outline.
            EXPECT_EQ(image.pixelColor(int((lefts[slot] + 28) * 2), int((216 - 11 - 10 - 2 + 0.5) * 2)),
                      QColor(Qt::black));
        }
    }
}

TEST_F(SceneCardReportsPdf, ALongIndexCardRunsOnUnderItsRepeatedHeading)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    card.setPageNumber(42);
    const QStringList words = numberedWords(400, 3);
    card.setDescription(words.join(QLatin1Char(' ')));
    const PdfProbe pdf = print(IndexCardReports::fourBySix(story()));
    ASSERT_GE(pdf.pageCount(), 2);
    for (int page = 1; page <= pdf.pageCount(); ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(pdf.pageSizes()[std::size_t(page - 1)], QSizeF(432, 288));
        const PdfProbe::Word* heading = pdf.find(QStringLiteral("HUT"), page);
        ASSERT_NE(heading, nullptr);
        EXPECT_LT(heading->box.top(), 12);
        EXPECT_NE(pdf.find(QStringLiteral("42"), page), nullptr);
        // No text of the description under the heading's rule or in the band's rows.
        for (const PdfProbe::Word& word : pdf.words()) {
            if (word.page == page && word.text.startsWith(QLatin1Char('w')) && word.text.size() == 4) {
                EXPECT_GT(word.box.top(), heading->box.bottom()) << word.text.toStdString();
                EXPECT_LT(word.box.bottom(), 288 - 11 + 0.5) << word.text.toStdString();
            }
        }
    }
    EXPECT_TRUE(pdf.pageText(pdf.pageCount()).contains(QStringLiteral("+/-")));
}

TEST_F(SceneCardReportsPdf, CardSheetsFillTheirSlotsInOrder)
{
    struct Row {
        const char* name;
        std::unique_ptr<PrintedReport> (*build)(Screenplaydb&);
        int cards;
        int pages;
        QPointF lastSlot; // where the last card's heading starts on the last page
    };
    const Row rows[] = {
        {"Avery 3x5: three to a sheet", &CardSheetReports::avery3x5, 4, 2, QPointF(130, 77)},
        {"business cards: ten to a sheet", &CardSheetReports::businessCards, 11, 2, QPointF(56, 48)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        story().sceneCards().clear();
        for (int index = 0; index < row.cards; ++index)
            addCard(QStringLiteral("CARD%1").arg(index + 1));
        story().setA3x5IncludeNotes(1);
        story().setABCIncludeNotes(1);
        const PdfProbe pdf = print(row.build(story()), QString::fromLatin1(row.name).left(6) + QStringLiteral(".pdf"));
        EXPECT_EQ(pdf.pageCount(), row.pages);
        const PdfProbe::Word* last = pdf.find(QStringLiteral("CARD%1").arg(row.cards), row.pages);
        ASSERT_NE(last, nullptr);
        EXPECT_NEAR(last->box.left(), row.lastSlot.x(), 1);
        EXPECT_NEAR(last->box.top(), row.lastSlot.y(), 2);
        // Every card shows its texts, its notes label and its band.
        EXPECT_EQ(pdf.text().count(QStringLiteral("Notes:")), row.cards);
        EXPECT_EQ(pdf.text().count(QStringLiteral("+/-")), row.cards);
    }
}

TEST_F(SceneCardReportsPdf, TheScriptIsPrintedInTheUprightRegularScreenplayFace)
{
    EXPECT_EQ(FontProbe::screenplayFaceProblem(ReportText::scriptFont(12)), QString());
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    addPart(card, "Action", QStringLiteral("IIIIIIII"));
    const PdfProbe pdf = print(SceneCardReports::script(story()));
    const PdfProbe::Word* word = pdf.find(QStringLiteral("IIIIIIII"));
    ASSERT_NE(word, nullptr);
    // The printed capital I as a reader sees it at 400 dpi: a stem as thick as the regular face's,
    // standing upright (its middle at the same x a quarter and three quarters of the way up).
    constexpr int kDpi = 400;
    const double scale = kDpi / 72.0;
    const QImage page = pdf.render(1, kDpi).convertToFormat(QImage::Format_Grayscale8);
    const QRect cell = QRectF(word->box.left() * scale, word->box.top() * scale, word->box.width() / 8 * scale,
                              word->box.height() * scale)
                           .toAlignedRect();
    const auto inkOfRow = [&](int y) {
        int first = -1;
        int last = -1;
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                first = first < 0 ? x : first;
                last = x;
            }
        return std::pair(first, last);
    };
    int top = -1;
    int bottom = -1;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        if (inkOfRow(y).first >= 0) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    ASSERT_GT(bottom - top, 30) << "a capital I about 7 points high";
    const auto [left, right] = inkOfRow((top + bottom) / 2);
    QFont regular = ReportText::scriptFont(12);
    regular.setPixelSize(100);
    const double expectedStem = FontProbe::stemOfI(QRawFont::fromFont(regular)) / 1000 * 12 * scale;
    EXPECT_NEAR(right - left + 1, expectedStem, 2);
    const auto middle = [&](int y) {
        const auto [from, to] = inkOfRow(y);
        return (from + to) / 2.0;
    };
    EXPECT_NEAR(middle(top + (bottom - top) / 4), middle(bottom - (bottom - top) / 4), 1.5) << "no slant";
}

namespace {

// One stock of label sheets: its slots, in points of its sheet.
struct SheetStock {
    const char* name;
    std::unique_ptr<PrintedReport> (*build)(Screenplaydb&);
    int slotsPerSheet;
    int columns;
    QPointF firstSlot;   // left and top of slot 0
    QSizeF slotStep;     // to the next column and the next row
    double slotHeight;
    double pageNumberRight; // right edge of the page number box in slot 0
    double swatchTop;       // below slot 0's top
    std::array<double, 6> swatchLefts; // from the slot's left
    std::array<double, 6> swatchWidths;
    double swatchHeight;
};

const SheetStock kSheetStocks[] = {
    {"Avery 3x5", &CardSheetReports::avery3x5, 3, 1, QPointF(130, 75), QSizeF(0, 216), 216, 612 - 130, 216 - 12,
     {0, 58, 116, 174, 232, 290}, {59, 59, 59, 59, 59, 57}, 8},
    {"business cards", &CardSheetReports::businessCards, 10, 2, QPointF(56, 46), QSizeF(252, 143.5), 143.5,
     56 + 248, 143.5 - 5, {0, 41, 82, 123, 164, 205}, {42, 42, 42, 42, 42, 41}, 4},
};

// Which slot of its sheet a point of a page lies in (-1 outside every slot).
int slotAt(const SheetStock& stock, const QPointF& point)
{
    for (int slot = 0; slot < stock.slotsPerSheet; ++slot) {
        const QRectF frame(stock.firstSlot.x() + stock.slotStep.width() * (slot % stock.columns),
                           stock.firstSlot.y() + stock.slotStep.height() * (slot / stock.columns),
                           stock.columns == 1 ? 352 : 252, stock.slotHeight);
        if (frame.contains(point))
            return slot;
    }
    return -1;
}

} // namespace

TEST_F(SceneCardReportsPdf, CardSheetSwatchesShowTheCardsSixColourCodesAndWhiteForNone)
{
    ASSERT_GE(story().colorCodes().size(), 3u);
    std::array<std::int64_t, 6> codes{};
    std::array<QColor, 6> expected;
    for (std::size_t index = 0; index < 6; ++index) {
        expected[index] = Qt::white;
        if (index % 2 == 0) {
            const ColorCodedb& code = *story().colorCodes()[index / 2];
            codes[index] = code.colorCodeID();
            expected[index] = QColor(int(code.redValue()), int(code.greenValue()), int(code.blueValue()));
        }
    }
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    for (std::size_t index = 0; index < 6; ++index)
        card.setColorLegendID(std::int64_t(index) + 1, codes[index]);
    for (const SheetStock& stock : kSheetStocks) {
        SCOPED_TRACE(stock.name);
        const PdfProbe pdf = print(stock.build(story()), QString::fromLatin1(stock.name).left(5) + ".pdf");
        ASSERT_EQ(pdf.pageCount(), 1);
        constexpr double kPixels = 4; // a point at 288 dpi
        const QImage page = pdf.render(1, 288);
        const double middle = stock.firstSlot.y() + stock.swatchTop + stock.swatchHeight / 2;
        for (std::size_t index = 0; index < 6; ++index) {
            SCOPED_TRACE(index);
            const double left = stock.firstSlot.x() + stock.swatchLefts[index];
            const double centre = left + stock.swatchWidths[index] / 2;
            EXPECT_EQ(page.pixelColor(int(centre * kPixels), int(middle * kPixels)), expected[index]);
            // The outline's outer half, from half a point to one point inside the frame on either side.
            for (const double edge : {left + 0.75, left + stock.swatchWidths[index] - 0.75})
                EXPECT_EQ(page.pixelColor(int(edge * kPixels), int(middle * kPixels)), QColor(Qt::black)) << edge;
        }
        // Nothing of the row beyond its last swatch.
        const double end = stock.firstSlot.x() + stock.swatchLefts[5] + stock.swatchWidths[5];
        EXPECT_EQ(page.pixelColor(int((end + 0.5) * kPixels), int(middle * kPixels)), QColor(Qt::white));
    }
}

TEST_F(SceneCardReportsPdf, CardSheetTextRunsOnIntoTheNextSlotsUnderTheRepeatedHeadingAndPageNumber)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    card.setPageNumber(42);
    const QStringList words = numberedWords(1200, 4);
    card.setDescription(words.join(QLatin1Char(' ')));
    card.setEmotionalChange(QStringLiteral("Hope"));
    for (const SheetStock& stock : kSheetStocks) {
        SCOPED_TRACE(stock.name);
        const PdfProbe pdf = print(stock.build(story()), QString::fromLatin1(stock.name).left(5) + ".pdf");
        // The words in the order of the slots they stand in, and what heads each slot.
        struct Slot {
            const PdfProbe::Word* heading = nullptr;
            const PdfProbe::Word* pageNumber = nullptr;
            const PdfProbe::Word* band = nullptr;
            std::vector<const PdfProbe::Word*> text;
        };
        std::map<std::pair<int, int>, Slot> bySlot;
        for (const PdfProbe::Word& word : pdf.words()) {
            const int slot = slotAt(stock, word.box.center());
            ASSERT_GE(slot, 0) << word.text.toStdString() << " outside every slot";
            Slot& holder = bySlot[{word.page, slot}];
            if (word.text == "HUT")
                holder.heading = &word;
            else if (word.text == "42")
                holder.pageNumber = &word;
            else if (word.text == "Hope")
                holder.band = &word;
            else if (word.text.startsWith(QLatin1Char('w')))
                holder.text.push_back(&word);
        }
        ASSERT_GE(bySlot.size(), std::size_t(stock.slotsPerSheet) + 1) << "the text runs onto a second sheet";
        QStringList printed;
        int used = 0;
        for (const auto& [where, slot] : bySlot) {
            const auto& [pageNumber, index] = where;
            SCOPED_TRACE(QStringLiteral("page %1 slot %2").arg(pageNumber).arg(index).toStdString());
            EXPECT_EQ((pageNumber - 1) * stock.slotsPerSheet + index, used++) << "no slot skipped";
            const double slotTop = stock.firstSlot.y() + stock.slotStep.height() * (index / stock.columns);
            const double slotLeft = stock.firstSlot.x() + stock.slotStep.width() * (index % stock.columns);
            ASSERT_NE(slot.heading, nullptr);
            EXPECT_NEAR(slot.heading->box.top(), slotTop + 2, 2);
            ASSERT_NE(slot.pageNumber, nullptr);
            EXPECT_NEAR(slot.pageNumber->box.top(), slot.heading->box.top(), 2);
            EXPECT_NEAR(slot.pageNumber->box.right(),
                        stock.pageNumberRight + stock.slotStep.width() * (index % stock.columns), 3);
            for (const PdfProbe::Word* word : slot.text) {
                EXPECT_GT(word->box.top(), slot.heading->box.bottom()) << word->text.toStdString();
                EXPECT_LE(word->box.bottom(), slotTop + stock.slotHeight - 2 + 0.5) << word->text.toStdString();
                EXPECT_GE(word->box.left(), slotLeft - 0.5);
                printed.append(word->text);
            }
            // The band only at the foot of the card's last slot.
            EXPECT_EQ(slot.band != nullptr, &slot == &bySlot.rbegin()->second);
        }
        EXPECT_EQ(printed, words) << "every word once, in order";
    }
}

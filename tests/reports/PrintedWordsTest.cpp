#include "ReportFixture.h"
#include "model/AttachedObjectdb.h"
#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/Loglinedb.h"
#include "model/SceneLocationdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/StickyNotedb.h"
#include "reports/BlockOfTextView.h"
#include "reports/CardSheetReports.h"
#include "reports/IndexCardReports.h"
#include "reports/ReportText.h"
#include "reports/SceneCardReports.h"
#include "reports/StoryReports.h"

#include <QRegularExpression>

#include <array>
#include <functional>
#include <tuple>

#include <gtest/gtest.h>

namespace {

// The four card stocks, each with the width its heading wraps in, the heading's face and the
// story flags that choose its notes and characters.
struct CardStock {
    const char* name;
    std::unique_ptr<PrintedReport> (*build)(Screenplaydb&);
    float headingWidth;
    QFont headingFont;
    void (Screenplaydb::*setNotes)(const std::int64_t&);
    void (Screenplaydb::*setCharacters)(const std::int64_t&);
};

std::vector<CardStock> cardStocks()
{
    return {
        {"3x5 index cards", &IndexCardReports::threeByFive, 360 - 8 - 15 - 44, ReportText::boldSystemFont(10),
         &Screenplaydb::setR3x5IncludeNotes, &Screenplaydb::setR3x5IncludeCharacters},
        {"4x6 index cards", &IndexCardReports::fourBySix, 432 - 8 - 20 - 44, ReportText::boldSystemFont(12),
         &Screenplaydb::setR4x6IncludeNotes, &Screenplaydb::setR4x6IncludeCharacters},
        {"Avery 3x5 cards", &CardSheetReports::avery3x5, 612 - 130 - 130 - 44, ReportText::boldSystemFont(10),
         &Screenplaydb::setA3x5IncludeNotes, &Screenplaydb::setA3x5IncludeCharacters},
        {"business cards", &CardSheetReports::businessCards, 218, ReportText::boldSystemFont(8),
         &Screenplaydb::setABCIncludeNotes, &Screenplaydb::setABCIncludeCharacters},
    };
}

// A scene heading that needs four lines or more on every stock; its words are its own.
const QString kLongHeading = QStringLiteral(
    "INT. ABANDONED HARBOUR MASTERS OFFICE AND THE NARROW CORRIDOR BEHIND THE ROPE LOCKER WHERE THE SMUGGLERS "
    "STACKED THEIR CRATES OF STOLEN BRASS CLOCKWORK BESIDE THE FLOODED CELLAR STAIRS - LATER THAT NIGHT");

class PrintedWords : public ReportFixture
{
};

} // namespace

TEST_F(PrintedWords, EveryCardStockPrintsEveryWordOfALongHeading)
{
    SceneCarddb& card = addCard(kLongHeading);
    card.setPageNumber(17);
    card.setDescription(QStringLiteral("Tide water seeps under the door."));
    SceneCarddb& next = addCard(QStringLiteral("EXT. QUAY - DAWN"));
    next.setDescription(QStringLiteral("Gulls."));
    for (const CardStock& stock : cardStocks()) {
        SCOPED_TRACE(stock.name);
        const float lines = ReportText::measure(kLongHeading, stock.headingWidth, stock.headingFont,
                                                ReportText::LineBreak::Wrap)
            / ReportText::singleLineHeight(stock.headingWidth, stock.headingFont);
        ASSERT_GE(lines, 3.9f) << "the heading needs four lines on this stock";
        const PdfProbe pdf = print(stock.build(story()), QString::fromLatin1(stock.name) + QStringLiteral(".pdf"));
        const QString text = pdf.text();
        EXPECT_FALSE(text.contains(QChar(0x2026))) << "nothing is cut short";
        // Every word of the heading on the card's first face, above its description.
        const PdfProbe::Word* description = pdf.find(QStringLiteral("Tide"));
        ASSERT_NE(description, nullptr);
        for (const QString& word : kLongHeading.split(QLatin1Char(' '))) {
            SCOPED_TRACE(word.toStdString());
            const PdfProbe::Word* found = pdf.find(word, description->page);
            ASSERT_NE(found, nullptr) << text.toStdString();
            EXPECT_LT(found->box.bottom(), description->box.top());
        }
        // The page number beside the heading's first line, the next card on a face of its own.
        const PdfProbe::Word* number = pdf.find(QStringLiteral("17"), description->page);
        ASSERT_NE(number, nullptr);
        EXPECT_NEAR(number->box.top(), pdf.find(QStringLiteral("ABANDONED"), description->page)->box.top(), 3);
        EXPECT_GT(number->box.left(), pdf.find(QStringLiteral("ABANDONED"), description->page)->box.right());
        EXPECT_NE(pdf.find(QStringLiteral("QUAY")), nullptr);
        // The heading's words never overlap its page number or one another.
        for (const PdfProbe::Word& word : pdf.words()) {
            if (&word != number && word.page == number->page) {
                EXPECT_LT(word.box.intersected(number->box).width(), 0.01) << word.text.toStdString();
            }
        }
    }
}

namespace {

// The words "<tag>000", "<tag>001", ... in order.
QStringList numberedWords(QChar tag, int count)
{
    QStringList words;
    for (int index = 0; index < count; ++index)
        words.append(QStringLiteral("%1%2").arg(tag).arg(index, 3, 10, QLatin1Char('0')));
    return words;
}

// The words of the report's texts in the order the layout placed them.
void placedWords(const ReportElement& element, QStringList& words)
{
    for (const auto& child : element.children()) {
        if (const auto* block = dynamic_cast<const BlockOfTextView*>(child.get()))
            words.append(block->firstPartOfText().split(QRegularExpression(QStringLiteral("\\s+"))));
        else if (const auto* cell = dynamic_cast<const SubBlockOfTextView*>(child.get()))
            words.append(cell->text().split(QRegularExpression(QStringLiteral("\\s+"))));
        placedWords(*child, words);
    }
}

// The frames of the report's cells whose text starts with a word `tagged` matches, in the order
// the layout placed them.
void taggedCells(const ReportElement& element, const QRegularExpression& tagged, std::vector<QRectF>& frames)
{
    for (const auto& child : element.children()) {
        if (const auto* cell = dynamic_cast<const SubBlockOfTextView*>(child.get());
            cell && tagged.match(cell->text().section(QLatin1Char(' '), 0, 0)).hasMatch())
            frames.push_back(cell->frame());
        taggedCells(*child, tagged, frames);
    }
}

} // namespace

// A card whose texts need more than a face of every stock. A heading longer than a face can spare
// for it keeps its first lines in the heading's box on every face and goes on below it on the
// first; the emotional change and conflict band continues from face to face. A band that a fresh
// face holds, below texts that leave it less room than that, moves to the next face whole. Every
// word is printed, the band's once and in order, on its page, none over another; the cards around
// it too.
TEST_F(PrintedWords, EveryCardStockPrintsEveryWordOfATextLongerThanAFace)
{
    struct Row {
        const char* name;
        QStringList heading;
        QStringList emotionalChange;
        QStringList conflict;
        int descriptionLines;
        bool bandWhole;
    };
    const QStringList shortHeading{QStringLiteral("INT."), QStringLiteral("HUT")};
    // A band of 88 to 108 points, which every fresh face holds; eight lines of description leave
    // it 25 to 87 points, less than it needs on every stock.
    const Row rows[] = {
        {"a heading longer than a face", numberedWords(QLatin1Char('h'), 300), {}, {}, 1, false},
        {"a band taller than a face", shortHeading, numberedWords(QLatin1Char('e'), 700),
         numberedWords(QLatin1Char('c'), 700), 1, false},
        {"a band a fresh face holds but not the rest of this one", shortHeading, numberedWords(QLatin1Char('e'), 44),
         numberedWords(QLatin1Char('c'), 44), 8, true},
    };
    const QRegularExpression tagged(QStringLiteral("^[hec]\\d{3}$"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        story().sceneCards().clear();
        addCard(QStringLiteral("EXT. QUAY - DAWN"));
        SceneCarddb& card = addCard(row.heading.join(QLatin1Char(' ')));
        card.setDescription(QStringLiteral("Tide water seeps under the door.")
                            + QStringLiteral("\nDrip.").repeated(row.descriptionLines - 1));
        card.setEmotionalChange(row.emotionalChange.join(QLatin1Char(' ')));
        card.setConflict(row.conflict.join(QLatin1Char(' ')));
        addCard(QStringLiteral("INT. LOFT - NIGHT"));
        for (const CardStock& stock : cardStocks()) {
            SCOPED_TRACE(stock.name);
            const std::unique_ptr<PrintedReport> report = stock.build(story());
            const PdfProbe pdf = print(*report, QString::fromLatin1(stock.name) + QStringLiteral(".pdf"));
            QStringList printed;
            for (const PdfProbe::Word& word : pdf.words())
                if (tagged.match(word.text).hasMatch())
                    printed.append(word.text);
            QStringList placed;
            placedWords(report->pages(), placed);
            placed = placed.filter(tagged);
            // The heading's first lines stand on every face of the card; pdftotext reads two
            // columns in an order of its own.
            QStringList headingPrinted = printed.filter(QRegularExpression(QStringLiteral("^h")));
            headingPrinted.removeDuplicates();
            headingPrinted.sort();
            EXPECT_EQ(headingPrinted, row.heading.filter(tagged)) << "every word of the heading";
            const QStringList band = row.emotionalChange + row.conflict;
            EXPECT_EQ(placed.filter(QRegularExpression(QStringLiteral("^[ec]"))), band) << "the band once, in order";
            QStringList bandPrinted = printed.filter(QRegularExpression(QStringLiteral("^[ec]")));
            bandPrinted.sort();
            QStringList bandSorted = band;
            bandSorted.sort();
            EXPECT_EQ(bandPrinted, bandSorted) << "every word of the band printed once";
            if (row.bandWhole) {
                // Its two rows, one right under the other.
                std::vector<QRectF> rowsOfBand;
                taggedCells(report->pages(), QRegularExpression(QStringLiteral("^[ec]\\d{3}$")), rowsOfBand);
                EXPECT_EQ(rowsOfBand.size(), 2u) << "the band in one piece a row";
                if (rowsOfBand.size() == 2) {
                    EXPECT_NEAR(rowsOfBand[1].top(), rowsOfBand[0].bottom(), 0.01);
                }
            }
            for (const char* other : {"QUAY", "Tide", "LOFT"})
                EXPECT_NE(pdf.find(QString::fromLatin1(other)), nullptr) << other;
            for (std::size_t a = 0; a < pdf.words().size(); ++a) {
                const PdfProbe::Word& one = pdf.words()[a];
                const QRectF page(QPointF(0, 0), pdf.pageSizes()[std::size_t(one.page - 1)]);
                EXPECT_TRUE(page.contains(one.box)) << one.text.toStdString() << " off its page";
                for (std::size_t b = a + 1; b < pdf.words().size(); ++b) {
                    const PdfProbe::Word& two = pdf.words()[b];
                    const QRectF overlap = one.box.intersected(two.box);
                    EXPECT_TRUE(one.page != two.page || overlap.width() < 0.01 || overlap.height() < 0.01)
                        << one.text.toStdString() << " / " << two.text.toStdString();
                }
            }
        }
    }
}

TEST_F(PrintedWords, EachCardStockReadsItsOwnIncludeFlags)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    card.setNotes(QStringLiteral("Bring rope."));
    const std::vector<CardStock> stocks = cardStocks();
    // Four settings of (notes, characters); every stock meets each while the others hold the rest.
    const std::array<std::pair<int, int>, 4> settings{{{1, 0}, {0, 1}, {1, 1}, {0, 0}}};
    for (std::size_t turn = 0; turn < settings.size(); ++turn) {
        for (std::size_t index = 0; index < stocks.size(); ++index) {
            const auto [notes, characters] = settings[(index + turn) % settings.size()];
            (story().*stocks[index].setNotes)(notes);
            (story().*stocks[index].setCharacters)(characters);
        }
        for (std::size_t index = 0; index < stocks.size(); ++index) {
            const auto [notes, characters] = settings[(index + turn) % settings.size()];
            SCOPED_TRACE(QStringLiteral("%1, notes %2, characters %3")
                             .arg(QString::fromLatin1(stocks[index].name))
                             .arg(notes)
                             .arg(characters)
                             .toStdString());
            const PdfProbe pdf = print(stocks[index].build(story()), QStringLiteral("flags%1.pdf").arg(index));
            EXPECT_EQ(pdf.find(QStringLiteral("Notes:")) != nullptr, notes == 1);
            EXPECT_EQ(pdf.find(QStringLiteral("rope.")) != nullptr, notes == 1);
            EXPECT_EQ(pdf.find(QStringLiteral("Characters:")) != nullptr, characters == 1);
        }
    }
}

// "ff", "fi" and "fl" are printed as their letters, so that a search of the PDF finds the word.
TEST_F(PrintedWords, TheSansSerifReportsSpellOutWordsWithFfFiAndFl)
{
    const QString words = QStringLiteral("coffee office fifty flight waffle");
    story().currentLogline()->setLogline(QStringLiteral("The coffee office is fifty flights up."));
    story().beats().front()->setDescription(words);
    auto character = std::make_unique<Characterdb>();
    character->setCharacterName(QStringLiteral("Duffy"));
    character->setDescription(words);
    story().characters().push_back(std::move(character));
    SceneCarddb& card = addCard(QStringLiteral("INT. COFFEE OFFICE - DAY"));
    card.setDescription(words);
    card.setConflict(words);
    using Build = std::function<std::unique_ptr<PrintedReport>()>;
    const std::pair<const char*, Build> reports[] = {
        {"loglines", [&] { return StoryReports::loglines(story()); }},
        {"beat sheet", [&] { return StoryReports::beatSheet(story()); }},
        {"characters", [&] { return StoryReports::charactersList(story()); }},
        {"summary", [&] { return SceneCardReports::summary(story()); }},
        {"details", [&] { return SceneCardReports::details(story()); }},
        {"3x5 index cards", [&] { return IndexCardReports::threeByFive(story()); }},
        {"business cards", [&] { return CardSheetReports::businessCards(story()); }},
    };
    for (const auto& [name, build] : reports) {
        SCOPED_TRACE(name);
        const PdfProbe pdf = print(*build(), QString::fromLatin1(name) + QStringLiteral(".pdf"));
        const QString text = pdf.text();
        for (const QChar ligature : {QChar(0xFB00), QChar(0xFB01), QChar(0xFB02), QChar(0xFB03), QChar(0xFB04)})
            EXPECT_FALSE(text.contains(ligature)) << text.toStdString();
        for (const char* word : {"coffee", "office", "fifty"})
            EXPECT_NE(pdf.find(QString::fromLatin1(word)), nullptr) << word << ": " << text.toStdString();
        EXPECT_TRUE(pdf.find(QStringLiteral("flight")) || pdf.find(QStringLiteral("flights")))
            << text.toStdString();
    }
}

TEST_F(PrintedWords, TheDetailsShowTheStartAndEndDatesEachAfterItsLabel)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    card.setStartDateTime(QStringLiteral("02/14/2026 09:30"));
    card.setEndDateTime(QStringLiteral("03/15/2027 18:45"));
    const PdfProbe pdf = print(SceneCardReports::details(story()));
    const struct {
        const char* label; // its last word
        const char* date;
        const char* time;
    } rows[] = {{"Date/Time:", "02/14/2026", "09:30"}, {"Date/Time:", "03/15/2027", "18:45"}};
    const PdfProbe::Word* start = pdf.find(QStringLiteral("Start"));
    const PdfProbe::Word* end = pdf.find(QStringLiteral("End"));
    ASSERT_NE(start, nullptr);
    ASSERT_NE(end, nullptr);
    for (std::size_t index = 0; index < 2; ++index) {
        SCOPED_TRACE(rows[index].date);
        const PdfProbe::Word* label = index == 0 ? start : end;
        const PdfProbe::Word* date = pdf.find(QString::fromLatin1(rows[index].date));
        const PdfProbe::Word* time = pdf.find(QString::fromLatin1(rows[index].time));
        ASSERT_NE(date, nullptr) << pdf.text().toStdString();
        ASSERT_NE(time, nullptr);
        // On the label's line, after the label and before the next label.
        EXPECT_NEAR(date->box.bottom(), label->box.bottom(), 1);
        EXPECT_GT(date->box.left(), label->box.right());
        EXPECT_GT(time->box.left(), date->box.right());
        if (index == 0) {
            EXPECT_LT(time->box.right(), end->box.left());
        }
    }
}

TEST_F(PrintedWords, ThePayOffsOfTheDetailsNameTheirSetUpOrSayThereIsNone)
{
    SceneCarddb& planted = addCard(QStringLiteral("INT. HUT - NIGHT"));
    planted.setPageNumber(5);
    SceneCarddb& paid = addCard(QStringLiteral("EXT. PASS - DAY"));
    const auto payoff = [&](const QString& text) {
        auto record = std::make_unique<ScenePayoffdb>();
        record->setSceneCardID(paid.sceneCardID());
        record->setScenePayoff(text);
        record->insertIntoDatabase(&story());
        story().scenePayoffs().push_back(std::move(record));
        return story().scenePayoffs().back()->scenePayoffID();
    };
    const std::int64_t linked = payoff(QStringLiteral("The rope holds."));
    payoff(QStringLiteral("The dog comes home."));
    auto setup = std::make_unique<SceneSetupdb>();
    setup->setSceneCardID(planted.sceneCardID());
    setup->setSceneSetup(QStringLiteral("A frayed rope."));
    setup->setScenePayoffID(linked);
    story().sceneSetups().push_back(std::move(setup));

    const PdfProbe pdf = print(SceneCardReports::details(story()));
    const QString text = pdf.text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    EXPECT_EQ(text.count(QStringLiteral("NO SET-UP")), 1) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("The dog comes home. NO SET-UP"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("The rope holds. INT. HUT - NIGHT (p. 5) A frayed rope.")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("NO PAY-OFF"))) << text.toStdString();
}

// A character of the details takes at least its picture's 36 points from its name's top to the
// next name's, and more when its description needs more.
TEST_F(PrintedWords, ACharacterOfTheDetailsTakesAtLeastItsPicturesHeight)
{
    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    const QString long4 = QStringLiteral("She counts the crates twice, then a third time, because the numbers never "
                                         "agree with the ledger she stole, and the ledger is all she has left of the "
                                         "harbour, the boat and the brother who kept it, and the night is long. At dawn she will burn it, "
                                         "or sell it to the man at the quay, whichever comes first.");
    const std::array<std::pair<const char*, QString>, 3> cast{
        {{"ALMA", QStringLiteral("Short.")}, {"BRUNO", long4}, {"CLEO", QStringLiteral("Short too.")}}};
    for (const auto& [name, description] : cast) {
        auto character = std::make_unique<Characterdb>();
        character->setCharacterName(QString::fromLatin1(name));
        character->setDescription(description);
        character->insertIntoDatabase(&story());
        auto link = std::make_unique<SceneCardCharacterdb>();
        link->setSceneCardID(card.sceneCardID());
        link->setCharacterID(character->characterID());
        story().sceneCardCharacters().push_back(std::move(link));
        story().characters().push_back(std::move(character));
    }
    const PdfProbe pdf = print(SceneCardReports::details(story()));
    const PdfProbe::Word* alma = pdf.find(QStringLiteral("ALMA"));
    const PdfProbe::Word* bruno = pdf.find(QStringLiteral("BRUNO"));
    const PdfProbe::Word* cleo = pdf.find(QStringLiteral("CLEO"));
    ASSERT_TRUE(alma && bruno && cleo) << pdf.text().toStdString();
    // A name and a one-line description are shorter than the picture: the picture's height.
    EXPECT_NEAR(bruno->box.top() - alma->box.top(), 36, 0.5);
    // Several lines of description reach further than the picture: their own height.
    const float described = ReportText::measure(long4, 612 - 30 - 30 - 55, ReportText::systemFont(10),
                                                ReportText::LineBreak::Wrap);
    ASSERT_GT(described, 36);
    EXPECT_NEAR(cleo->box.top() - bruno->box.top(), ReportText::singleLineHeight(552, ReportText::boldSystemFont(10))
                                                         + described,
                0.5);
}

// An attachment takes at least 41 points from its title's top to the next item's title, more
// when its text reaches further; a sticky note takes its title and text. Each box ends 2 points
// under its text's last line, a point above the next box, which starts 3 points above its title.
TEST_F(PrintedWords, GeneralNotesSpaceAttachmentsByAtLeast41PointsAndNotesByTheirText)
{
    const QString threeLines = QStringLiteral("one\ntwo\njumpy gypsy");
    const std::tuple<const char*, QString, bool> items[] = {
        {"Aardvark", QString(), true}, {"Badger", threeLines, true}, {"Cheetah", QString(), true},
        {"Dingo", QString(), false},   {"Eland", threeLines, false}, {"Ferret", QString(), false},
    };
    for (const auto& [title, text, attachment] : items) {
        if (attachment) {
            auto item = std::make_unique<AttachedObjectdb>();
            item->setTitle(QString::fromLatin1(title));
            item->setTextDescription(text);
            item->setColor(2);
            item->insertIntoDatabase(&story());
            story().attachedObjects().push_back(std::move(item));
        } else {
            auto item = std::make_unique<StickyNotedb>();
            item->setTitle(QString::fromLatin1(title));
            item->setTextNote(text);
            item->setColor(2);
            story().stickyNotes().push_back(std::move(item));
        }
    }
    const PdfProbe pdf =
        print(StoryReports::generalNotes(story(), 0, [](std::int64_t) { return QColor(255, 240, 160); }));
    const float line = ReportText::singleLineHeight(612 - 60 - 70, ReportText::systemFont(10));
    const float lines = ReportText::measure(threeLines, 612 - 60 - 70, ReportText::systemFont(10),
                                            ReportText::LineBreak::Wrap);
    const float belowText = 2 + 1 + 3;
    ASSERT_LT(2 * line + belowText, 41);
    ASSERT_GT(line + lines + belowText, 41);
    const struct {
        const char* from;
        const char* to;
        float step;
    } steps[] = {
        {"Aardvark", "Badger", 41},                      // a title and an empty text: the least step
        {"Badger", "Cheetah", line + lines + belowText}, // three lines of text reach past it
        {"Cheetah", "Dingo", 41},
        {"Dingo", "Eland", 2 * line + belowText},        // a note: its title and its empty text's line
        {"Eland", "Ferret", line + lines + belowText},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.from);
        const PdfProbe::Word* from = pdf.find(QString::fromLatin1(step.from));
        const PdfProbe::Word* to = pdf.find(QString::fromLatin1(step.to));
        ASSERT_TRUE(from && to) << pdf.text().toStdString();
        EXPECT_NEAR(to->box.top() - from->box.top(), step.step, 0.5);
    }
    // The lower edge of a box (its first dark row inside its left border, below the last line's
    // top) runs under the letters' descenders, not through them.
    const QImage page = pdf.render(1, 144);
    int lastLines = 0;
    for (const PdfProbe::Word& word : pdf.words()) {
        if (word.text != QStringLiteral("gypsy"))
            continue;
        ++lastLines;
        int y = int(word.box.top() * 2);
        while (y < page.height() && page.pixelColor(36 * 2, y).lightness() > 128)
            ++y;
        EXPECT_GT(y / 2.0, word.box.bottom()) << word.box.bottom();
    }
    EXPECT_EQ(lastLines, 2);
}

// The scene card reports take the board's cards on the corkboard and while the large scene card
// is open, and none for a board view that is neither the corkboard nor the list.
TEST_F(PrintedWords, TheCardSetFollowsTheBoardView)
{
    addCard(QStringLiteral("INT. HUT - NIGHT"));
    addCard(QStringLiteral("EXT. PASS - DAY"));
    const struct {
        std::int64_t boardView;
        std::int64_t bigSceneView;
        std::size_t cards;
    } rows[] = {{1, 0, 2}, {0, 0, 0}, {3, 0, 0}, {0, 1, 2}, {3, 1, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(QStringLiteral("board view %1, large card %2").arg(row.boardView).arg(row.bigSceneView)
                         .toStdString());
        story().setBoardView(row.boardView);
        story().setBigSceneView(row.bigSceneView);
        EXPECT_EQ(SceneCardReports::cardSet(story()).size(), row.cards);
        const PdfProbe pdf = print(SceneCardReports::summary(story()));
        EXPECT_EQ(pdf.find(QStringLiteral("HUT")) != nullptr, row.cards > 0);
        EXPECT_EQ(pdf.find(QStringLiteral("PASS")) != nullptr, row.cards > 0);
    }
}

// A card of the summary closes with a rule right under its conflict's last line, and the next
// card's heading follows at once.
TEST_F(PrintedWords, ASummaryCardEndsRightUnderItsConflict)
{
    SceneCarddb& first = addCard(QStringLiteral("INT. HUT - NIGHT"));
    first.setConflict(QStringLiteral("Wolves"));
    addCard(QStringLiteral("EXT. PASS - DAY"));
    const PdfProbe pdf = print(SceneCardReports::summary(story()));
    const PdfProbe::Word* conflict = pdf.find(QStringLiteral("Wolves"));
    const PdfProbe::Word* next = pdf.find(QStringLiteral("PASS"));
    ASSERT_TRUE(conflict && next) << pdf.text().toStdString();
    EXPECT_GE(next->box.top(), conflict->box.bottom() - 0.5);
    EXPECT_LT(next->box.top(), conflict->box.bottom() + 3);
    // The rule lies between them, across the text column.
    const QImage page = pdf.render(1, 144);
    const int x = int(300 * 2);
    bool ruled = false;
    for (int y = int(conflict->box.bottom() * 2) - 4; y <= int(next->box.top() * 2) + 4; ++y)
        ruled = ruled || page.pixelColor(x, y).lightness() < 128;
    EXPECT_TRUE(ruled);
}

// An entry of the characters and locations lists takes at least its 36-point picture from its
// name's top, and its rule after that; a longer description takes its own height.
TEST_F(PrintedWords, AListEntryTakesAtLeastItsPicturesHeight)
{
    const QString several = QStringLiteral("Counts the crates twice.\nThen a third time.\nThe ledger never agrees.\n"
                                           "Burns it at dawn.\nSells the ashes.");
    const std::array<std::pair<const char*, QString>, 3> entries{
        {{"Alma", QStringLiteral("Short.")}, {"Bruno", several}, {"Cleo", QStringLiteral("Short too.")}}};
    for (const auto& [name, description] : entries) {
        auto character = std::make_unique<Characterdb>();
        character->setCharacterName(QString::fromLatin1(name));
        character->setDescription(description);
        story().characters().push_back(std::move(character));
        auto location = std::make_unique<SceneLocationdb>();
        location->setLocation(QString::fromLatin1(name));
        location->setDescription(description);
        story().sceneLocations().push_back(std::move(location));
    }
    const float width = 612 - 30 - 30 - 55;
    const float line = ReportText::singleLineHeight(width, ReportText::systemFont(10));
    const float name = ReportText::singleLineHeight(width, ReportText::boldSystemFont(10));
    const float described = ReportText::measure(several, width, ReportText::systemFont(10), ReportText::LineBreak::Wrap);
    ASSERT_LT(name + line, 36);
    ASSERT_GT(name + described, 36);
    // The rule after an entry is an empty line and 5 points.
    const float rule = line + 5;
    using Build = std::function<std::unique_ptr<StoryReport>()>;
    const std::pair<const char*, Build> lists[] = {
        {"characters", [&] { return StoryReports::charactersList(story()); }},
        {"locations", [&] { return StoryReports::locationsList(story()); }},
    };
    for (const auto& [list, build] : lists) {
        SCOPED_TRACE(list);
        const PdfProbe pdf = print(*build(), QString::fromLatin1(list) + QStringLiteral(".pdf"));
        const PdfProbe::Word* alma = pdf.find(QStringLiteral("Alma"));
        const PdfProbe::Word* bruno = pdf.find(QStringLiteral("Bruno"));
        const PdfProbe::Word* cleo = pdf.find(QStringLiteral("Cleo"));
        ASSERT_TRUE(alma && bruno && cleo) << pdf.text().toStdString();
        EXPECT_NEAR(bruno->box.top() - alma->box.top(), 36 + rule, 0.5);
        EXPECT_NEAR(cleo->box.top() - bruno->box.top(), name + described + rule, 0.5);
    }
}

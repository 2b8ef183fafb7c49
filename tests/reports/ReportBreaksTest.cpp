#include "ReportFixture.h"
#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"
#include "reports/CardSheetReports.h"
#include "reports/IndexCardReports.h"
#include "reports/SceneCardReports.h"
#include "reports/StoryReports.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include <gtest/gtest.h>

namespace {

// Every report on a story whose texts break across pages in the hardest ways.
class ReportBreaks : public ReportFixture
{
protected:
    // How many letters `letter` the PDF holds in words made of that letter alone.
    static qsizetype lettersInRuns(const PdfProbe& pdf, QChar letter)
    {
        const QRegularExpression run(QStringLiteral("^%1+$").arg(letter));
        qsizetype count = 0;
        for (const PdfProbe::Word& word : pdf.words())
            if (run.match(word.text).hasMatch())
                count += word.text.size();
        return count;
    }
};

} // namespace

TEST_F(ReportBreaks, UnbrokenTextAfterALineFeedRunsOnOverPagesAndLosesNoLetter)
{
    // A line feed, then more letters than a page holds with nowhere to break.
    const QString unbroken = QLatin1Char('\n') + QString(6000, QLatin1Char('q'));

    auto logline = std::make_unique<Loglinedb>();
    logline->setLogline(unbroken);
    story().logLines().push_back(std::move(logline));
    ASSERT_FALSE(story().beats().empty());
    story().beats().front()->setDescription(unbroken);
    auto character = std::make_unique<Characterdb>();
    character->setCharacterName(QStringLiteral("Ada"));
    character->setDescription(unbroken);
    character->setNotes(unbroken);
    story().characters().push_back(std::move(character));
    auto location = std::make_unique<SceneLocationdb>();
    location->setLocation(QStringLiteral("The Hut"));
    location->setDescription(unbroken);
    location->setNotes(unbroken);
    story().sceneLocations().push_back(std::move(location));
    auto note = std::make_unique<StickyNotedb>();
    note->setTitle(QStringLiteral("Weather"));
    note->setTextNote(unbroken);
    story().stickyNotes().push_back(std::move(note));

    SceneCarddb& card = addCard(QStringLiteral("INT. HUT - NIGHT"));
    card.setDescription(unbroken);
    card.setNotes(unbroken);
    auto setup = std::make_unique<SceneSetupdb>();
    setup->setSceneCardID(card.sceneCardID());
    setup->setSceneSetup(unbroken);
    story().sceneSetups().push_back(std::move(setup));
    addPart(card, "Action", unbroken);
    addPart(card, "Character", QStringLiteral("ADA"));
    addPart(card, "Dialogue", unbroken);
    SceneCarddb& litter = addCard(QStringLiteral("EXT. PASS - DAY"), 2);
    litter.setDescription(unbroken);
    story().setR3x5IncludeNotes(0);
    story().setR4x6IncludeNotes(0);
    story().setR3x5IncludeCharacters(0);
    story().setR4x6IncludeCharacters(0);
    story().setA3x5IncludeNotes(0);
    story().setABCIncludeNotes(0);

    using Build = std::function<std::unique_ptr<PrintedReport>()>;
    struct Row {
        const char* name;
        Build build;
        int copies; // how many of the fields with the unbroken text the report prints
    };
    Screenplaydb& s = story();
    const auto palette = [](std::int64_t) { return QColor(Qt::yellow); };
    const Row rows[] = {
        {"loglines", [&] { return StoryReports::loglines(s); }, 1},
        {"beat sheet", [&] { return StoryReports::beatSheet(s); }, 1},
        {"characters", [&] { return StoryReports::charactersList(s); }, 1},
        {"biographies", [&] { return StoryReports::charactersBiography(s); }, 2},
        {"locations", [&] { return StoryReports::locationsList(s); }, 1},
        {"location details", [&] { return StoryReports::locationsDetails(s); }, 2},
        {"set-ups", [&] { return StoryReports::setups(s); }, 1},
        {"general notes", [&] { return StoryReports::generalNotes(s, 0, palette); }, 1},
        {"summary", [&] { return SceneCardReports::summary(s); }, 1},
        {"litter box", [&] { return SceneCardReports::litterBox(s); }, 1},
        {"details", [&] { return SceneCardReports::details(s); }, 3},
        {"script", [&] { return SceneCardReports::script(s); }, 2},
        {"3x5 cards", [&] { return IndexCardReports::threeByFive(s); }, 1},
        {"4x6 cards", [&] { return IndexCardReports::fourBySix(s); }, 1},
        {"avery 3x5", [&] { return CardSheetReports::avery3x5(s); }, 1},
        {"business cards", [&] { return CardSheetReports::businessCards(s); }, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<PrintedReport> report = row.build();
        const PdfProbe pdf = print(*report, QStringLiteral("%1.pdf").arg(QString::fromLatin1(row.name)));
        EXPECT_GT(pdf.pageCount(), 1);
        EXPECT_EQ(lettersInRuns(pdf, QLatin1Char('q')), qsizetype(row.copies) * 6000);
    }
}

namespace {

// Words "<tag>000", "<tag>001", ... joined by spaces, with a sentence break every seventh word.
QString taggedText(const QString& tag, int count)
{
    QStringList words;
    for (int index = 0; index < count; ++index)
        words.append(QStringLiteral("%1%2%3").arg(tag).arg(index, 3, 10, QLatin1Char('0'))
                         .arg(index % 7 == 6 ? QStringLiteral(".") : QString()));
    return words.join(QLatin1Char(' '));
}

// The words of a page grouped in lines by their baselines, top to bottom.
std::vector<std::vector<const PdfProbe::Word*>> linesOf(const PdfProbe& pdf, int page)
{
    std::vector<std::vector<const PdfProbe::Word*>> lines;
    for (const PdfProbe::Word& word : pdf.words()) {
        if (word.page != page)
            continue;
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& candidate) {
            return std::abs(candidate.front()->box.bottom() - word.box.bottom()) < 0.5;
        });
        if (line == lines.end())
            lines.push_back({&word});
        else
            line->push_back(&word);
    }
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return a.front()->box.bottom() < b.front()->box.bottom(); });
    return lines;
}

QString lineText(const std::vector<const PdfProbe::Word*>& line)
{
    std::vector<const PdfProbe::Word*> sorted = line;
    std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->box.left() < b->box.left(); });
    QStringList words;
    for (const PdfProbe::Word* word : sorted)
        words.append(word->text);
    return words.join(QLatin1Char(' '));
}

// The tagged words of the PDF with this tag, in reading order, without their full stops.
QStringList taggedWords(const PdfProbe& pdf, const QString& tag)
{
    const QRegularExpression tagged(QStringLiteral("^%1\\d{3}\\.?$").arg(tag));
    QStringList found;
    for (const PdfProbe::Word& word : pdf.words())
        if (tagged.match(word.text).hasMatch())
            found.append(QString(word.text).remove(QLatin1Char('.')));
    return found;
}

} // namespace

TEST_F(ReportBreaks, NoReportOverlapsWordsStrandsALabelOrWritesInItsBands)
{
    Screenplaydb& s = story();
    s.currentLogline()->setLogline(QStringLiteral("A snowplough driver keeps a stranger alive on a closing pass."));
    // Texts long enough to run over pages, each of its own tagged words.
    std::map<QString, int> tags; // tag -> word count
    const auto text = [&tags](const QString& tag, int count) {
        tags[tag] = count;
        return taggedText(tag, count);
    };
    for (std::size_t index = 0; index < s.beats().size(); ++index)
        s.beats()[index]->setDescription(text(QStringLiteral("bt%1x").arg(index), 40 + 37 * int(index % 4)));
    for (int index = 0; index < 4; ++index) {
        auto character = std::make_unique<Characterdb>();
        character->setCharacterName(QStringLiteral("Person %1").arg(index));
        character->setGender(QStringLiteral("female"));
        character->setAge(QStringLiteral("%1").arg(30 + index));
        character->setDescription(text(QStringLiteral("cd%1x").arg(index), 260));
        character->setWants(text(QStringLiteral("cw%1x").arg(index), 30));
        character->setNeeds(text(QStringLiteral("cn%1x").arg(index), 30));
        character->setNeedsFixing1(text(QStringLiteral("cf%1x").arg(index), 20));
        character->setNotes(text(QStringLiteral("co%1x").arg(index), 120));
        s.characters().push_back(std::move(character));
    }
    for (int index = 0; index < 3; ++index) {
        auto location = std::make_unique<SceneLocationdb>();
        location->setSceneLocationID(100 + index);
        location->setLocation(QStringLiteral("place %1").arg(index));
        location->setDescription(text(QStringLiteral("ld%1x").arg(index), 300));
        location->setNotes(text(QStringLiteral("ln%1x").arg(index), 150));
        s.sceneLocations().push_back(std::move(location));
    }
    for (int index = 0; index < 8; ++index) {
        auto note = std::make_unique<StickyNotedb>();
        note->setTitle(QStringLiteral("Note %1").arg(index));
        note->setColor(1 + index % 3);
        note->setTextNote(text(QStringLiteral("sn%1x").arg(index), 60 + 20 * index));
        s.stickyNotes().push_back(std::move(note));
    }
    for (int index = 0; index < 12; ++index) {
        // Every fourth card lies in the Litter Box, which the details leave out: its texts are tagged
        // apart.
        const bool onBoard = index % 4 != 3;
        const QString board = onBoard ? QString() : QStringLiteral("x");
        SceneCarddb& card =
            addCard(QStringLiteral("EXT. FROZEN LAKE %1 - NIGHT").arg(index), onBoard ? 1 : 2, 1 + index % 7);
        card.setPageNumber(index * 9);
        card.setDescription(text(QStringLiteral("de%1x").arg(index), 30 + 17 * index));
        card.setNotes(index % 2 ? text(board + QStringLiteral("no%1x").arg(index), 40) : QString());
        card.setSceneLocationID(100 + index % 3);
        card.setStartDateTime(QStringLiteral("01/03/2026 03:12"));
        card.setEndDateTime(QStringLiteral("01/04/2026 11:00"));
        if (index % 3 == 0) {
            auto setup = std::make_unique<SceneSetupdb>();
            setup->setSceneCardID(card.sceneCardID());
            setup->setSceneSetup(text(board + QStringLiteral("su%1x").arg(index), 160));
            s.sceneSetups().push_back(std::move(setup));
        }
    }

    using Build = std::function<std::unique_ptr<StoryReport>()>;
    struct Row {
        const char* name;
        Build build;
        QStringList fields; // tag prefixes whose words the report prints in full
    };
    const auto palette = [](std::int64_t) { return QColor(255, 240, 160); };
    const Row rows[] = {
        {"beat sheet", [&] { return StoryReports::beatSheet(s); }, {QStringLiteral("bt")}},
        {"characters", [&] { return StoryReports::charactersList(s); }, {QStringLiteral("cd")}},
        {"biographies", [&] { return StoryReports::charactersBiography(s); },
         {QStringLiteral("cd"), QStringLiteral("cw"), QStringLiteral("cn"), QStringLiteral("cf"),
          QStringLiteral("co")}},
        {"locations", [&] { return StoryReports::locationsList(s); }, {QStringLiteral("ld")}},
        {"location details", [&] { return StoryReports::locationsDetails(s); },
         {QStringLiteral("ld"), QStringLiteral("ln")}},
        {"set-ups", [&] { return StoryReports::setups(s); }, {QStringLiteral("su")}},
        {"general notes", [&] { return StoryReports::generalNotes(s, 0, palette); }, {QStringLiteral("sn")}},
        {"summary", [&] { return SceneCardReports::summary(s); }, {}},
        {"litter box", [&] { return SceneCardReports::litterBox(s); }, {}},
        {"details", [&] { return SceneCardReports::details(s); },
         {QStringLiteral("no"), QStringLiteral("su")}},
    };
    // Lines that must never end a page: labels and titles with nothing of their own.
    const QStringList labels{QStringLiteral("Description:"), QStringLiteral("Wants:"),   QStringLiteral("Needs:"),
                             QStringLiteral("Notes:"),       QStringLiteral("Notes"),    QStringLiteral("Attachments:"),
                             QStringLiteral("Attachments"),  QStringLiteral("Set-ups"),  QStringLiteral("Pay-offs"),
                             QStringLiteral("Characters")};
    QStringList beatLabels;
    for (std::int64_t beat = 0; beat <= 20; ++beat) {
        beatLabels.append(s.boardSections().beatLabelForBeat(beat));
        beatLabels.append(s.boardSections().beatLabelForBoardBeat(beat));
    }
    beatLabels.removeAll(QString());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<StoryReport> report = row.build();
        const PdfProbe pdf = print(*report, QStringLiteral("%1.pdf").arg(QString::fromLatin1(row.name)));
        ASSERT_GT(pdf.pageCount(), 1);
        const double bodyTop = double(report->info().topMargin + report->info().reportHeaderHeight);
        const double bodyBottom = 792 - double(report->info().bottomMargin + report->info().reportFooterHeight);
        QStringList firstHeader;
        for (int page = 1; page <= pdf.pageCount(); ++page) {
            SCOPED_TRACE(page);
            const auto lines = linesOf(pdf, page);
            QStringList header;
            std::vector<const std::vector<const PdfProbe::Word*>*> body;
            for (const auto& line : lines) {
                const QRectF box = line.front()->box;
                if (box.bottom() <= bodyTop + 0.5) {
                    header.append(lineText(line));
                } else if (box.top() >= bodyBottom - 0.5) {
                    EXPECT_TRUE(lineText(line).startsWith(QStringLiteral("Page "))) << lineText(line).toStdString();
                } else {
                    // A body line lies wholly inside the body.
                    for (const PdfProbe::Word* word : line) {
                        EXPECT_GE(word->box.top(), bodyTop - 0.5) << word->text.toStdString();
                        EXPECT_LE(word->box.bottom(), bodyBottom + 0.5) << word->text.toStdString();
                    }
                    body.push_back(&line);
                }
            }
            // The header is the same on every page: no body text strays into it.
            if (page == 1)
                firstHeader = header;
            else
                EXPECT_EQ(header, firstHeader);
            // No two words of different lines overlap, nor two words of one line.
            std::vector<const PdfProbe::Word*> words;
            for (const auto* line : body)
                words.insert(words.end(), line->begin(), line->end());
            for (std::size_t a = 0; a < words.size(); ++a)
                for (std::size_t b = a + 1; b < words.size(); ++b) {
                    const QRectF overlap = words[a]->box.intersected(words[b]->box);
                    EXPECT_TRUE(overlap.width() < 0.01 || overlap.height() < 0.01)
                        << words[a]->text.toStdString() << " / " << words[b]->text.toStdString();
                }
            // A page never ends on a label or title of its own.
            if (page < pdf.pageCount() && !body.empty()) {
                const QString last = lineText(*body.back());
                EXPECT_FALSE(labels.contains(last)) << last.toStdString();
                EXPECT_FALSE(last.startsWith(QStringLiteral("EXT. FROZEN"))) << last.toStdString();
                EXPECT_FALSE(beatLabels.contains(last)) << last.toStdString();
            }
        }
        // Every word of the long texts, in order, however they broke.
        for (const QString& field : row.fields)
            for (const auto& [tag, count] : tags) {
                if (!tag.startsWith(field))
                    continue;
                QStringList expected;
                for (int index = 0; index < count; ++index)
                    expected.append(QStringLiteral("%1%2").arg(tag).arg(index, 3, 10, QLatin1Char('0')));
                EXPECT_EQ(taggedWords(pdf, tag), expected) << tag.toStdString();
            }
    }
}

// The details report keeps a card's heading, beat, location and date rows with the first two
// lines of its description (the "+/-" row under an empty one), a section title with its first
// entry or, for an empty section, with the sections and the next card's rows that follow, and the
// line naming a set-up's or pay-off's partner card with the partner's text: no page ends on them,
// whatever the lengths of the cards before.
TEST_F(ReportBreaks, TheDetailsNeverEndAPageOnACardsHeaderRowsOrAPartnersLine)
{
    Screenplaydb& s = story();
    auto location = std::make_unique<SceneLocationdb>();
    location->setSceneLocationID(100);
    location->setLocation(QStringLiteral("Pump house"));
    s.sceneLocations().push_back(std::move(location));
    auto character = std::make_unique<Characterdb>();
    character->setCharacterID(7);
    character->setCharacterName(QStringLiteral("Ada"));
    s.characters().push_back(std::move(character));
    std::vector<SceneCarddb*> cards;
    const auto addCards = [&](int count) {
        s.sceneCards().clear();
        s.sceneSetups().clear();
        s.scenePayoffs().clear();
        s.sceneCardCharacters().clear();
        cards.clear();
        for (int index = 0; index < count; ++index) {
            SceneCarddb& card = addCard(QStringLiteral("INT. ROOM%1 - DAY").arg(index, 2, 10, QLatin1Char('0')), 1,
                                        1 + index % 7);
            card.setPageNumber(index + 1);
            card.setSceneLocationID(100);
            card.setStartDateTime(QStringLiteral("01/03/2026 03:12"));
            card.setEndDateTime(QStringLiteral("01/04/2026 11:00"));
            cards.push_back(&card);
        }
    };
    const auto addPayoff = [&](std::size_t card, const QString& text) {
        auto payoff = std::make_unique<ScenePayoffdb>();
        payoff->setSceneCardID(cards[card]->sceneCardID());
        payoff->setScenePayoff(text);
        payoff->insertIntoDatabase(&s);
        s.scenePayoffs().push_back(std::move(payoff));
        return s.scenePayoffs().back()->scenePayoffID();
    };
    const QRegularExpression partnerLine(QStringLiteral("\\(p\\. \\d+\\)$"));
    const QRegularExpression heading(QStringLiteral("^INT\\. ROOM(\\d\\d) - DAY"));
    // Prints the details of the cards and reads every page's body back.
    const auto check = [&](const QString& name) {
        const std::unique_ptr<StoryReport> report = SceneCardReports::details(s);
        const PdfProbe pdf = print(*report, name);
        const double bodyTop = double(report->info().topMargin + report->info().reportHeaderHeight);
        const double bodyBottom = 792 - double(report->info().bottomMargin + report->info().reportFooterHeight);
        int headings = 0;
        for (int page = 1; page <= pdf.pageCount(); ++page) {
            SCOPED_TRACE(page);
            std::vector<QString> body;
            for (const auto& line : linesOf(pdf, page)) {
                const QRectF box = line.front()->box;
                if (box.top() >= bodyTop - 0.5 && box.bottom() <= bodyBottom + 0.5)
                    body.push_back(lineText(line));
            }
            EXPECT_FALSE(body.empty());
            for (std::size_t index = 0; index < body.size(); ++index) {
                const QRegularExpressionMatch match = heading.match(body[index]);
                if (!match.hasMatch() || partnerLine.match(body[index]).hasMatch())
                    continue;
                ++headings;
                // Beat, location, dates, and two lines of the description or the "+/-" row follow
                // on this page.
                const int card = match.captured(1).toInt();
                const QString tag = QStringLiteral("ds%1x").arg(card);
                const bool described = !cards[std::size_t(card)]->description().isEmpty();
                const std::vector<QString> rows{QStringLiteral("Beat:"), QStringLiteral("Location:"),
                                                QStringLiteral("Start Date/Time:"),
                                                described ? tag : QStringLiteral("+/-"), described ? tag : QString()};
                EXPECT_LT(index + (described ? 5 : 4), body.size()) << body[index].toStdString() << " ends page " << page;
                for (std::size_t row = 0; row < rows.size() && index + 1 + row < body.size(); ++row)
                    EXPECT_TRUE(body[index + 1 + row].startsWith(rows[row])) << body[index + 1 + row].toStdString();
            }
            if (page == pdf.pageCount())
                continue;
            // Neither a partner's line, nor a card's rows, nor a section title ends a page.
            const QString& last = body.back();
            EXPECT_FALSE(partnerLine.match(last).hasMatch()) << last.toStdString();
            for (const char* row : {"Beat:", "Location:", "Start Date/Time:"})
                EXPECT_FALSE(last.startsWith(QString::fromLatin1(row))) << last.toStdString();
            for (const char* title : {"Notes", "Set-ups", "Pay-offs", "Characters", "Attachments"})
                EXPECT_NE(last, QString::fromLatin1(title));
        }
        EXPECT_EQ(headings, int(cards.size()));
        return pdf;
    };

    constexpr int kCards = 48;
    addCards(kCards);
    for (int index = 0; index < kCards; ++index) {
        // Lengths that bring every part of a card to the foot of some page.
        cards[std::size_t(index)]->setDescription(
            taggedText(QStringLiteral("ds%1x").arg(index), 16 + (index * 29) % 71));
        cards[std::size_t(index)]->setNotes(
            index % 3 ? taggedText(QStringLiteral("nt%1x").arg(index), (index * 17) % 40) : QString());
    }
    // Each card plants a set-up paid off three cards later.
    for (int index = 0; index < kCards; ++index) {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneCardID(cards[std::size_t(index)]->sceneCardID());
        setup->setSceneSetup(taggedText(QStringLiteral("su%1x").arg(index), 5 + (index * 7) % 19));
        setup->setScenePayoffID(addPayoff(std::size_t((index + 3) % kCards),
                                          taggedText(QStringLiteral("po%1x").arg(index), 6 + (index * 11) % 23)));
        s.sceneSetups().push_back(std::move(setup));
    }
    {
        SCOPED_TRACE("48 cards");
        const PdfProbe pdf = check(QStringLiteral("details.pdf"));
        ASSERT_GT(pdf.pageCount(), 10);
        // Every word of every set-up and pay-off, twice each: on its own card and under its partner.
        for (int index = 0; index < kCards; ++index) {
            EXPECT_EQ(taggedWords(pdf, QStringLiteral("su%1x").arg(index)).size(), 2 * (5 + (index * 7) % 19));
            EXPECT_EQ(taggedWords(pdf, QStringLiteral("po%1x").arg(index)).size(), 2 * (6 + (index * 11) % 23));
        }
    }

    // Three cards, the first with description lines and characters that bring the second card's
    // rows (its description empty), its "Pay-offs" title, or its empty "Attachments" title to the
    // foot of the first page.
    const struct {
        const char* name;
        int lines;
        int characters;
    } rows[] = {{"empty description", 32, 0}, {"pay-offs", 60, 6}, {"attachments", 15, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        addCards(3);
        QStringList lines;
        for (int line = 0; line < row.lines; ++line)
            lines.append(QStringLiteral("ds0x%1").arg(line));
        cards[0]->setDescription(lines.join(QLatin1Char('\n')));
        for (int index = 0; index < row.characters; ++index) {
            auto link = std::make_unique<SceneCardCharacterdb>();
            link->setSceneCardID(cards[0]->sceneCardID());
            link->setCharacterID(7);
            s.sceneCardCharacters().push_back(std::move(link));
        }
        cards[1]->setDescription(QString());
        addPayoff(1, QStringLiteral("The radio works"));
        cards[2]->setDescription(QStringLiteral("ds2x000\nds2x001"));
        EXPECT_GT(check(QString::fromLatin1(row.name) + QStringLiteral(".pdf")).pageCount(), 1);
    }
}

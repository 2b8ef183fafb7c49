#include "ReportFixture.h"
#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/SceneSetupdb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"
#include "reports/CardSheetReports.h"
#include "reports/IndexCardReports.h"
#include "reports/SceneCardReports.h"
#include "reports/StoryReports.h"

#include <QRegularExpression>

#include <functional>

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

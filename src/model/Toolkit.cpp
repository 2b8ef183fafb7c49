#include "Toolkit.h"

#include "Beatdb.h"
#include "CardPlacement.h"
#include "ColorCodedb.h"
#include "DatabaseError.h"
#include "GreenlightChecklistQuestiondb.h"
#include "Loglinedb.h"
#include "SceneCarddb.h"
#include "Screenplaydb.h"
#include "ScriptElementdb.h"
#include "ScriptPartdb.h"
#include "SqliteStatement.h"
#include "StoryFile.h"
#include "StoryLog.h"
#include "StoryTransaction.h"
#include "StringUtilities.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace DateUtilities;

QString Toolkit::convertDateString(const QString& storedText, const QString& displayPattern) const
{
    if (storedText == QLatin1String(kNoDate))
        return QString(QLatin1String(""));
    const auto parsed = parse(storedText, QString::fromLatin1(kStoredFormat));
    if (!parsed)
        return QString(QLatin1String(""));
    return format(*parsed, displayPattern);
}

std::optional<QString> Toolkit::convertDateStringForSaving(const QString& displayText,
                                                           const QString& displayPattern) const
{
    if (displayText.isEmpty())
        return QString::fromLatin1(kNoDate);
    const auto parsed = parse(displayText, displayPattern);
    if (!parsed)
        return std::nullopt;
    return format(*parsed, QString::fromLatin1(kStoredFormat));
}

std::optional<DateTime> Toolkit::dateFromString(const QString& text) const
{
    return DateUtilities::dateFromString(text);
}

// --- New stories -----------------------------------------------------------------------------

namespace {

struct ElementFormat {
    const char* type;
    float left;
    float right;
    const char* alignment;
};

constexpr ElementFormat kElementFormats[] = {
    {"Scene Heading", 1.5f, 7.5f, "Left"},     {"Action", 1.5f, 7.5f, "Left"},
    {"Character", 3.5f, 7.25f, "Left"},        {"Dialogue", 2.5f, 6.0f, "Left"},
    {"Transition", 5.5f, 7.0f, "Right"},       {"Parenthetical", 3.0f, 5.5f, "Left"},
    {"DDL-Character", 2.5f, 4.5f, "Left"},     {"DDL-Parenthetical", 3.0f, 4.5f, "Left"},
    {"DDL-Dialogue", 1.5f, 4.5f, "Left"},      {"DDR-Character", 5.5f, 7.5f, "Left"},
    {"DDR-Parenthetical", 6.0f, 7.5f, "Left"}, {"DDR-Dialogue", 4.5f, 7.5f, "Left"},
    {"New Act", 1.0f, 7.5f, "Center"},         {"End of Act", 1.0f, 7.5f, "Center"},
    {"Teaser", 1.0f, 7.5f, "Center"},
};

// Copies the master file's colour codes, in row order, into the story. A master file that
// cannot be read gives no colour codes.
void copyMasterColorCodes(const QString& masterPath, Screenplaydb& story)
{
    if (masterPath.isEmpty())
        return;
    sqlite3* handle = nullptr;
    const QByteArray name = QFile::encodeName(masterPath);
    const int opened = sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    // Closed and finalized on every way out, a failed insert included.
    DatabaseConnection master(handle);
    if (opened != SQLITE_OK)
        return;
    sqlite3_stmt* prepared = nullptr;
    const int prepareResult = sqlite3_prepare_v2(
        handle, "SELECT ColorCodeID,Description,RedValue,GreenValue,BlueValue,AlphaValue FROM ColorCode", -1,
        &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> query(prepared, sqlite3_finalize);
    if (prepareResult != SQLITE_OK)
        return;
    StatementUse rows(query.get(), handle);
    while (rows.stepRow()) {
        ColorCodedb code;
        code.setScreenplayID(story.screenplayID());
        code.setDescription(rows.columnText(1));
        code.setRedValue(rows.columnInt(2));
        code.setGreenValue(rows.columnInt(3));
        code.setBlueValue(rows.columnInt(4));
        code.setAlphaValue(rows.columnInt(5));
        code.insertIntoDatabase(&story);
    }
}

} // namespace

bool Toolkit::populateDefaults(const QString& masterPath, const QString& storyPath) const
{
    DatabaseConnection connection;
    try {
        connection = StoryFile::open(storyPath);
    } catch (const DatabaseError& error) {
        qCWarning(lcStory).noquote() << error.message();
        return false;
    }
    try {
        // The owner's names are the document's to stamp once it has opened the story.
        writeNewStoryRows(connection.get(), storyPath, NewStoryDefaults{masterPath, {}, {}});
        connection.close();
    } catch (const DatabaseError& error) {
        qCWarning(lcStory).noquote() << error.message();
        return false;
    }
    return true;
}

void Toolkit::writeNewStoryRows(sqlite3* database, const QString& storyPath, const NewStoryDefaults& defaults) const
{
    Screenplaydb story;
    try {
        StoryTransaction rows(database);
        story.setScreenplayGUID(StringUtilities::stringWithUUID());
        story.setCreateDate(format(now(), QString::fromLatin1(kDisplayDateFormat)));
        story.setFileName(storyPath);
        story.setScreenplayTitle(QFileInfo(storyPath).completeBaseName());
        story.setOwnerFirstName(defaults.ownerFirstName);
        story.setOwnerLastName(defaults.ownerLastName);
        story.insertIntoDatabase(database);

        copyMasterColorCodes(defaults.masterPath, story);

        auto logline = std::make_unique<Loglinedb>();
        logline->setScreenplayID(story.screenplayID());
        logline->setCurrentLoglineFlag(1);
        logline->insertIntoDatabase(&story);
        story.logLines().push_back(std::move(logline));

        for (std::int64_t number = 1; number <= 15; ++number) {
            auto beat = std::make_unique<Beatdb>();
            beat->setScreenplayID(story.screenplayID());
            beat->setBeatNumber(number);
            beat->insertIntoDatabase(&story);
            story.beats().push_back(std::move(beat));
        }
        for (std::int64_t number = 1; number <= 55; ++number) {
            auto question = std::make_unique<GreenlightChecklistQuestiondb>();
            question->setScreenplayID(story.screenplayID());
            question->setQuestionNumber(number);
            question->setAnswer(QStringLiteral("N"));
            question->insertIntoDatabase(&story);
            story.greenlightChecklistQuestions().push_back(std::move(question));
        }
        for (const ElementFormat& format : kElementFormats) {
            auto element = std::make_unique<ScriptElementdb>();
            element->setElementType(QString::fromLatin1(format.type));
            element->setLeftIndent(format.left);
            element->setRightIndent(format.right);
            element->setAlignment(QString::fromLatin1(format.alignment));
            element->insertIntoDatabase(&story);
            story.scriptElements().push_back(std::move(element));
        }
        rows.commit();
    } catch (...) {
        story.finalizeAllSqliteStatements();
        throw;
    }
    story.finalizeAllSqliteStatements();
}

// --- Initial beat cards ----------------------------------------------------------------------

namespace {

// The titles of the fifteen beat cards in creation order; beat card n stands on the first bar of
// beat n (BoardSections::boardBeatsOfBeat).
constexpr const char* kBeatCards[] = {
    "Opening Image", "Theme Stated",     "Set-Up",      "Catalyst",          "Debate",
    "Break into Two", "B Story",         "Fun and Games", "Midpoint",        "Bad Guys Close In",
    "All Is Lost",   "Dark Night of the Soul", "Break into Three", "Finale", "Final Image",
};

// How far apart the program puts the cards it makes on one page, where the page has room.
constexpr int kCardsApart = 20;

struct OptionalGroup {
    std::int64_t afterBeat;
    std::size_t option;
    std::int64_t boardBeat;
    std::vector<const char*> texts;
};

const std::vector<OptionalGroup>& optionalGroups()
{
    static const std::vector<OptionalGroup> groups = {
        {3, 0, 4, {"Set-Up \nHOME", "Set-Up \nWORK", "Set-Up \nPLAY"}},
        {5, 1, 6, {"Debate \nHOME", "Debate \nWORK"}},
        {8, 2, 11, {"B Story", "Fun and Games", "B Story", "Fun and Games"}},
        {10, 3, 14,
         {"Bad Guys Close In\nEXTERNAL", "Bad Guys Close In\nINTERNAL", "Bad Guys Close In\nEXTERNAL",
          "Bad Guys Close In\nINTERNAL"}},
        {14, 4, 19,
         {"Finale\nGathering the Team", "Finale\nExecuting the Plan", "Finale\nThe High Tower Surprise",
          "Finale\nDig, Deep Down", "Finale\nThe Execution of the New Plan"}},
    };
    return groups;
}

} // namespace

std::vector<std::unique_ptr<SceneCarddb>> Toolkit::initialBeatCards(const Screenplaydb& story,
                                                                    const std::array<bool, 5>& options) const
{
    const BoardSections& sections = story.boardSections();
    std::vector<std::unique_ptr<SceneCarddb>> cards;
    std::vector<CardOnItsPage> places;
    const auto add = [&](const QString& description, std::int64_t beatNumber, std::int64_t page, std::int64_t bar,
                         double left) {
        auto card = std::make_unique<SceneCarddb>();
        card->setDescription(description);
        if (beatNumber >= 1) {
            card->setColorLegend1ID(1);
            card->setBeatCardNumber(beatNumber);
        }
        card->setScreenplayID(story.screenplayID());
        card->setOnBoard(1);
        card->setHeading(QStringLiteral("SCENE HEADING"));
        card->setSortOrder(static_cast<std::int64_t>(cards.size()) + 1);
        places.push_back({card.get(), page, bar, left, beatNumber >= 1});
        cards.push_back(std::move(card));
    };
    for (std::size_t index = 0; index < std::size(kBeatCards); ++index) {
        const std::int64_t beatNumber = static_cast<std::int64_t>(index) + 1;
        const std::int64_t boardBeat = BoardSections::boardBeatsOfBeat(beatNumber)[0];
        const QString title = QString::fromLatin1(kBeatCards[index]);
        const Beatdb* beatRecord = story.beatForBeatNumber(beatNumber);
        const QString description = beatRecord ? beatRecord->description() : QString();
        // Each beat card stands at the start of its bar, on the beat's first page; the opening
        // image at the very start of the board.
        add(description.indexOf(title) == 0 ? description : title + QLatin1Char('\n') + description, beatNumber,
            beatNumber == 1 ? 1 : sections.beginningPageNumberForBoardBeat(boardBeat), boardBeat,
            static_cast<double>(beatNumber == 1 ? BoardSections::kRowStart : sections.leftForBoardBeatSection(boardBeat)));

        for (const OptionalGroup& group : optionalGroups()) {
            if (group.afterBeat != beatNumber || !options[group.option])
                continue;
            const std::int64_t b = group.boardBeat;
            const double steps = static_cast<double>(group.texts.size() + 1);
            const double width = static_cast<double>(sections.boardWidthForBoardBeatSection(b));
            const double firstPage = static_cast<double>(sections.beginningPageNumberForBoardBeat(b));
            const double pageStep = (static_cast<double>(sections.endingPageNumberForBoardBeat(b)) - firstPage) / steps;
            const double widthStep = (BoardSections::endingPercentageForBoardBeat(b) * width -
                                      BoardSections::beginningPercentageForBoardBeat(b) * width) /
                                     steps;
            for (std::size_t k = 1; k <= group.texts.size(); ++k) {
                // Spread evenly along the bar, each on the page its step reaches.
                const auto page = static_cast<std::int64_t>(firstPage + static_cast<double>(k) * pageStep);
                const auto left = static_cast<std::int64_t>(static_cast<double>(sections.leftForBoardBeatSection(b)) +
                                                            static_cast<double>(k) * widthStep);
                add(QString::fromLatin1(group.texts[k - 1]), 0, page, b, static_cast<double>(left));
            }
        }
    }
    // Where a short story gives one page to several bars and their cards, they stand apart on it
    // in the order they were made.
    layOutCardsOnTheirPages(sections, places, kCardsApart);
    return cards;
}

void Toolkit::addInitialBeatCardsForScreenplay(Screenplaydb& story, const std::array<bool, 5>& options) const
{
    const ScriptElementdb* action = story.elementForElementType(QStringLiteral("Action"));
    const std::int64_t actionID = action ? action->scriptElementID() : 0;
    std::vector<std::unique_ptr<SceneCarddb>> cards = initialBeatCards(story, options);
    std::vector<SceneCarddb*> added;
    try {
        StoryTransaction beatCards(story.database());
        for (auto& card : cards) {
            card->insertIntoDatabase(&story);
            ScriptPartdb paragraph;
            paragraph.setSceneCardID(card->sceneCardID());
            paragraph.setSortOrder(1);
            paragraph.setElementTypeID(actionID);
            paragraph.insertIntoDatabase(&story);
            added.push_back(card.get());
            story.sceneCards().push_back(std::move(card));
        }
        beatCards.commit();
    } catch (...) {
        auto& board = story.sceneCards();
        board.eraseIf([&](const std::unique_ptr<SceneCarddb>& card) {
            return std::find(added.begin(), added.end(), card.get()) != added.end();
        });
        throw;
    }
}

#include "PreviousVersionImport.h"

#include "KeyedArchive.h"
#include "NewStoryFile.h"
#include "PreviousVersionProject.h"
#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/CharacterLinks.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"
#include "model/StoredRange.h"
#include "model/StringUtilities.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>


namespace PreviousVersion {

namespace {

constexpr std::int64_t kVersion1PageCount = 100;
// The notes board the sticky notes are laid on, and the grid they fill.
constexpr double kNotesBoardWidth = 1900.0;
constexpr double kNotesBoardHeight = 1600.0;
constexpr std::int64_t kNoteColumnStep = 268;
constexpr std::int64_t kNoteRowStep = 160;
constexpr std::int64_t kNoteMargin = 20;
constexpr std::int64_t kNotesRightEdge = 1600;

float fraction(double value, double whole)
{
    return whole == 0.0 ? 0.0f : static_cast<float>(value / whole);
}

const QString kImportTitle = QStringLiteral("Import File");

void addStickyNotes(const QString& generalNotes, Screenplaydb& story)
{
    std::int64_t column = -1;
    std::int64_t top = kNoteMargin;
    for (const QString& line : generalNotes.split(QLatin1Char('\n'))) {
        const QString text = line.trimmed();
        if (text.isEmpty())
            continue;
        std::int64_t left = kNoteColumnStep * (column + 1) + kNoteMargin;
        if (left > kNotesRightEdge) {
            left = kNoteMargin;
            top += kNoteRowStep;
            column = 0;
        } else {
            ++column;
        }
        auto note = std::make_unique<StickyNotedb>();
        note->setScreenplayID(story.screenplayID());
        note->setTitle(QStringLiteral("Scratch Pad"));
        note->setNote(text);
        note->setTextNote(text);
        note->setColor(1);
        note->setPositionLeft(left);
        note->setPositionTop(top);
        note->setPercentageHorizontal(static_cast<float>(static_cast<double>(left) / kNotesBoardWidth));
        note->setPercentageVertical(static_cast<float>(static_cast<double>(top) / kNotesBoardHeight));
        note->setSizeHeight(148);
        note->setSizeWidth(218);
        note->insertIntoDatabase(&story);
        story.stickyNotes().push_back(std::move(note));
    }
}

struct ScriptLine {
    QString elementType;
    QString text;
};

// A line of an earlier version's script: its leading tabs tell its paragraph type.
ScriptLine readScriptLine(const QString& line)
{
    if (line.startsWith(QStringLiteral("\t\t")))
        return {QStringLiteral("Character"), line.mid(2).trimmed()};
    if (line.startsWith(QLatin1Char('\t'))) {
        const QString text = line.mid(1).trimmed();
        return {text.startsWith(QLatin1Char('(')) ? QStringLiteral("Parenthetical") : QStringLiteral("Dialogue"), text};
    }
    return {QStringLiteral("Action"), line.trimmed()};
}

void addScript(const QString& script, SceneCarddb& card, Screenplaydb& story)
{
    std::int64_t sortOrder = 0;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty())
            continue;
        const ScriptLine read = readScriptLine(line);
        auto part = std::make_unique<ScriptPartdb>();
        part->setSceneCardID(card.sceneCardID());
        const ScriptElementdb* element = story.elementForElementType(read.elementType);
        part->setElementTypeID(element ? element->scriptElementID() : 0);
        part->setSortOrder(++sortOrder);
        part->setScriptText(read.text);
        part->insertIntoDatabase(&story);
        card.scriptParts().push_back(std::move(part));
        if (read.elementType == QLatin1StringView("Character"))
            CharacterLinks::linkCharacterOfCue(read.text, card, story);
    }
}

void addSceneCard(const SceneCard& archived, bool version2, Screenplaydb& story)
{
    const BoardSections& sections = story.boardSections();
    auto card = std::make_unique<SceneCarddb>();
    card->setSceneCardID(archived.sceneCardID);
    card->setScreenplayID(story.screenplayID());
    card->setHeading(archived.heading);
    card->setDescription(archived.description);
    card->setNotes(archived.notes);
    card->setEmotionalChange(archived.emotionalChange);
    card->setConflict(archived.conflict);
    // Each number is brought into the range the story accepts: a page within the story, a left
    // position on the board, a fraction of a row, no negative colour code. The import keeps no
    // count of what it moved.
    bool adjusted = false;
    const std::int64_t page = StoredRange::clamp(archived.pageNumber, 1, story.pageCount(), adjusted);
    const std::int64_t boardBeat = sections.boardBeatSectionForPageNumber(page);
    // The reader refuses positions a 64-bit integer cannot hold, so the truncation is defined.
    const auto archivedLeft = static_cast<std::int64_t>(archived.positionLeft);
    const std::int64_t left =
        StoredRange::clamp(std::max(archivedLeft, BoardSections::kRowStart), BoardSections::kRowStart,
                           StoredRange::kMostPosition, adjusted);
    const float wanted = version2 ? StoredRange::fraction(archived.positionPercentage, adjusted)
                                  : StoredRange::fraction(fraction(static_cast<double>(left - BoardSections::kRowStart),
                                                                   static_cast<double>(
                                                                       sections.boardWidthForBoardBeatSection(boardBeat))),
                                                          adjusted);
    // The card keeps the place it had where that is on its page, and otherwise stands just inside it.
    placeCardOnPage(sections, *card, page, boardBeat, wanted);
    for (int slot = 1; slot <= 6; ++slot)
        card->setColorLegendID(slot, std::max(archived.colorKeys[static_cast<std::size_t>(slot - 1)], 0));
    card->setOnBoard(archived.onBoard ? 1 : 2);
    card->insertIntoDatabaseWithID(&story);
    if (version2 && !archived.script.isEmpty())
        addScript(archived.script, *card, story);
    (card->onBoard() == 1 ? story.sceneCards() : story.litterBox()).push_back(std::move(card));
}

std::int64_t highestCardPage(const Screenplay& project)
{
    std::int64_t highest = 0;
    for (const SceneCard& card : project.sceneCards)
        highest = std::max<std::int64_t>(highest, card.pageNumber);
    return highest;
}

} // namespace

void writeProjectIntoStory(const Screenplay& project, Screenplaydb& story)
{
    bool adjusted = false;
    std::int64_t pages = kVersion1PageCount;
    if (project.isVersion2 && project.pageCount > 0)
        pages = StoredRange::clamp(project.pageCount, StoredRange::kLeastPageCount, StoredRange::kMostPageCount,
                                   adjusted);
    else if (project.isVersion2)
        pages = StoredRange::pagesHoldingEveryCard(highestCardPage(project));
    story.setPageCount(pages);
    // A project without a title keeps the one the new file's name gave the story.
    if (project.screenPlayTitle)
        story.setScreenplayTitle(*project.screenPlayTitle);
    story.setGenre(project.genre);
    story.setScreenplayGUID(StringUtilities::stringWithUUID());
    story.setParentWindowWidth(
        StoredRange::clamp(static_cast<std::int64_t>(project.formWidth), 0, StoredRange::kMostSize, adjusted));
    // The cards are placed on the board the story keeps, as high as the board shows it.
    story.setBoardSize(std::max(story.boardWidth(), story.leastBoardWidth()),
                       std::max(story.boardHeight(), story.leastBoardHeight()));

    addStickyNotes(project.generalNotes, story);
    if (Loglinedb* logline = story.currentLogline()) {
        logline->setLogline(project.logLine);
        logline->save();
    }
    for (const auto& beat : story.beats()) {
        if (beat->beatNumber() >= 1 && beat->beatNumber() <= 15)
            beat->setDescription(project.beats[static_cast<std::size_t>(beat->beatNumber() - 1)]);
        beat->save();
    }
    for (const SceneCard& card : project.sceneCards)
        addSceneCard(card, project.isVersion2, story);
    for (const SceneSetup& archived : project.sceneSetups) {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneSetupID(archived.sceneSetupID);
        setup->setSceneCardID(archived.sceneCardID);
        setup->setScenePayoffID(archived.payOffID);
        setup->setSceneSetup(archived.sceneSetup);
        setup->insertIntoDatabaseWithID(&story);
        story.sceneSetups().push_back(std::move(setup));
    }
    for (const ScenePayoff& archived : project.scenePayoffs) {
        auto payoff = std::make_unique<ScenePayoffdb>();
        payoff->setScenePayoffID(archived.scenePayoffID);
        payoff->setSceneCardID(archived.sceneCardID);
        payoff->setScenePayoff(archived.scenePayoff);
        payoff->insertIntoDatabaseWithID(&story);
        story.scenePayoffs().push_back(std::move(payoff));
    }
    story.save();
}

std::optional<ImportRefusal> makeStoryFromProject(const QString& projectPath, const QString& targetPath,
                                                  const QString& masterPath)
{
    const QString name = QFileInfo(projectPath).fileName();
    QFile file(projectPath);
    if (!file.open(QIODevice::ReadOnly))
        return ImportRefusal{kImportTitle, QStringLiteral("\"%1\" cannot be read: %2").arg(name, file.errorString())};
    Screenplay project;
    try {
        project = readProject(file.readAll());
    } catch (const ArchiveError& error) {
        return ImportRefusal{kImportTitle,
                             QStringLiteral("\"%1\" is not a Vantora Version 1 or 2 project that can be read.\n\n%2")
                                 .arg(name, error.message)};
    }
    NewStoryFile story(targetPath);
    if (!story.create(masterPath))
        return ImportRefusal{QStringLiteral("New File"), QStringLiteral("Unable to create the new file.")};
    QString message;
    switch (story.writeStory([&project](Screenplaydb& opened) { writeProjectIntoStory(project, opened); }, &message)) {
    case NewStoryFile::WriteFailure::Open:
        return ImportRefusal{kImportTitle, QStringLiteral("Unable to open the new file.")};
    case NewStoryFile::WriteFailure::Write:
        return ImportRefusal{kImportTitle,
                             QStringLiteral("The project could not be written into the new story.\n\n%1").arg(message)};
    case NewStoryFile::WriteFailure::None:
        break;
    }
    if (!story.commit())
        return ImportRefusal{QStringLiteral("New File"), QStringLiteral("Unable to create the new file.")};
    return std::nullopt;
}

} // namespace PreviousVersion

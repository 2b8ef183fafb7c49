// A read Final Draft script written into a story: its locked pages become the page count, each
// scene heading a scene card placed on the board by the page it starts on, the paragraphs
// under it the card's script.
#include "XMLParsedScript.h"
#include "model/BoardSections.h"
#include "model/Characterdb.h"
#include "model/RecordSorting.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryTransaction.h"
#include "model/Toolkit.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace {

// The story's element type that a paragraph type of the script becomes; nothing for types
// that make no script paragraph.
std::optional<QString> elementTypeForParagraphType(const QString& type)
{
    static const std::array<std::pair<const char*, const char*>, 7> kMapping = {{
        {"Action", "Action"},
        {"Transition", "Transition"},
        {"Character", "Character"},
        {"Parenthetical", "Parenthetical"},
        {"Dialogue", "Dialogue"},
        {"General", "Action"},
        {"Shot", "Action"},
    }};
    for (const auto& [paragraphType, elementType] : kMapping)
        if (type == QLatin1StringView(paragraphType))
            return QString::fromLatin1(elementType);
    return std::nullopt;
}

// The name a character cue speaks under: the text before any parenthesised extension.
QString characterNameOfCue(const QString& cue)
{
    QString name = cue.trimmed();
    const qsizetype bracket = name.indexOf(QLatin1Char('('));
    if (bracket >= 0)
        name = name.left(bracket).trimmed();
    return name;
}

// One scene card being filled, with what is inserted after it: its character links.
struct PendingCard {
    std::unique_ptr<SceneCarddb> card = std::make_unique<SceneCarddb>();
    std::vector<std::unique_ptr<SceneCardCharacterdb>> links;

    bool linksCharacter(std::int64_t characterID) const
    {
        return std::any_of(links.begin(), links.end(),
                           [characterID](const auto& link) { return link->characterID() == characterID; });
    }
};

class ScriptConversion
{
public:
    ScriptConversion(const XMLParsedScript& script, Screenplaydb& story)
        : script_(script)
        , story_(story)
    {
    }

    void run()
    {
        setUpPagesAndBoard();
        applyElementFormats();
        addCharactersAndLocations();
        addScenes();
        spreadCards();
        finish();
    }

private:
    void setUpPagesAndBoard()
    {
        story_.setPageCount(static_cast<std::int64_t>(script_.pageOffsets()->size()));
        BoardSections& sections = story_.boardSections();
        sections.setPageCount(story_.pageCount());
        sections.setBoardPanelWidth(story_.boardWidth());
        sections.setBoardPanelHeight(story_.boardHeight());
        story_.setBoardZoomFactor(1);
    }

    void applyElementFormats()
    {
        if (!script_.scriptElements())
            return;
        for (const XMLElementSetting& setting : *script_.scriptElements()) {
            for (const auto& element : story_.scriptElements()) {
                if (element->elementType() != setting.elementType)
                    continue;
                element->setLeftIndent(setting.leftIndent);
                element->setRightIndent(setting.rightIndent);
                element->setAlignment(setting.alignment);
                element->save();
            }
        }
    }

    void addCharactersAndLocations()
    {
        for (const QString& name : script_.characters().value_or(std::vector<QString>())) {
            auto character = std::make_unique<Characterdb>();
            character->setCharacterName(name.toUpper());
            character->setScreenplayID(story_.screenplayID());
            character->insertIntoDatabase(&story_);
            story_.characters().push_back(std::move(character));
        }
        for (const QString& name : script_.locations().value_or(std::vector<QString>())) {
            auto location = std::make_unique<SceneLocationdb>();
            location->setScreenplayID(story_.screenplayID());
            location->setLocation(name.toUpper());
            location->insertIntoDatabase(&story_);
            story_.sceneLocations().push_back(std::move(location));
        }
    }

    void addScenes()
    {
        if (!script_.paragraphs())
            return;
        const std::vector<XMLScriptParagraph>& paragraphs = *script_.paragraphs();
        std::optional<PendingCard> current;
        bool firstHeading = true;
        for (std::size_t index = 0; index < paragraphs.size(); ++index) {
            const XMLScriptParagraph& paragraph = paragraphs[index];
            const bool heading = paragraph.paragraphType == QLatin1StringView("Scene Heading");
            // Paragraphs ahead of the first heading land on the first scene's card.
            if (index == 0 && !heading)
                current.emplace();
            if (heading) {
                if (!firstHeading) {
                    if (current)
                        storeCard(std::move(*current));
                    current.emplace();
                } else if (!current) {
                    current.emplace();
                }
                placeHeadingCard(*current->card, paragraph);
                firstHeading = false;
            }
            const std::optional<QString> elementType = elementTypeForParagraphType(paragraph.paragraphType);
            if (!elementType || !current)
                continue;
            if (paragraph.paragraphType == QLatin1StringView("Character"))
                linkCharacter(*current, paragraph.text);
            auto part = std::make_unique<ScriptPartdb>();
            part->setSortOrder(++scriptPartCount_);
            const ScriptElementdb* element = story_.elementForElementType(*elementType);
            part->setElementTypeID(element ? element->scriptElementID() : 0);
            part->setScriptText(paragraph.text);
            current->card->scriptParts().push_back(std::move(part));
        }
        if (current)
            storeCard(std::move(*current));
    }

    void placeHeadingCard(SceneCarddb& card, const XMLScriptParagraph& heading)
    {
        const BoardSections& sections = story_.boardSections();
        card.setSceneNumber(heading.sceneNumber);
        const std::vector<XMLScriptPageOffset>& pages = *script_.pageOffsets();
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const XMLScriptPageOffset& offset) {
            return offset.pageNumber == heading.sceneStartingPageNumber;
        });
        if (page != pages.end())
            card.setPageNumber(static_cast<std::int64_t>(page - pages.begin()) + 1);
        const std::int64_t boardBeat = sections.boardBeatSectionForPageNumber(card.pageNumber());
        card.setCurrentBeatSection(boardBeat);
        card.setPositionLeft(sections.leftForBoardBeatSection(boardBeat));
        card.setPositionTop(sections.topForBoardBeatSection(boardBeat));
        card.setPercentageHorizontal(BoardSections::beginningPercentageForBoardBeat(boardBeat));
        // A board without height has no vertical fraction to give.
        const auto boardHeight = static_cast<float>(story_.boardHeight());
        card.setPercentageVertical(boardHeight == 0.0f ? 0.0f : static_cast<float>(card.positionTop()) / boardHeight);
        card.setOnBoard(1);
        card.setDescription(heading.slug);
        card.setHeading(heading.text);
    }

    void linkCharacter(PendingCard& pending, const QString& cue)
    {
        const Characterdb* character = story_.characterForCharacterName(characterNameOfCue(cue));
        if (!character || pending.linksCharacter(character->characterID()))
            return;
        auto link = std::make_unique<SceneCardCharacterdb>();
        link->setCharacterID(character->characterID());
        link->setCharacterName(character->characterName());
        pending.links.push_back(std::move(link));
    }

    void storeCard(PendingCard pending)
    {
        SceneCarddb& card = *pending.card;
        card.setScreenplayID(story_.screenplayID());
        card.setSortOrder(++cardCount_);
        card.insertIntoDatabase(&story_);
        for (auto& link : pending.links) {
            link->setSceneCardID(card.sceneCardID());
            link->insertIntoDatabase(&story_);
            card.sceneCardCharacters().push_back(link.get());
            story_.sceneCardCharacters().push_back(std::move(link));
        }
        for (const auto& part : card.scriptParts()) {
            part->setSceneCardID(card.sceneCardID());
            part->insertIntoDatabase(&story_);
        }
        story_.sceneCards().push_back(std::move(pending.card));
    }

    // Cards spread along their rows by page: a card takes the fraction of its section that its
    // page stands at, and cards sharing a page step apart from one another.
    void spreadCards()
    {
        const BoardSections& sections = story_.boardSections();
        const auto& cards = story_.sceneCards();
        std::map<std::int64_t, std::int64_t> cardsOnPage;
        for (const auto& card : cards)
            ++cardsOnPage[card->pageNumber()];
        const std::array<std::pair<std::int64_t, std::int64_t>, 4> bounds = {{
            {sections.section1From(), sections.section1To()},
            {sections.section2From(), sections.section2To()},
            {sections.section3From(), sections.section3To()},
            {sections.section4From(), sections.section4To()},
        }};
        std::int64_t numerator = 0;
        std::int64_t denominator = 0;
        for (std::size_t index = 0; index < cards.size(); ++index) {
            SceneCarddb& card = *cards[index];
            const std::int64_t page = card.pageNumber();
            const bool endsASection = std::any_of(bounds.begin(), bounds.end(),
                                                  [page](const auto& section) { return section.second == page; });
            if (endsASection) {
                card.setPercentageHorizontal(BoardSections::beginningPercentageForBoardBeat(card.currentBeatSection()));
                continue;
            }
            for (std::size_t section = 0; section < bounds.size(); ++section) {
                // The first section starts at page 1 whatever its stored bound.
                const std::int64_t from = section == 0 ? 1 : bounds[section].first;
                if (page >= from && page <= bounds[section].second) {
                    numerator = page - bounds[section].first;
                    denominator = bounds[section].second - bounds[section].first + 1;
                    ++sectionCounts_[section];
                    break;
                }
            }
            const float ratio =
                denominator == 0 ? 0.0f : static_cast<float>(numerator) / static_cast<float>(denominator);
            double fraction = ratio;
            if (index > 0 && cards[index - 1]->pageNumber() == page && denominator != 0) {
                const std::int64_t sharing = cardsOnPage[page];
                fraction = static_cast<double>(cards[index - 1]->percentageHorizontal()) +
                           (1.0 / static_cast<double>(denominator)) * static_cast<double>(100 / sharing) * 0.01;
            } else if (index > 0 && cards[index - 1]->pageNumber() == page) {
                // Pages outside every section have no step to take.
                fraction = cards[index - 1]->percentageHorizontal();
            }
            card.setPercentageHorizontal(static_cast<float>(fraction));
            const auto rowWidth = static_cast<float>(sections.boardWidthForBoardBeatSection(card.currentBeatSection()));
            card.setPositionLeft(static_cast<std::int64_t>(static_cast<float>(fraction) * rowWidth + 4.0f));
        }
    }

    void finish()
    {
        for (const auto& card : story_.sceneCards())
            card->save();
        const std::int64_t widest =
            std::max<std::int64_t>(0, *std::max_element(sectionCounts_.begin(), sectionCounts_.end()));
        story_.setBoardWidth(widest * story_.boardSections().STANDARDSCENECARDWIDTH() + 8);
        story_.boardSections().setBoardPanelWidth(story_.boardWidth());
        sortRecords(story_.sceneLocations(), &SceneLocationdb::sortLocationsByName);
        sortRecords(story_.sceneCards(), &SceneCarddb::sortBySortOrder);
        story_.save();
    }

    const XMLParsedScript& script_;
    Screenplaydb& story_;
    std::int64_t cardCount_ = 0;
    std::int64_t scriptPartCount_ = 0;
    std::array<std::int64_t, 4> sectionCounts_{};
};

} // namespace

bool Toolkit::processFinalDraft8Script(const XMLParsedScript& script, Screenplaydb& story) const
{
    if (!script.pageOffsets() || script.pageOffsets()->empty())
        return false;
    StoryTransaction transaction(story.database());
    ScriptConversion(script, story).run();
    transaction.commit();
    return true;
}

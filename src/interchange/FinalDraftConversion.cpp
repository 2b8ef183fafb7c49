// A read Final Draft script written into a story: its locked pages become the page count, each
// scene heading a scene card placed on the board by the page it starts on, the paragraphs
// under it the card's script. A heading without a page among the locked pages gets the page
// the script's own layout puts it on; a script without a character list gets its characters
// from its cues.
#include "FinalDraftImport.h"
#include "XMLParsedScript.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/Characterdb.h"
#include "model/RecordSorting.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScreenplayPagination.h"
#include "model/ScriptPartdb.h"
#include "model/StoryTransaction.h"
#include "model/Toolkit.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace {

// How far apart the cards of one page stand, where the page has room.
constexpr int kCardsApart = 20;

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

// The name a character cue speaks under when the script lists its characters: the text before
// any parenthesised extension.
QString characterNameOfCue(const QString& cue)
{
    QString name = cue.trimmed();
    const qsizetype bracket = name.indexOf(QLatin1Char('('));
    if (bracket >= 0)
        name = name.left(bracket).trimmed();
    return name;
}

// The name a cue gives when the script lists no characters: the cue in capitals without the
// extensions at its end ("(V.O.)", "(CONT'D)", ...).
QString speakerOfCue(const QString& cue)
{
    QString name = cue.trimmed();
    while (name.endsWith(QLatin1Char(')'))) {
        const qsizetype bracket = name.lastIndexOf(QLatin1Char('('));
        if (bracket < 0)
            break;
        name = name.left(bracket).trimmed();
    }
    return name.toUpper();
}

// The story's element type for one paragraph of a dual-dialogue block; nothing for a paragraph
// of another type.
std::optional<QString> dualDialogueElementType(const XMLDualDialogueLine& line)
{
    for (const char* type : {"Character", "Parenthetical", "Dialogue"})
        if (line.paragraphType == QLatin1StringView(type))
            return (line.right ? QStringLiteral("DDR-") : QStringLiteral("DDL-")) + QString::fromLatin1(type);
    return std::nullopt;
}

bool isDualDialogueRecord(const XMLScriptParagraph& paragraph)
{
    return paragraph.paragraphType == QLatin1StringView("DualDialogue");
}

bool isCue(const XMLScriptParagraph& paragraph)
{
    return paragraph.paragraphType == QLatin1StringView("Character");
}

bool isCue(const XMLDualDialogueLine& line)
{
    return line.paragraphType == QLatin1StringView("Character");
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
        charactersFromCues_ = !script_.characters() || script_.characters()->empty();
        const std::vector<QString> names = charactersFromCues_ ? speakersOfCues() : *script_.characters();
        for (const QString& name : names) {
            if (charactersFromCues_ && story_.characterForCharacterName(name))
                continue;
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

    // The distinct speakers of the script's cues, dual dialogue included, in order of their
    // first cue.
    std::vector<QString> speakersOfCues() const
    {
        std::vector<QString> speakers;
        const auto add = [&speakers](const QString& cue) {
            QString name = speakerOfCue(cue);
            if (!name.isEmpty() && std::find(speakers.begin(), speakers.end(), name) == speakers.end())
                speakers.push_back(std::move(name));
        };
        for (const XMLScriptParagraph& paragraph : script_.paragraphs().value_or(std::vector<XMLScriptParagraph>())) {
            if (isCue(paragraph))
                add(paragraph.text);
            for (const XMLDualDialogueLine& line : paragraph.dualDialogueLines)
                if (isCue(line))
                    add(line.text);
        }
        return speakers;
    }

    // The story's element type for a paragraph type: the usual mapping, then any other type the
    // story has by that name (an act's start or end). Headings and dual dialogue go their own way.
    std::optional<QString> partElementType(const QString& paragraphType) const
    {
        if (std::optional<QString> mapped = elementTypeForParagraphType(paragraphType))
            return mapped;
        if (paragraphType.isEmpty() || paragraphType == QLatin1StringView("Scene Heading") ||
            paragraphType.startsWith(QLatin1StringView("DDL-")) || paragraphType.startsWith(QLatin1StringView("DDR-")))
            return std::nullopt;
        if (story_.elementForElementType(paragraphType))
            return paragraphType;
        return std::nullopt;
    }

    void addPart(PendingCard& pending, const QString& elementType, const QString& text)
    {
        auto part = std::make_unique<ScriptPartdb>();
        part->setSortOrder(++scriptPartCount_);
        const ScriptElementdb* element = story_.elementForElementType(elementType);
        part->setElementTypeID(element ? element->scriptElementID() : 0);
        part->setScriptText(text);
        pending.card->scriptParts().push_back(std::move(part));
    }

    void addScenes()
    {
        if (!script_.paragraphs())
            return;
        const std::vector<XMLScriptParagraph>& paragraphs = *script_.paragraphs();
        const std::vector<std::int64_t> pages = headingPages(paragraphs);
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
                } else if (!current->card->scriptParts().empty() &&
                           story_.elementForElementType(QStringLiteral("Scene Heading"))) {
                    // The heading's own place among the paragraphs before and after it, so that
                    // the script is written back in its order.
                    addPart(*current, QStringLiteral("Scene Heading"), paragraph.text);
                }
                placeHeadingCard(*current->card, paragraph, pages[index]);
                firstHeading = false;
            }
            if (!current)
                continue;
            if (isDualDialogueRecord(paragraph)) {
                addDualDialogue(*current, paragraph);
                continue;
            }
            const std::optional<QString> elementType = partElementType(paragraph.paragraphType);
            if (!elementType)
                continue;
            if (isCue(paragraph))
                linkCharacter(*current, paragraph.text);
            addPart(*current, *elementType, paragraph.text);
        }
        if (current)
            storeCard(std::move(*current));
    }

    // Each paragraph of the block in order, as the story's left and right dual-dialogue types.
    void addDualDialogue(PendingCard& pending, const XMLScriptParagraph& block)
    {
        for (const XMLDualDialogueLine& line : block.dualDialogueLines) {
            const std::optional<QString> elementType = dualDialogueElementType(line);
            if (!elementType)
                continue;
            if (isCue(line))
                linkCharacter(pending, line.text);
            addPart(pending, *elementType, line.text);
        }
    }

    // The page of the locked pages that a heading names, counted from 1; nothing when it names
    // none of them.
    std::optional<std::int64_t> lockedPageOf(const XMLScriptParagraph& heading) const
    {
        const std::vector<XMLScriptPageOffset>& pages = *script_.pageOffsets();
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const XMLScriptPageOffset& offset) {
            return offset.pageNumber == heading.sceneStartingPageNumber;
        });
        if (page == pages.end())
            return std::nullopt;
        return static_cast<std::int64_t>(page - pages.begin()) + 1;
    }

    // The page each scene heading starts on, 0 for every other paragraph: the locked page the
    // heading names, or else the page the script's own layout puts it on, kept between the
    // pages of the scenes around it.
    std::vector<std::int64_t> headingPages(const std::vector<XMLScriptParagraph>& paragraphs) const
    {
        const auto lockedPages = static_cast<std::int64_t>(script_.pageOffsets()->size());
        std::vector<std::int64_t> pages(paragraphs.size(), 0);
        std::vector<bool> named(paragraphs.size(), false);
        bool anyUnnamed = false;
        for (std::size_t index = 0; index < paragraphs.size(); ++index) {
            if (paragraphs[index].paragraphType != QLatin1StringView("Scene Heading"))
                continue;
            const std::optional<std::int64_t> page = lockedPageOf(paragraphs[index]);
            pages[index] = page.value_or(0);
            named[index] = page.has_value();
            anyUnnamed = anyUnnamed || !page;
        }
        if (!anyUnnamed)
            return pages;
        const std::vector<std::int64_t> laidOut = FinalDraftImport::laidOutHeadingPages(paragraphs, lockedPages);
        // The page of the next heading that names its own, for each paragraph.
        std::vector<std::int64_t> nextNamed(paragraphs.size(), lockedPages);
        std::int64_t next = lockedPages;
        for (std::size_t index = paragraphs.size(); index-- > 0;) {
            nextNamed[index] = next;
            if (named[index])
                next = pages[index];
        }
        std::int64_t previous = 1;
        for (std::size_t index = 0; index < paragraphs.size(); ++index) {
            if (paragraphs[index].paragraphType != QLatin1StringView("Scene Heading"))
                continue;
            if (!named[index])
                pages[index] = std::clamp(laidOut[index], previous, std::max(previous, nextNamed[index]));
            previous = pages[index];
        }
        return pages;
    }

    void placeHeadingCard(SceneCarddb& card, const XMLScriptParagraph& heading, std::int64_t page)
    {
        const BoardSections& sections = story_.boardSections();
        card.setSceneNumber(heading.sceneNumber);
        if (page > 0)
            card.setPageNumber(page);
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
        const Characterdb* character =
            story_.characterForCharacterName(charactersFromCues_ ? speakerOfCue(cue) : characterNameOfCue(cue));
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

    using SectionBounds = std::array<std::pair<std::int64_t, std::int64_t>, 4>;

    // The section (0 to 3) whose pages hold `page`, the first of them when sections overlap;
    // nothing for a page outside every section.
    static std::optional<std::size_t> sectionOfPage(const SectionBounds& bounds, std::int64_t page)
    {
        for (std::size_t section = 0; section < bounds.size(); ++section) {
            // The first section starts at page 1 whatever its stored bound.
            const std::int64_t from = section == 0 ? 1 : bounds[section].first;
            if (page >= from && page <= bounds[section].second)
                return section;
        }
        return std::nullopt;
    }

    static std::int64_t pagesIn(const std::pair<std::int64_t, std::int64_t>& section)
    {
        return section.second - section.first + 1;
    }

    static bool endsSection(const SectionBounds& bounds, std::int64_t page)
    {
        return std::any_of(bounds.begin(), bounds.end(),
                           [page](const auto& section) { return section.second == page; });
    }

    // The board as wide as its fullest row, with a card's width and a margin to spare, and never
    // narrower than its pages need.
    std::int64_t boardWidthForCounts() const
    {
        const BoardSections& sections = story_.boardSections();
        const std::int64_t widest =
            std::max<std::int64_t>(0, *std::max_element(sectionCounts_.begin(), sectionCounts_.end()));
        return std::max(widest * sections.STANDARDSCENECARDWIDTH() + 8, sections.leastBoardPanelWidth());
    }

    // Cards spread along their rows by page: a card is wanted at the fraction of its section that
    // its page starts at, the cards after it on its page a share of the page further each, and a
    // card of a section's last page at the start of its beat bar; the cards of each page are laid
    // out on it together, apart in the order they come.
    void spreadCards()
    {
        const BoardSections& sections = story_.boardSections();
        const auto& cards = story_.sceneCards();
        std::map<std::int64_t, std::int64_t> cardsOnPage;
        for (const auto& card : cards)
            ++cardsOnPage[card->pageNumber()];
        const SectionBounds bounds = {{
            {sections.section1From(), sections.section1To()},
            {sections.section2From(), sections.section2To()},
            {sections.section3From(), sections.section3To()},
            {sections.section4From(), sections.section4To()},
        }};
        // Every card but those on a section's last page counts in its row: the rows' fullest
        // gives the width the board is left with.
        for (const auto& card : cards)
            if (const auto section = sectionOfPage(bounds, card->pageNumber());
                section && !endsSection(bounds, card->pageNumber()))
                ++sectionCounts_[*section];
        // The cards are placed on the board the story keeps, so that every stored place is a place
        // on it: as wide as the counts give and as high as the board shows it.
        story_.setBoardSize(boardWidthForCounts(), std::max(story_.boardHeight(), story_.leastBoardHeight()));
        const auto width = static_cast<double>(sections.boardWidthForSection(0));
        std::vector<CardOnItsPage> places;
        places.reserve(cards.size());
        std::int64_t numerator = 0;
        std::int64_t denominator = 0;
        double previous = 0.0;
        for (std::size_t index = 0; index < cards.size(); ++index) {
            SceneCarddb& card = *cards[index];
            const std::int64_t page = card.pageNumber();
            double along = 0.0;
            if (endsSection(bounds, page)) {
                along = static_cast<double>(BoardSections::beginningPercentageForBoardBeat(card.currentBeatSection()));
            } else {
                if (const std::optional<std::size_t> section = sectionOfPage(bounds, page)) {
                    numerator = page - bounds[*section].first;
                    denominator = pagesIn(bounds[*section]);
                }
                along = denominator == 0
                    ? 0.0
                    : static_cast<double>(static_cast<float>(numerator) / static_cast<float>(denominator));
                if (index > 0 && cards[index - 1]->pageNumber() == page)
                    along = denominator == 0 ? previous : previous + stepOnPage(denominator, cardsOnPage[page]);
            }
            previous = along;
            places.push_back({&card, page, card.currentBeatSection(),
                              static_cast<double>(BoardSections::kRowStart) + along * width});
        }
        layOutCardsOnTheirPages(sections, places, kCardsApart);
    }

    // How far along its row a card steps from the one before it on the same page: an equal
    // share of the page for each card on it.
    static double stepOnPage(std::int64_t sectionPages, std::int64_t cardsOnPage)
    {
        return (1.0 / static_cast<double>(sectionPages)) * static_cast<double>(100 / cardsOnPage) * 0.01;
    }

    void finish()
    {
        for (const auto& card : story_.sceneCards())
            card->save();
        sortRecords(story_.sceneLocations(), &SceneLocationdb::sortLocationsByName);
        sortRecords(story_.sceneCards(), &SceneCarddb::sortBySortOrder);
        story_.save();
    }

    const XMLParsedScript& script_;
    Screenplaydb& story_;
    // The script lists no characters: its cues give them.
    bool charactersFromCues_ = false;
    std::int64_t cardCount_ = 0;
    std::int64_t scriptPartCount_ = 0;
    std::array<std::int64_t, 4> sectionCounts_{};
};

} // namespace

std::vector<std::int64_t> FinalDraftImport::laidOutHeadingPages(const std::vector<XMLScriptParagraph>& paragraphs,
                                                                std::int64_t lockedPages)
{
    using namespace ScreenplayPagination;
    std::vector<Paragraph> laid;
    laid.reserve(paragraphs.size());
    // Where each heading stands among the laid-out paragraphs.
    std::vector<std::optional<std::size_t>> headingAt(paragraphs.size());
    // A page break not yet laid: a dual-dialogue block without lines passes its own on.
    bool breakPending = false;
    for (std::size_t index = 0; index < paragraphs.size(); ++index) {
        const XMLScriptParagraph& paragraph = paragraphs[index];
        breakPending = breakPending || paragraph.startsNewPage;
        if (!isDualDialogueRecord(paragraph)) {
            if (paragraph.paragraphType == QLatin1StringView("Scene Heading"))
                headingAt[index] = laid.size();
            laid.push_back(Paragraph{elementForType(paragraph.paragraphType), paragraph.text, breakPending});
            breakPending = false;
            continue;
        }
        // The block's break stands before its first line.
        for (const XMLDualDialogueLine& line : paragraph.dualDialogueLines) {
            const std::optional<QString> type = dualDialogueElementType(line);
            laid.push_back(Paragraph{type ? elementForType(*type) : Element::Unlaid, line.text, breakPending});
            breakPending = false;
        }
    }
    const Pages pages = paginate(laid);
    std::vector<std::int64_t> result(paragraphs.size(), 0);
    for (std::size_t index = 0; index < paragraphs.size(); ++index)
        if (headingAt[index])
            result[index] = scaledPage(pages.positions[*headingAt[index]], pages.pageCount, lockedPages);
    return result;
}

bool Toolkit::processFinalDraft8Script(const XMLParsedScript& script, Screenplaydb& story) const
{
    if (!script.pageOffsets() || script.pageOffsets()->empty())
        return false;
    StoryTransaction transaction(story.database());
    ScriptConversion(script, story).run();
    transaction.commit();
    return true;
}

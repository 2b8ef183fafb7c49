#include "web/QueuedStoryText.h"

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

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace QueuedStoryText {

namespace {

// Cards of one page queued one after another stand this far apart, so none hides another.
constexpr std::int64_t kRunOffset = 5;
// Positions further out than this are no board position.
constexpr double kFarthestLeft = 1.0e9;

QString value(const QString& text, const char* tag)
{
    return StringUtilities::valueForTag(text, QString::fromLatin1(tag));
}

// A whole number as the phone writes it: the leading integer, held to 32 bits.
std::int64_t integer(const QString& text)
{
    const std::int64_t read = StringUtilities::leadingInteger(text);
    return std::clamp<std::int64_t>(read, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
}

std::int64_t integer(const QString& text, const char* tag)
{
    return integer(value(text, tag));
}

// The leading decimal number of a text (white space first, a sign, digits, a fraction, an
// exponent), 0 when it starts with none; held to the board's reach.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0.0;
    const double read = match.captured(1).toDouble();
    if (!std::isfinite(read))
        return read < 0 ? -kFarthestLeft : kFarthestLeft;
    return std::clamp(read, -kFarthestLeft, kFarthestLeft);
}

// The elements of one kind in a group, in order: each is read, then the text is cut after
// its closing tag and the next is read from what remains.
QStringList elementsOf(const QString& group, const QString& tag)
{
    QStringList elements;
    const QString opening = QLatin1Char('<') + tag + QLatin1Char('>');
    const QString closing = QLatin1String("</") + tag + QLatin1Char('>');
    QString rest = group;
    for (;;) {
        const QString element = StringUtilities::valueForTag(rest, tag);
        if (element.isEmpty())
            break;
        elements.append(element);
        const qsizetype end = rest.indexOf(closing, rest.indexOf(opening) + opening.size());
        if (end < 0)
            break;
        rest = rest.mid(end + closing.size());
    }
    return elements;
}

std::int64_t elementID(const Screenplaydb& story, const char* type)
{
    const ScriptElementdb* element = story.elementForElementType(QString::fromLatin1(type));
    return element ? element->scriptElementID() : 0;
}

void addScriptPart(SceneCarddb& card, Screenplaydb& story, const char* type, const QString& text,
                   std::int64_t sortOrder)
{
    auto part = std::make_unique<ScriptPartdb>();
    part->setSceneCardID(card.sceneCardID());
    part->setElementTypeID(elementID(story, type));
    part->setSortOrder(sortOrder);
    part->setScriptText(text);
    part->insertIntoDatabase(&story);
    card.scriptParts().push_back(std::move(part));
}

// The script lines as the desktop writes them: "--" dialogue or a parenthetical, "-" a
// character, anything else action.
void addScript(const QString& script, SceneCarddb& card, Screenplaydb& story)
{
    std::int64_t sortOrder = 0;
    for (const QString& rawLine : script.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("--"))) {
            const QString text = line.mid(2).trimmed();
            addScriptPart(card, story, text.startsWith(QLatin1Char('(')) ? "Parenthetical" : "Dialogue", text,
                          ++sortOrder);
        } else if (line.startsWith(QLatin1Char('-'))) {
            const QString text = line.mid(1);
            addScriptPart(card, story, "Character", text, ++sortOrder);
            CharacterLinks::linkCharacterOfCue(text, card, story);
        } else {
            addScriptPart(card, story, "Action", line, ++sortOrder);
        }
    }
}

// Cards of one page in a row are set apart; the run starts again at another page.
struct CardRun {
    std::int64_t previousPage = 0;
    std::int64_t count = 0;
};

// A card of the text with everything but its place and its script, and the left the phone's
// place gives it on the story's board.
std::unique_ptr<SceneCarddb> sceneCardOf(const QString& element, CardRun& run, const Screenplaydb& story,
                                         CardOnItsPage& place)
{
    const BoardSections& sections = story.boardSections();
    auto card = std::make_unique<SceneCarddb>();
    card->setSceneCardID(integer(element, "SCENECARDID"));
    card->setScreenplayID(story.screenplayID());
    card->setHeading(value(element, "HEADING"));
    card->setDescription(value(element, "DESCRIPTION"));
    card->setNotes(value(element, "NOTES"));
    card->setEmotionalChange(value(element, "EMOTIONALCHANGE"));
    card->setConflict(value(element, "CONFLICT"));
    const std::int64_t page = integer(element, "PAGENUMBER");

    auto left = static_cast<std::int64_t>(std::trunc(leadingNumber(value(element, "POSITIONLEFT"))));
    if (left == 0)
        left = static_cast<std::int64_t>(std::trunc(sections.leftForPageNumber(page)));
    left = std::max(left, BoardSections::kRowStart);
    if (page == run.previousPage) {
        ++run.count;
        left += kRunOffset * run.count;
    } else {
        run.count = 0;
    }
    run.previousPage = page;
    place = {card.get(), page, sections.boardBeatSectionForPageNumber(page), static_cast<double>(left)};

    card->setColorLegendID(1, integer(element, "COLORKEY"));
    for (int slot = 2; slot <= 6; ++slot) {
        const QString key = StringUtilities::valueForTag(element, QStringLiteral("COLORKEY%1").arg(slot));
        if (!key.isEmpty())
            card->setColorLegendID(slot, integer(key));
    }
    const QString onBoard = value(element, "ONBOARD");
    card->setOnBoard(onBoard.isEmpty() || integer(onBoard) == 1 ? 1 : 2);
    return card;
}

void addSetupsAndPayoffs(const QString& text, Screenplaydb& story)
{
    for (const QString& element : elementsOf(value(text, "SETUPS"), QStringLiteral("SETUP"))) {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneSetupID(integer(element, "SCENESETUPID"));
        setup->setSceneCardID(integer(element, "SCENECARDID"));
        setup->setSceneSetup(value(element, "SCENESETUP"));
        setup->setScenePayoffID(integer(element, "PAYOFFID"));
        setup->insertIntoDatabaseWithID(&story);
        story.sceneSetups().push_back(std::move(setup));
    }
    for (const QString& element : elementsOf(value(text, "PAYOFFS"), QStringLiteral("PAYOFF"))) {
        auto payoff = std::make_unique<ScenePayoffdb>();
        payoff->setScenePayoffID(integer(element, "SCENEPAYOFFID"));
        payoff->setSceneCardID(integer(element, "SCENECARDID"));
        payoff->setScenePayoff(value(element, "SCENEPAYOFF"));
        payoff->insertIntoDatabaseWithID(&story);
        story.scenePayoffs().push_back(std::move(payoff));
    }
}

// The page count the text gives, brought into the range a story holds as an earlier version's
// import brings it. None given (empty, missing, or 0 or less) is 110 pages, or as many as the
// cards need: a card past the story's last page would stand in no row of the board and in no
// section of the list.
std::int64_t pageCountOf(const QString& text, const QStringList& cardElements)
{
    const std::int64_t count = integer(text, "PAGECOUNT");
    bool adjusted = false;
    if (count > 0)
        return StoredRange::clamp(count, StoredRange::kLeastPageCount, StoredRange::kMostPageCount, adjusted);
    std::int64_t highest = 0;
    for (const QString& element : cardElements)
        highest = std::max(highest, integer(element, "PAGENUMBER"));
    return StoredRange::pagesHoldingEveryCard(highest);
}

} // namespace

std::optional<QString> whyUnusable(const QString& text)
{
    if (!text.contains(QLatin1Char('<') + QLatin1String(kStoryTag) + QLatin1Char('>')))
        return QStringLiteral("it holds no story.");
    return std::nullopt;
}

QString title(const QString& text)
{
    return value(text, "TITLE");
}

void fillStory(Screenplaydb& story, const QString& text, const Owner& owner)
{
    story.setOwnerFirstName(owner.firstName);
    story.setOwnerLastName(owner.lastName);
    story.setOwnerSerialNumber(owner.accountNumber);
    story.setScreenplayGUID(StringUtilities::stringWithUUID());
    story.save();

    story.setScreenplayTitle(value(text, "TITLE"));
    story.setGenre(value(text, "GENRE"));
    if (Loglinedb* logline = story.currentLogline()) {
        logline->setLogline(value(text, "LOGLINE"));
        logline->save();
    }
    for (int number = 1; number <= 15; ++number) {
        const auto& beats = story.beats();
        const auto beat = std::find_if(beats.begin(), beats.end(),
                                       [number](const auto& candidate) { return candidate->beatNumber() == number; });
        if (beat == beats.end())
            continue;
        (*beat)->setDescription(StringUtilities::valueForTag(text, QStringLiteral("BEAT%1").arg(number)));
        (*beat)->save();
    }
    const QString generalNotes = value(text, "GENERALNOTES");
    if (!generalNotes.isEmpty()) {
        auto note = std::make_unique<StickyNotedb>();
        note->setScreenplayID(story.screenplayID());
        note->setTitle(QStringLiteral("General Notes"));
        note->setNote(generalNotes);
        note->setTextNote(generalNotes);
        note->insertIntoDatabase(&story);
        story.stickyNotes().push_back(std::move(note));
    }

    const QStringList cardElements = elementsOf(value(text, "SCENECARDS"), QStringLiteral("SCENECARD"));
    story.setPageCount(pageCountOf(text, cardElements));
    // The cards are placed on the board the story keeps, as high as the board shows it.
    story.setBoardSize(std::max(story.boardWidth(), story.leastBoardWidth()),
                       std::max(story.boardHeight(), story.leastBoardHeight()));

    // Each card where the phone put it, or where its page begins, and the cards of one page apart
    // on it in the order they came, each where it was wanted as far as the page has room.
    std::vector<std::unique_ptr<SceneCarddb>> cards;
    std::vector<CardOnItsPage> places(static_cast<std::size_t>(cardElements.size()));
    CardRun run;
    for (qsizetype index = 0; index < cardElements.size(); ++index)
        cards.push_back(sceneCardOf(cardElements[index], run, story, places[static_cast<std::size_t>(index)]));
    layOutCardsOnTheirPages(story.boardSections(), places, static_cast<int>(kRunOffset));
    for (qsizetype index = 0; index < cardElements.size(); ++index) {
        std::unique_ptr<SceneCarddb>& card = cards[static_cast<std::size_t>(index)];
        card->insertIntoDatabaseWithID(&story);
        const QString script = value(cardElements[index], "SCRIPT");
        if (!script.isEmpty())
            addScript(script, *card, story);
        (card->onBoard() == 1 ? story.sceneCards() : story.litterBox()).push_back(std::move(card));
    }
    addSetupsAndPayoffs(text, story);
    story.save();
}

} // namespace QueuedStoryText

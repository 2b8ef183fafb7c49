#include "SceneCardReports.h"

#include "BlockOfTextView.h"
#include "ListViewCaption.h"
#include "ReportElement.h"
#include "ReportText.h"
#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryLinkIndex.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace SceneCardReports {

namespace {

constexpr std::int64_t kLeft = 0;
constexpr std::int64_t kRight = 1;
constexpr std::int64_t kCentred = 2;

QFont plain(int points = 10)
{
    return ReportText::systemFont(points);
}

QFont bold(int points = 10)
{
    return ReportText::boldSystemFont(points);
}

float top(const BlockOfTextView& block)
{
    return float(block.frame().y());
}

QImage pictureOf(const QByteArray& data)
{
    return data.isEmpty() ? QImage() : QImage::fromData(data);
}

// Each picture of a report decoded once: every place it shows draws the same image, which the
// PDF then holds once.
class PictureCache
{
public:
    explicit PictureCache(const Screenplaydb& story) : story_(story) {}

    // The character's picture; the generic one for a character that no longer exists.
    const QImage& ofCharacter(const Characterdb* character)
    {
        const std::int64_t key = character ? character->characterID() : 0;
        const auto found = characters_.find(key);
        if (found != characters_.end())
            return found->second;
        QImage picture = character ? pictureOf(story_.displayImageForCharacter(*character))
                                   : QImage(QStringLiteral(":/images/GenericCharacter.png"));
        return characters_.emplace(key, std::move(picture)).first->second;
    }

    // The attachment's thumbnail; no picture for none.
    const QImage& ofAttachment(const AttachedObjectdb* attachment)
    {
        const std::int64_t key = attachment ? attachment->attachedObjectID() : 0;
        const auto found = attachments_.find(key);
        if (found != attachments_.end())
            return found->second;
        QImage picture = attachment ? pictureOf(attachment->getThumbnail().value_or(QByteArray())) : QImage();
        return attachments_.emplace(key, std::move(picture)).first->second;
    }

private:
    const Screenplaydb& story_;
    std::unordered_map<std::int64_t, QImage> characters_;
    std::unordered_map<std::int64_t, QImage> attachments_;
};

// The caption of the list view's sorting and filters, when there is one, at y.
void placeCaption(StoryReport& report, const Screenplaydb& story)
{
    const QString caption = listViewFiltering(story);
    if (caption.isEmpty())
        return;
    report.setLayout(kLeft, 0, 5);
    report.addText(caption, bold(12), true);
}

} // namespace

std::vector<SceneCarddb*> cardSet(Screenplaydb& story)
{
    if (story.bigSceneView() != 1 && story.boardView() == 2)
        return story.listViewCards();
    std::vector<SceneCarddb*> cards;
    for (const std::unique_ptr<SceneCarddb>& card : story.sceneCards())
        cards.push_back(card.get());
    return cards;
}

float reportSceneCard(StoryReport& report, const SceneCarddb& card, float startY)
{
    float y = startY;
    report.setLayout(kLeft, 0, 5);
    const BlockOfTextView& heading = report.textAt(y, card.heading(), bold(), false);
    report.setLayout(kRight, 0, 0);
    report.textAt(top(heading), QString::number(card.pageNumber()), plain(), false);
    y = heading.bottom();
    report.setLayout(kLeft, 30, 0);
    y = report.textAt(y, card.description(), bold(), false).bottom();
    report.setLayout(kLeft, 4, 0);
    const BlockOfTextView& change = report.textAt(y, QStringLiteral("+/-"), bold(), false);
    report.setLayout(kLeft, 30, 0);
    y = report.textAt(top(change), card.emotionalChange(), plain(), false).bottom();
    report.setLayout(kLeft, 5, 0);
    const BlockOfTextView& conflict = report.textAt(y, QStringLiteral("><"), bold(), false);
    report.setLayout(kLeft, 30, 0);
    y = report.textAt(top(conflict), card.conflict(), plain(), false).bottom();
    return report.textAt(y - 18, QString(), plain(), true).bottom();
}

std::unique_ptr<StoryReport> summary(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("SCENE CARD SUMMARY"));
    placeCaption(*report, story);
    for (const SceneCarddb* card : cardSet(story))
        report->setY(reportSceneCard(*report, *card, report->y()));
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> litterBox(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("LITTER BOX"));
    StoryReport& r = *report;
    const BoardSections& board = story.boardSections();
    const auto label = [&r](const QString& text, int points) {
        r.setLayout(kCentred, 0, 0);
        r.setY(r.addText(text, bold(points), true).bottom() + 2);
    };
    const auto cardsOfBeat = [&r, &story](const auto& belongs) {
        for (const std::unique_ptr<SceneCarddb>& card : story.litterBox())
            if (belongs(*card))
                r.setY(reportSceneCard(r, *card, r.y()) + 2);
    };
    struct Section {
        QString label;
        std::vector<std::int64_t> beats;
    };
    const std::array<Section, 4> sections{{
        {board.section1Label(), {1, 2, 3, 4, 5, 6, 7}},
        {board.section2Label(), {9, 10, 11, 12}},
        {board.section3Label(), {14, 15, 16, 17}},
        {board.section4Label(), {19, 20}},
    }};
    std::vector<std::int64_t> grouped;
    for (const Section& section : sections) {
        label(section.label, 14);
        for (const std::int64_t beat : section.beats) {
            grouped.push_back(beat);
            label(board.beatLabelForBoardBeat(beat), 12);
            cardsOfBeat([beat](const SceneCarddb& card) { return card.currentBeatSection() == beat; });
        }
    }
    // Cards whose beat belongs to no group are printed too, after the last group.
    const auto ungrouped = [&grouped](const SceneCarddb& card) {
        return std::find(grouped.begin(), grouped.end(), card.currentBeatSection()) == grouped.end();
    };
    if (std::any_of(story.litterBox().begin(), story.litterBox().end(),
                    [&ungrouped](const std::unique_ptr<SceneCarddb>& card) { return ungrouped(*card); })) {
        label(QStringLiteral("Cards Outside the Beats"), 12);
        cardsOfBeat(ungrouped);
    }
    r.advanceTo(r.y());
    r.finish();
    return report;
}

std::unique_ptr<StoryReport> details(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("SCENE CARD DETAILS"));
    StoryReport& r = *report;
    placeCaption(r, story);
    const float left = float(r.info().leftMargin);
    // A rule closing a section: an empty line that starts 18 points above y.
    const auto rule = [&r](std::int64_t indent) {
        r.setLayout(kLeft, indent, 0);
        r.setY(r.textAt(r.y() - 18, QString(), plain(), true).bottom());
    };
    // A label with its text on the same line, the text starting 13 points above the label's
    // foot; y follows whichever ends lower.
    const auto labelled = [&r](const QString& label, std::int64_t labelIndent, const QString& text,
                               std::int64_t textIndent) {
        r.setLayout(kLeft, labelIndent, 0);
        const float labelBottom = r.textAt(r.y(), label, bold(), false).bottom();
        r.setLayout(kLeft, textIndent, 0);
        r.setY(std::max(labelBottom, r.textAt(labelBottom - 13, text, plain(), false).bottom()));
    };
    // A name kept with two lines beside a 36-point picture, and its text below it; y moves on
    // by at least the picture's height from the name's top.
    const auto pictured = [&r](const QString& name, const QFont& nameFont, const QString& text, const QImage& picture,
                               float pictureX, std::int64_t indent) {
        r.keepRoom(36);
        r.setLayout(kLeft, indent, 2);
        const BlockOfTextView& nameBlock = r.textAt(r.y(), name, nameFont, false);
        r.place(std::make_unique<ReportImageView>(QRectF(pictureX, top(nameBlock), 36, 36), picture), false);
        r.setLayout(kLeft, indent, 0);
        const BlockOfTextView& textBlock = r.textAt(nameBlock.bottom(), text, plain(), false);
        const float nameHeight = float(nameBlock.frame().height());
        r.setY(top(textBlock) + std::max(float(textBlock.frame().height()), 36 - nameHeight));
    };

    // What lies on each card, read once for the whole report.
    const StoryLinkIndex links(story);
    PictureCache pictures(story);
    for (SceneCarddb* card : cardSet(story)) {
        r.setLayout(kLeft, 0, 5);
        const BlockOfTextView& heading = r.textAt(r.y(), card->heading(), bold(12), false);
        r.setLayout(kRight, 0, 0);
        r.textAt(top(heading), QString::number(card->pageNumber()), plain(), false);
        r.setY(heading.bottom());

        r.setLayout(kLeft, 0, 0);
        r.textAt(r.y(), QStringLiteral("Beat:"), bold(), false);
        r.setLayout(kLeft, 40, 0);
        r.addText(story.boardSections().beatLabelForBoardBeat(card->currentBeatSection()), plain(), false);
        r.setLayout(kLeft, 0, 0);
        const float locationY = r.y();
        r.addText(QStringLiteral("Location:"), bold(), false);
        r.setLayout(kLeft, 50, 0);
        const SceneLocationdb* location =
            card->sceneLocationID() > 0 ? story.locationForLocationID(card->sceneLocationID()) : nullptr;
        if (card->sceneLocationID() > 0)
            r.setY(r.textAt(locationY, location ? location->location() : QString(), plain(), false).bottom());

        const float dateY = r.y();
        r.setLayout(kLeft, 0, 0);
        const float dateBottom = r.textAt(dateY, QStringLiteral("Start Date/Time:"), bold(), false).bottom();
        r.setLayout(kLeft, 90, 0);
        if (!card->startDateTime().isNull())
            r.textAt(dateY, card->startDateTime(), plain(), false);
        r.setLayout(kLeft, 210, 0);
        r.textAt(dateY, QStringLiteral("End Date/Time:"), bold(), false);
        r.setLayout(kLeft, 300, 0);
        if (!card->endDateTime().isNull())
            r.textAt(dateY, card->endDateTime(), plain(), false);
        r.setY(dateBottom);
        rule(0);

        r.setLayout(kLeft, 0, 0);
        r.addText(card->description(), plain(), true);
        labelled(QStringLiteral("+/-"), 4, card->emotionalChange(), 30);
        labelled(QStringLiteral("><"), 5, card->conflict(), 30);
        rule(30);
        labelled(QStringLiteral("Notes"), 0, card->notes(), 36);
        rule(36);

        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Set-ups"), bold(), false);
        for (const SceneSetupdb* setup : links.setupsOfCard(card->sceneCardID())) {
            r.addText(setup->sceneSetup(), bold(), false);
            const ScenePayoffdb* payoff =
                setup->scenePayoffID() != 0 ? links.payoffForPayoffID(setup->scenePayoffID()) : nullptr;
            r.addText(payoff ? story.fullDescriptionForPayoff(*payoff) : QStringLiteral("NO PAY-OFF"), plain(), false);
        }
        rule(0);
        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Pay-offs"), bold(), false);
        for (const ScenePayoffdb* payoff : links.payoffsOfCard(card->sceneCardID())) {
            r.addText(payoff->scenePayoff(), bold(), false);
            const SceneSetupdb* setup = links.setupForPayoffID(payoff->scenePayoffID());
            r.addText(setup ? story.fullDescriptionForSetup(*setup) : QStringLiteral("NO SET-UP"), plain(), false);
        }
        rule(0);

        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Characters"), bold(), false);
        bool anyCharacter = false;
        for (const SceneCardCharacterdb* link : links.charactersOfCard(card->sceneCardID())) {
            const Characterdb* character = story.characterForCharacterID(link->characterID());
            // A character that no longer exists shows the generic picture and no text.
            const QImage& picture = pictures.ofCharacter(character);
            pictured(character ? character->characterName() : QString(), bold(),
                     character ? character->description() : QString(), picture, left, 55);
            anyCharacter = true;
        }
        rule(anyCharacter ? 55 : 0);

        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Attachments"), bold(), false);
        bool anyAttachment = false;
        for (const SceneCardObjectdb* link : links.attachmentLinksOfCard(card->sceneCardID())) {
            const AttachedObjectdb* attachment = links.attachmentForID(link->attachedObjectID());
            const QImage& thumbnail = pictures.ofAttachment(attachment);
            pictured(attachment ? attachment->title() : QString(), plain(), link->description(), thumbnail, left + 15,
                     70);
            anyAttachment = true;
        }
        rule(anyAttachment ? 70 : 0);
    }
    r.advanceTo(r.y());
    r.finish();
    return report;
}

namespace {

// The element of a paragraph: by row id, or the story's "Action" when the id names none.
const ScriptElementdb* elementOrAction(const Screenplaydb& story, const ScriptElementdb* element)
{
    return element ? element : story.elementForElementType(QStringLiteral("Action"));
}

// The indent and right margin that put a paragraph between its element's indents, in inches
// from the paper's left edge. Without an element the text spans the margins.
void useElement(StoryReport& report, const ScriptElementdb* element)
{
    ReportInfo& info = report.info();
    if (!element) {
        info.leftIndent = 0;
        info.rightMargin = 30;
        return;
    }
    info.leftIndent = std::int64_t(element->leftIndent() * 72 - float(info.leftMargin));
    info.rightMargin = std::int64_t(float(report.paper().width()) - element->rightIndent() * 72);
}

bool isDualDialogue(const ScriptElementdb* element, const char* side)
{
    return element && element->elementType().startsWith(QLatin1String(side));
}

} // namespace

std::unique_ptr<StoryReport> script(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QString(), StoryReport::documentPaper(), [](ReportInfo& info) {
        info.includeLoglineInHeader = false;
        info.leftIndent = 0;
        info.minLineSpace = 0;
    });
    StoryReport& r = *report;
    const QFont font = ReportText::scriptFont(12);
    // Board order, in a list of our own: the board keeps its order.
    std::vector<SceneCarddb*> cards;
    for (const std::unique_ptr<SceneCarddb>& card : story.sceneCards())
        cards.push_back(card.get());
    std::stable_sort(cards.begin(), cards.end(),
                     [](const SceneCarddb* a, const SceneCarddb* b) { return a->sortByLocation(*b) < 0; });
    const ScriptElementdb* heading = story.elementForElementType(QStringLiteral("Scene Heading"));
    std::array<std::int64_t, 3> spaced{};
    const char* spacedTypes[] = {"Action", "Dialogue", "Transition"};
    for (std::size_t index = 0; index < spaced.size(); ++index) {
        const ScriptElementdb* element = story.elementForElementType(QLatin1String(spacedTypes[index]));
        spaced[index] = element ? element->scriptElementID() : -1;
    }

    for (SceneCarddb* card : cards) {
        if (card->scriptParts().empty())
            card->loadScriptParts();
        r.info().minLineSpace = 2;
        useElement(r, elementOrAction(story, heading));
        r.setY(r.y() + 12);
        r.addText(card->heading().isEmpty() ? QStringLiteral("SCENE HEADING") : card->heading(), font, false);
        const auto& parts = card->scriptParts();
        for (std::size_t index = 0; index < parts.size(); ++index) {
            const ScriptPartdb& part = *parts[index];
            const ScriptElementdb* element = story.elementForElementID(part.elementTypeID());
            if (isDualDialogue(element, "DDL-")) {
                // The left speaker's lines, then the right speaker's beside them.
                const float start = r.y();
                float bottom = start;
                for (const char* side : {"DDL-", "DDR-"}) {
                    r.setY(start);
                    for (; index < parts.size(); ++index) {
                        const ScriptElementdb* own = story.elementForElementID(parts[index]->elementTypeID());
                        if (!isDualDialogue(own, side))
                            break;
                        if (parts[index]->scriptText().isEmpty())
                            continue;
                        useElement(r, own);
                        r.addText(parts[index]->scriptText(), font, false);
                    }
                    bottom = std::max(bottom, r.y());
                }
                --index;
                r.setY(bottom + 12);
                continue;
            }
            if (part.scriptText().isEmpty())
                continue;
            useElement(r, elementOrAction(story, element));
            r.addText(part.scriptText(), font, false);
            if (std::find(spaced.begin(), spaced.end(), part.elementTypeID()) != spaced.end())
                r.setY(r.y() + 12);
        }
    }
    r.finish();
    return report;
}

} // namespace SceneCardReports

#include "SceneCardReports.h"

#include "BlockOfTextView.h"
#include "ListViewCaption.h"
#include "ReportElement.h"
#include "ReportProgress.h"
#include "ReportText.h"
#include "ScriptReportLayout.h"
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

#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
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

// Where the text beside a bold label starts.
std::int64_t valueIndent(const QString& label, std::int64_t labelIndent, std::int64_t indent)
{
    return StoryReport::valueIndent(label, bold(), labelIndent, indent);
}

// The column a card's page number takes at the right of its heading.
constexpr std::int64_t kNumberColumn = 40;

// The height of a text at `indent` between the report's margins, less `right` at the right.
float heightIn(const StoryReport& report, const QString& text, const QFont& font, std::int64_t indent,
               std::int64_t right = 0)
{
    const ReportInfo& info = report.info();
    const float width = float(report.paper().width()) - float(info.leftMargin + info.rightMargin + indent + right);
    return ReportText::measure(text, width, font, ReportText::LineBreak::Wrap);
}

// The room kept for rows that stay together spares half a point for rounding, the same for every
// row, so that a title kept with its first entry never stays where that entry would not.
constexpr float kRounding = 0.5f;

// Starts the next page when what follows, `height` high, does not fit on this one but would
// fit on a page of its own; what is higher than a page starts where it is.
void keepTogether(StoryReport& report, float height)
{
    const PageGeometry page(report.paper(), report.info());
    const float y = report.clearOfBands(report.y());
    if (height <= page.body() && y > page.bodyTop(page.pageOf(y)))
        report.keepRoom(height + kRounding);
}

// The height of the lines of a partner's description that stay together: the line naming the
// partner's card with the first line of the partner's text, or the first line alone.
float partnerLines(const StoryReport& report, const QString& partner)
{
    const float line = ReportText::singleLineHeight(float(report.paper().width()), plain());
    const qsizetype feed = partner.indexOf(QLatin1Char('\n'));
    return feed < 0 ? line : heightIn(report, partner.left(feed), plain(), 0) + line;
}

// The room a set-up or pay-off needs at a page's foot: its own text and its partner's first lines.
float pairNeed(const StoryReport& report, const QString& item, const QString& partner)
{
    return heightIn(report, item, bold(), 0) + partnerLines(report, partner);
}

// A set-up or pay-off (bold) and below it its partner: "NO PAY-OFF", "NO SET-UP", or the
// partner's card heading and page number on a line of its own followed by the partner's text.
// The line naming the partner's card never ends a page alone: the item, that line and the first
// line of the partner's text go over to the next page together when they do not fit.
void linkedPair(StoryReport& report, const QString& item, const QString& partner)
{
    const float line = ReportText::singleLineHeight(float(report.paper().width()), plain());
    const qsizetype feed = partner.indexOf(QLatin1Char('\n'));
    const float partnerLine = partnerLines(report, partner);
    keepTogether(report, pairNeed(report, item, partner));
    report.setLayout(kLeft, 0, 2);
    report.addText(item, bold(), false);
    // Should the item itself have run down the page, its partner's line still keeps its text.
    report.setLayout(kLeft, 0, feed < 0 ? 0 : std::max<std::int64_t>(2, std::int64_t(partnerLine / line + 0.5f)));
    report.addText(partner, plain(), false);
    report.setLayout(kLeft, 0, 0);
}

// A card's heading kept with the lines that follow it, and its page number at the right
// margin on the heading's first line; the heading wraps short of the number.
void placeHeading(StoryReport& report, const QString& heading, const QFont& font, const QString& pageNumber)
{
    report.setLayout(kLeft, 0, 5);
    report.info().rightMargin += kNumberColumn;
    const BlockOfTextView& block = report.addText(heading, font, false);
    report.info().rightMargin -= kNumberColumn;
    report.setLayout(kRight, 0, 0);
    report.textAt(top(block), pageNumber, plain(), false);
    report.setY(block.bottom());
}

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
    std::vector<SceneCarddb*> cards;
    if (story.bigSceneView() == 1 || story.boardView() == 1) {
        for (const std::unique_ptr<SceneCarddb>& card : story.sceneCards())
            cards.push_back(card.get());
    } else if (story.boardView() == 2) {
        cards = story.listViewCards();
    }
    return cards;
}

float reportSceneCard(StoryReport& report, const SceneCarddb& card, float startY)
{
    report.setY(startY);
    placeHeading(report, card.heading(), bold(), QString::number(card.pageNumber()));
    report.setLayout(kLeft, 30, 0);
    report.addText(card.description(), bold(), false);
    const std::array<std::pair<QString, QString>, 2> rows{{{QStringLiteral("+/-"), card.emotionalChange()},
                                                           {QStringLiteral("><"), card.conflict()}}};
    std::int64_t labelIndent = 4;
    for (const auto& [label, text] : rows) {
        // The label and its text share their first line.
        const float row = report.clearOfBands(report.y());
        report.setLayout(kLeft, labelIndent++, 0);
        report.textAt(row, label, bold(), false);
        report.setLayout(kLeft, 30, 0);
        report.setY(report.textAt(row, text, plain(), false).bottom());
    }
    // The closing rule belongs to an empty line that starts 18 points above the conflict's foot,
    // or less where the line and its rule are shorter than that, so that the rule runs under the
    // conflict's last line and the next card starts below it, never over it.
    report.setLayout(kLeft, 30, 0);
    const float closing = ReportText::singleLineHeight(float(report.paper().width()), plain()) + 5;
    report.setY(report.textAt(report.y() - std::min(18.0f, closing), QString(), plain(), true).bottom());
    return report.y();
}

std::unique_ptr<StoryReport> summary(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("SCENE CARD SUMMARY"));
    placeCaption(*report, story);
    const std::vector<SceneCarddb*> cards = cardSet(story);
    for (std::size_t index = 0; index < cards.size(); ++index) {
        if (!ReportProgress::step(false, std::int64_t(index), std::int64_t(cards.size())))
            return nullptr;
        report->setY(reportSceneCard(*report, *cards[index], report->y()));
    }
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
    const float line = ReportText::singleLineHeight(float(r.paper().width()), bold());
    // A bold label at `labelIndent` and its text on the same line, after the label and a space
    // however wide the label is; y moves below whichever ends lower.
    const auto labelled = [&r](const QString& label, std::int64_t labelIndent, const QString& text,
                               std::int64_t textIndent) {
        const float row = r.clearOfBands(r.y());
        r.setLayout(kLeft, labelIndent, 0);
        const float labelBottom = r.textAt(row, label, bold(), false).bottom();
        r.setLayout(kLeft, valueIndent(label, labelIndent, textIndent), 0);
        r.setY(std::max(labelBottom, r.textAt(row, text, plain(), false).bottom()));
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
    const std::vector<SceneCarddb*> cards = cardSet(story);
    const auto locationOf = [&story](const SceneCarddb& card) {
        return card.sceneLocationID() > 0 ? story.locationForLocationID(card.sceneLocationID()) : nullptr;
    };
    const auto beatLabelOf = [&story](const SceneCarddb& card) {
        return story.boardSections().beatLabelForBoardBeat(card.currentBeatSection());
    };
    // The heading and the beat, location and date rows stay with the first two lines of the
    // description; an empty description is one line with its rule (5 points), and the "+/-" row
    // stays with it.
    const auto headingNeed = [&](const SceneCarddb& card) {
        const SceneLocationdb* location = locationOf(card);
        const float description = card.description().isEmpty()
            ? 2 * line + 5
            : std::min(heightIn(r, card.description(), plain(), 0), 2 * line);
        return heightIn(r, card.heading(), bold(12), 0, kNumberColumn)
            + std::max(line, heightIn(r, beatLabelOf(card), plain(), 40))
            + std::max(line, heightIn(r, location ? location->location() : QString(), plain(), 50)) + line
            + StoryReport::kRuleGap + description;
    };
    for (std::size_t cardIndex = 0; cardIndex < cards.size(); ++cardIndex) {
        if (!ReportProgress::step(false, std::int64_t(cardIndex), std::int64_t(cards.size())))
            return nullptr;
        const SceneCarddb* card = cards[cardIndex];
        const SceneLocationdb* location = locationOf(*card);
        const QString beatLabel = beatLabelOf(*card);
        keepTogether(r, headingNeed(*card));
        placeHeading(r, card->heading(), bold(12), QString::number(card->pageNumber()));

        labelled(QStringLiteral("Beat:"), 0, beatLabel, 40);
        labelled(QStringLiteral("Location:"), 0, location ? location->location() : QString(), 50);

        // Start and end on one row, each label followed by its date.
        const float dateY = r.clearOfBands(r.y());
        float dateBottom = dateY;
        const std::array<std::tuple<QString, std::int64_t, QString, std::int64_t>, 2> dates{{
            {QStringLiteral("Start Date/Time:"), 0, card->startDateTime(), 90},
            {QStringLiteral("End Date/Time:"), 210, card->endDateTime(), 300},
        }};
        for (const auto& [label, labelIndent, value, indent] : dates) {
            r.setLayout(kLeft, labelIndent, 0);
            dateBottom = std::max(dateBottom, r.textAt(dateY, label, bold(), false).bottom());
            r.setLayout(kLeft, valueIndent(label, labelIndent, indent), 0);
            if (!value.isNull())
                dateBottom = std::max(dateBottom, r.textAt(dateY, value, plain(), false).bottom());
        }
        r.setY(dateBottom);
        r.addRule(0);

        r.setLayout(kLeft, 0, 0);
        r.addText(card->description(), plain(), true);
        labelled(QStringLiteral("+/-"), 4, card->emotionalChange(), 30);
        labelled(QStringLiteral("><"), 5, card->conflict(), 30);
        r.addRule(30);
        const auto& setups = links.setupsOfCard(card->sceneCardID());
        const auto& payoffs = links.payoffsOfCard(card->sceneCardID());
        const auto payoffOf = [&](const SceneSetupdb& setup) {
            const ScenePayoffdb* payoff =
                setup.scenePayoffID() != 0 ? links.payoffForPayoffID(setup.scenePayoffID()) : nullptr;
            return payoff ? story.fullDescriptionForPayoff(*payoff) : QStringLiteral("NO PAY-OFF");
        };
        const auto setupOf = [&](const ScenePayoffdb& payoff) {
            const SceneSetupdb* setup = links.setupForPayoffID(payoff.scenePayoffID());
            return setup ? story.fullDescriptionForSetup(*setup) : QStringLiteral("NO SET-UP");
        };
        const auto& characters = links.charactersOfCard(card->sceneCardID());
        const auto& attachments = links.attachmentLinksOfCard(card->sceneCardID());
        // The notes and each section title go over to the next page unless the first lines of
        // what they hold fit under them; an empty one goes with what follows it.
        const std::array<float, 5> firstEntry{
            card->notes().isEmpty() ? 0 : 2 * line,
            setups.empty() ? 0 : pairNeed(r, setups.front()->sceneSetup(), payoffOf(*setups.front())),
            payoffs.empty() ? 0 : pairNeed(r, payoffs.front()->scenePayoff(), setupOf(*payoffs.front())),
            characters.empty() ? 0.0f : 36.0f, attachments.empty() ? 0.0f : 36.0f};
        // What the next card's heading keeps with it.
        const float nextHeading = cardIndex + 1 < cards.size() ? headingNeed(*cards[cardIndex + 1]) : 0;
        const auto keepSection = [&](std::size_t section) {
            float need = nextHeading;
            for (std::size_t index = firstEntry.size(); index-- > section;)
                need = line + (firstEntry[index] > 0 ? firstEntry[index] : StoryReport::kRuleGap + need);
            r.keepRoom(need + kRounding);
        };
        const auto sectionTitle = [&](std::size_t section, const QString& title) {
            keepSection(section);
            r.setLayout(kLeft, 0, 0);
            r.addText(title, bold(), false);
        };

        keepSection(0);
        labelled(QStringLiteral("Notes"), 0, card->notes(), 36);
        r.addRule(36);
        sectionTitle(1, QStringLiteral("Set-ups"));
        for (const SceneSetupdb* setup : setups)
            linkedPair(r, setup->sceneSetup(), payoffOf(*setup));
        r.addRule(0);
        sectionTitle(2, QStringLiteral("Pay-offs"));
        for (const ScenePayoffdb* payoff : payoffs)
            linkedPair(r, payoff->scenePayoff(), setupOf(*payoff));
        r.addRule(0);

        sectionTitle(3, QStringLiteral("Characters"));
        for (const SceneCardCharacterdb* link : characters) {
            const Characterdb* character = story.characterForCharacterID(link->characterID());
            // A character that no longer exists shows the generic picture and no text.
            const QImage& picture = pictures.ofCharacter(character);
            pictured(character ? character->characterName() : QString(), bold(),
                     character ? character->description() : QString(), picture, left, 55);
        }
        r.addRule(characters.empty() ? 0 : 55);

        sectionTitle(4, QStringLiteral("Attachments"));
        for (const SceneCardObjectdb* link : attachments) {
            const AttachedObjectdb* attachment = links.attachmentForID(link->attachedObjectID());
            const QImage& thumbnail = pictures.ofAttachment(attachment);
            pictured(attachment ? attachment->title() : QString(), plain(), link->description(), thumbnail, left + 15,
                     70);
        }
        r.addRule(attachments.empty() ? 0 : 70);
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

// A paragraph between its element's indents, in inches from the paper's left edge, cut to
// whole points as the report's indent and right margin are. Without an element, or with indents
// that leave no room for a letter, the text spans the margins.
ScriptReportLayout::Paragraph paragraphFor(const ReportInfo& info, QSizeF paper, const ScriptElementdb* element,
                                           const QString& text)
{
    ScriptReportLayout::Paragraph paragraph;
    paragraph.text = text;
    const float margin = float(info.leftMargin);
    paragraph.left = margin;
    paragraph.width = float(paper.width()) - 2 * margin;
    if (!element)
        return paragraph;
    paragraph.role = ScriptReportLayout::roleForElementType(element->elementType());
    const float left = margin + float(std::int64_t(element->leftIndent() * 72 - margin));
    const float right = float(paper.width()) - float(std::int64_t(float(paper.width()) - element->rightIndent() * 72));
    if (right - left >= 8) {
        paragraph.left = left;
        paragraph.width = right - left;
    }
    return paragraph;
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
    // The story's board cards are put in board order, and keep it.
    story.sceneCards().stableSort([](const auto& a, const auto& b) { return a->sortByLocation(*b) < 0; });
    std::vector<SceneCarddb*> cards;
    for (const std::unique_ptr<SceneCarddb>& card : story.sceneCards())
        cards.push_back(card.get());
    const ScriptElementdb* heading = story.elementForElementType(QStringLiteral("Scene Heading"));
    // One blank line follows these paragraphs.
    std::array<std::int64_t, 3> spaced{};
    const char* spacedTypes[] = {"Action", "Dialogue", "Transition"};
    for (std::size_t index = 0; index < spaced.size(); ++index) {
        const ScriptElementdb* element = story.elementForElementType(QLatin1String(spacedTypes[index]));
        spaced[index] = element ? element->scriptElementID() : -1;
    }

    std::vector<ScriptReportLayout::Paragraph> paragraphs;
    for (std::size_t index = 0; index < cards.size(); ++index) {
        if (!ReportProgress::step(false, std::int64_t(index), std::int64_t(cards.size())))
            return nullptr;
        SceneCarddb* card = cards[index];
        if (card->scriptParts().empty())
            card->loadScriptParts();
        ScriptReportLayout::Paragraph title =
            paragraphFor(r.info(), r.paper(), elementOrAction(story, heading),
                         card->heading().isEmpty() ? QStringLiteral("SCENE HEADING") : card->heading());
        title.role = ScriptReportLayout::Role::Heading;
        paragraphs.push_back(title);
        for (const std::unique_ptr<ScriptPartdb>& part : card->scriptParts()) {
            if (part->scriptText().isEmpty())
                continue;
            const ScriptElementdb* element = elementOrAction(story, story.elementForElementID(part->elementTypeID()));
            ScriptReportLayout::Paragraph paragraph = paragraphFor(r.info(), r.paper(), element, part->scriptText());
            paragraph.blankAfter = std::find(spaced.begin(), spaced.end(), part->elementTypeID()) != spaced.end();
            paragraphs.push_back(paragraph);
        }
    }

    const PageGeometry page(r.paper(), r.info());
    const float offset = ScriptPageView::gridOffset(font);
    const int rows = int((page.limit(0) - page.bodyTop(0) - offset) / ScriptReportLayout::kLinePitch + 0.01f);
    ScriptReportLayout::Pages laid = ScriptReportLayout::paginate(paragraphs, rows, font);
    std::vector<std::vector<ScriptReportLayout::Line>> byPage(std::size_t(laid.pageCount));
    for (ScriptReportLayout::Line& line : laid.lines)
        byPage[std::size_t(line.page)].push_back(std::move(line));
    for (std::size_t index = 0; index < byPage.size(); ++index) {
        if (byPage[index].empty())
            continue;
        int lastRow = 0;
        for (const ScriptReportLayout::Line& line : byPage[index])
            lastRow = std::max(lastRow, line.row);
        const QRectF frame(0, page.bodyTop(std::int64_t(index)) + offset, r.paper().width(),
                           double(lastRow + 1) * ScriptReportLayout::kLinePitch);
        r.place(std::make_unique<ScriptPageView>(frame, font, std::move(byPage[index])), true);
    }
    r.finish();
    return report;
}

} // namespace SceneCardReports

#include "SceneCardReports.h"

#include "BlockOfTextView.h"
#include "ListViewCaption.h"
#include "ReportElement.h"
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

#include <algorithm>
#include <array>
#include <cmath>

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
        for (const std::unique_ptr<SceneSetupdb>& setup : story.sceneSetups()) {
            if (setup->sceneCardID() != card->sceneCardID())
                continue;
            r.addText(setup->sceneSetup(), bold(), false);
            const ScenePayoffdb* payoff =
                setup->scenePayoffID() != 0 ? story.payoffForPayoffID(setup->scenePayoffID()) : nullptr;
            r.addText(payoff ? story.fullDescriptionForPayoff(*payoff) : QStringLiteral("NO PAY-OFF"), plain(), false);
        }
        rule(0);
        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Pay-offs"), bold(), false);
        for (const std::unique_ptr<ScenePayoffdb>& payoff : story.scenePayoffs()) {
            if (payoff->sceneCardID() != card->sceneCardID())
                continue;
            r.addText(payoff->scenePayoff(), bold(), false);
            const SceneSetupdb* setup = story.setupForPayoffID(payoff->scenePayoffID());
            r.addText(setup ? story.fullDescriptionForSetup(*setup) : QStringLiteral("NO SET-UP"), plain(), false);
        }
        rule(0);

        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Characters"), bold(), false);
        bool anyCharacter = false;
        for (const std::unique_ptr<SceneCardCharacterdb>& link : story.sceneCardCharacters()) {
            if (link->sceneCardID() != card->sceneCardID())
                continue;
            const Characterdb* character = story.characterForCharacterID(link->characterID());
            // A character that no longer exists shows the generic picture and no text.
            const QImage picture = character ? pictureOf(story.displayImageForCharacter(*character))
                                             : QImage(QStringLiteral(":/images/GenericCharacter.png"));
            pictured(character ? character->characterName() : QString(), bold(),
                     character ? character->description() : QString(), picture, left, 55);
            anyCharacter = true;
        }
        rule(anyCharacter ? 55 : 0);

        r.setLayout(kLeft, 0, 0);
        r.addText(QStringLiteral("Attachments"), bold(), false);
        bool anyAttachment = false;
        for (const std::unique_ptr<SceneCardObjectdb>& link : story.sceneCardObjects()) {
            if (link->sceneCardID() != card->sceneCardID())
                continue;
            const AttachedObjectdb* attachment = story.attachmentForID(link->attachedObjectID());
            const QImage thumbnail =
                attachment ? pictureOf(attachment->getThumbnail().value_or(QByteArray())) : QImage();
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
    // Board order, in a list of our own: the board keeps its order.
    std::vector<SceneCarddb*> cards;
    for (const std::unique_ptr<SceneCarddb>& card : story.sceneCards())
        cards.push_back(card.get());
    std::stable_sort(cards.begin(), cards.end(),
                     [](const SceneCarddb* a, const SceneCarddb* b) { return a->sortByLocation(*b) < 0; });
    const ScriptElementdb* heading = story.elementForElementType(QStringLiteral("Scene Heading"));
    // One blank line follows these paragraphs.
    std::array<std::int64_t, 3> spaced{};
    const char* spacedTypes[] = {"Action", "Dialogue", "Transition"};
    for (std::size_t index = 0; index < spaced.size(); ++index) {
        const ScriptElementdb* element = story.elementForElementType(QLatin1String(spacedTypes[index]));
        spaced[index] = element ? element->scriptElementID() : -1;
    }

    std::vector<ScriptReportLayout::Paragraph> paragraphs;
    for (SceneCarddb* card : cards) {
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

#include "StoryReports.h"

#include "BlockOfTextView.h"
#include "ReportElement.h"
#include "ReportProgress.h"
#include "ReportText.h"
#include "model/AttachedObjectdb.h"
#include "model/Beatdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/Loglinedb.h"
#include "model/SceneLocationObjectdb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StickyNotedb.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

namespace StoryReports {

namespace {

QFont plain()
{
    return ReportText::systemFont(10);
}

QFont bold(int points = 10)
{
    return ReportText::boldSystemFont(points);
}

// Sets the indent and keep-together that the next block takes.
void use(StoryReport& report, std::int64_t indent, std::int64_t keep)
{
    report.info().leftIndent = indent;
    report.info().minLineSpace = keep;
}

QImage pictureOf(const QByteArray& data)
{
    return data.isEmpty() ? QImage() : QImage::fromData(data);
}

// Records sorted by a name without regard to case, in a list of their own: the story's lists
// keep their order.
template <typename Record, typename Name>
std::vector<Record*> sortedByName(const RecordList<Record>& records, Name name)
{
    std::vector<Record*> sorted;
    for (const std::unique_ptr<Record>& record : records)
        sorted.push_back(record.get());
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Record* left, const Record* right) {
        return QString::compare(name(*left), name(*right), Qt::CaseInsensitive) < 0;
    });
    return sorted;
}

// A picture of `side` points at x, beside the block that starts at `top`.
void placePicture(StoryReport& report, const QImage& image, float x, float top, float side)
{
    report.place(std::make_unique<ReportImageView>(QRectF(x, top, side, side), image), false);
}

// Name, picture, description and rule of one character or location in a list.
void listEntry(StoryReport& report, const QString& name, const QImage& picture, const QString& description)
{
    constexpr float kPicture = 36;
    // The picture never runs into the footer band.
    report.keepRoom(kPicture);
    const float start = report.y();
    use(report, 55, 2);
    const BlockOfTextView& nameBlock = report.addText(name, bold(), false);
    placePicture(report, picture, float(report.info().leftMargin), float(nameBlock.frame().y()), kPicture);
    use(report, 55, 0);
    const BlockOfTextView& text = report.addText(description, plain(), false);
    if (text.bottom() - start < kPicture)
        report.setY(start + kPicture);
    use(report, 55, 0);
    report.addText(QString(), plain(), true);
}

// The attachments of a character or location: each title beside its thumbnail, then the
// description of the link; the next attachment starts below both.
template <typename Link>
bool attachmentEntries(StoryReport& report, Screenplaydb& story, const std::vector<Link*>& links)
{
    constexpr float kThumbnail = 36;
    bool any = false;
    for (const Link* link : links) {
        const AttachedObjectdb* attachment = story.attachmentForID(link->attachedObjectID());
        report.keepRoom(kThumbnail);
        use(report, 70, 2);
        const BlockOfTextView& title = report.addText(attachment ? attachment->title() : QString(), plain(), false);
        const float top = float(title.frame().y());
        const QImage thumbnail = attachment ? pictureOf(attachment->getThumbnail().value_or(QByteArray())) : QImage();
        placePicture(report, thumbnail, float(report.info().leftMargin) + 15, top, kThumbnail);
        use(report, 70, 0);
        const BlockOfTextView& description = report.addText(link->description(), plain(), false);
        // Thumbnails of attachments that follow each other never overlap.
        if (description.bottom() < top + kThumbnail + 2)
            report.setY(top + kThumbnail + 2);
        any = true;
    }
    return any;
}

// The height of one line of the reports' bold face.
float labelLine()
{
    return ReportText::singleLineHeight(500, bold());
}

// A label and the values under it, the label kept with the first lines of its first value.
void fieldGroup(StoryReport& report, std::int64_t indent, const QString& label, const QStringList& values)
{
    const std::int64_t keep = values.isEmpty() || values.front().isEmpty() ? 0 : 2;
    use(report, indent, keep);
    report.addText(label, bold(), false);
    for (const QString& value : values) {
        if (value.isEmpty())
            continue;
        use(report, indent, keep);
        report.addText(value, plain(), false);
    }
}

// One labelled field of an entry.
struct Field {
    QString label;
    QStringList values;
};

// The fields one under the other. A label goes over to the next page unless the first two lines
// of its values fit under it; a label without values goes with what follows it, `following`
// being the room that what comes after the last field needs.
void fieldGroups(StoryReport& report, std::int64_t indent, const std::vector<Field>& fields, float following)
{
    const float line = labelLine();
    std::vector<float> need(fields.size() + 1, following);
    for (std::size_t index = fields.size(); index-- > 0;) {
        const QStringList& values = fields[index].values;
        const bool empty = std::all_of(values.begin(), values.end(), [](const QString& value) { return value.isEmpty(); });
        need[index] = line + (empty ? need[index + 1] : 2 * line);
    }
    for (std::size_t index = 0; index < fields.size(); ++index) {
        report.keepRoom(need[index]);
        fieldGroup(report, indent, fields[index].label, fields[index].values);
    }
}

// The room "Attachments:" needs with what follows it: its first attachment, or the closing rule
// and `following`.
template <typename Link>
float attachmentsNeed(const std::vector<Link*>& links, float following)
{
    constexpr float kClosingRule = 17;
    return labelLine() + (links.empty() ? kClosingRule + following : 36);
}

// The reports of characters and locations: text indented 55 points beside a picture column,
// names kept with two lines of what follows.
std::unique_ptr<StoryReport> pictureColumnReport(Screenplaydb& story, const QString& title)
{
    return std::make_unique<StoryReport>(story, title, StoryReport::documentPaper(), [](ReportInfo& info) {
        info.leftIndent = 55;
        info.minLineSpace = 2;
    });
}

std::vector<Characterdb*> charactersByName(Screenplaydb& story)
{
    return sortedByName(story.characters(), [](const Characterdb& character) { return character.characterName(); });
}

std::vector<SceneLocationdb*> locationsByName(Screenplaydb& story)
{
    return sortedByName(story.sceneLocations(), [](const SceneLocationdb& location) { return location.location(); });
}

// A name in bold 12 points beside its picture of `side` points; y moves to the picture's foot
// whatever the name's height.
void pictureHeading(StoryReport& report, const QString& name, const QImage& picture, float side)
{
    report.keepRoom(side + 12);
    use(report, 55, 2);
    const float top = float(report.addText(name, bold(12), false).frame().y());
    placePicture(report, picture, float(report.info().leftMargin), top, side);
    report.setY(top + side);
}

// "Attachments:", the attachments, and the rule that closes the entry: indented 70 after an
// attachment, else at `indent`.
template <typename Link>
void attachmentsAndRule(StoryReport& report, Screenplaydb& story, std::int64_t indent, const std::vector<Link*>& links,
                        float following)
{
    report.keepRoom(attachmentsNeed(links, following));
    use(report, indent, 0);
    report.addText(QStringLiteral("Attachments:"), bold(), false);
    const bool any = attachmentEntries(report, story, links);
    use(report, any ? 70 : indent, 0);
    report.addText(QString(), plain(), true);
}

} // namespace

std::unique_ptr<StoryReport> loglines(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("LOGLINES"));
    // The current logline stands in every page header, and in the list only when the header cuts
    // it short; another with the same words is listed.
    const Loglinedb* current = story.currentLogline();
    const bool cut = current && report->view().loglineShown() != current->logline();
    for (const std::unique_ptr<Loglinedb>& logline : story.logLines())
        if (logline.get() != current || cut)
            report->addText(logline->logline(), plain(), true);
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> beatSheet(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("VANTORA BEAT SHEET"), QSizeF(612, 792));
    for (const std::unique_ptr<Beatdb>& beat : story.beats())
        report->addBeat(*beat);
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> charactersList(Screenplaydb& story)
{
    auto report = pictureColumnReport(story, QStringLiteral("CHARACTERS"));
    for (const Characterdb* character : charactersByName(story))
        listEntry(*report, character->characterName(), pictureOf(story.displayImageForCharacter(*character)),
                  character->description());
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> charactersBiography(Screenplaydb& story)
{
    auto report = pictureColumnReport(story, QStringLiteral("CHARACTER BIOGRAPHIES"));
    StoryReport& r = *report;
    const std::vector<Characterdb*> characters = charactersByName(story);
    for (std::size_t index = 0; index < characters.size(); ++index) {
        if (!ReportProgress::step(false, std::int64_t(index), std::int64_t(characters.size())))
            return nullptr;
        const Characterdb* c = characters[index];
        pictureHeading(r, c->characterName(), pictureOf(story.displayImageForCharacter(*c)), 36);
        // Gender and age on one row, each value after its label.
        const float row = r.y();
        const std::array<std::tuple<std::int64_t, QString, std::int64_t, QString>, 2> cells{{
            {55, QStringLiteral("Gender:"), 110, c->gender()},
            {165, QStringLiteral("Age:"), 210, c->age()},
        }};
        float rowBottom = row;
        for (const auto& [labelIndent, label, indent, value] : cells) {
            use(r, labelIndent, 0);
            rowBottom = std::max(rowBottom, r.textAt(row, label, bold(), false).bottom());
            use(r, StoryReport::valueIndent(label, bold(), labelIndent, indent), 0);
            rowBottom = std::max(rowBottom, r.textAt(row, value, plain(), false).bottom());
        }
        r.setY(rowBottom);
        std::vector<Field> fields{{QStringLiteral("Description:"), {c->description()}},
                                  {QStringLiteral("Wants:"), {c->wants()}},
                                  {QStringLiteral("Needs:"), {c->needs()}}};
        const std::array<std::pair<const char*, QStringList>, 6> fixes{{
            {"First", {c->needsFixing1(), c->needsFixing1Notes()}},
            {"Second", {c->needsFixing2(), c->needsFixing2Notes()}},
            {"Third", {c->needsFixing3(), c->needsFixing3Notes()}},
            {"Fourth", {c->needsFixing4(), c->needsFixing4Notes()}},
            {"Fifth", {c->needsFixing5(), c->needsFixing5Notes()}},
            {"Sixth", {c->needsFixing6(), c->needsFixing6Notes()}},
        }};
        for (const auto& [ordinal, values] : fixes)
            fields.push_back({QStringLiteral("%1 Thing That Needs Fixing:").arg(QLatin1String(ordinal)), values});
        fields.push_back({QStringLiteral("Notes:"), {c->notes()}});
        // What follows the last entry's rule: the next entry's name beside its picture.
        const float next = index + 1 < characters.size() ? 36 + 12 : 0;
        fieldGroups(r, 0, fields, attachmentsNeed(c->characterObjects(), next));
        attachmentsAndRule(r, story, 0, c->characterObjects(), next);
    }
    r.finish();
    return report;
}

std::unique_ptr<StoryReport> locationsList(Screenplaydb& story)
{
    auto report = pictureColumnReport(story, QStringLiteral("LOCATIONS"));
    for (const SceneLocationdb* location : locationsByName(story))
        listEntry(*report, location->location(), pictureOf(story.displayImageForLocation(*location)),
                  location->description());
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> locationsDetails(Screenplaydb& story)
{
    auto report = pictureColumnReport(story, QStringLiteral("LOCATION DETAILS"));
    StoryReport& r = *report;
    const std::vector<SceneLocationdb*> locations = locationsByName(story);
    for (std::size_t index = 0; index < locations.size(); ++index) {
        const SceneLocationdb* location = locations[index];
        pictureHeading(r, location->location(), pictureOf(story.displayImageForLocation(*location)), 40);
        const float next = index + 1 < locations.size() ? 40 + 12 : 0;
        fieldGroups(r, 55,
                    {{QStringLiteral("Description:"), {location->description()}},
                     {QStringLiteral("Notes:"), {location->notes()}}},
                    attachmentsNeed(location->locationObjects(), next));
        attachmentsAndRule(r, story, 55, location->locationObjects(), next);
    }
    r.finish();
    return report;
}

std::unique_ptr<StoryReport> setups(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("SET-UPS"), StoryReport::documentPaper(),
                                                [](ReportInfo& info) { info.minLineSpace = 2; });
    for (const std::unique_ptr<SceneSetupdb>& setup : story.sceneSetups()) {
        report->addText(story.fullDescriptionForSetup(*setup), bold(), false);
        const ScenePayoffdb* payoff =
            setup->scenePayoffID() != 0 ? story.payoffForPayoffID(setup->scenePayoffID()) : nullptr;
        report->addText(payoff ? story.fullDescriptionForPayoff(*payoff) : QStringLiteral("NO PAY-OFF"), plain(),
                        true);
    }
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> payoffs(Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("PAY-OFFS"), StoryReport::documentPaper(),
                                                [](ReportInfo& info) { info.minLineSpace = 2; });
    for (const std::unique_ptr<ScenePayoffdb>& payoff : story.scenePayoffs()) {
        report->addText(story.fullDescriptionForPayoff(*payoff), bold(), false);
        const SceneSetupdb* setup = story.setupForPayoffID(payoff->scenePayoffID());
        report->addText(setup ? story.fullDescriptionForSetup(*setup) : QStringLiteral("NO SET-UP"), plain(), true);
    }
    report->finish();
    return report;
}

std::unique_ptr<StoryReport> generalNotes(Screenplaydb& story, std::int64_t colour,
                                          const std::function<QColor(std::int64_t)>& palette)
{
    auto report = pictureColumnReport(story, QStringLiteral("GENERAL NOTES/ATTACHMENTS"));
    StoryReport& r = *report;
    r.setY(r.y() + 2);
    // The story's two lists are put in colour order, then title order, and keep it.
    const auto byColour = [](const auto& left, const auto& right) { return left->sortByColor(*right) < 0; };
    story.attachedObjects().stableSort(byColour);
    story.stickyNotes().stableSort(byColour);
    std::vector<AttachedObjectdb*> attachments;
    for (const std::unique_ptr<AttachedObjectdb>& attachment : story.attachedObjects())
        if (colour == 0 || attachment->color() == colour)
            attachments.push_back(attachment.get());
    std::vector<StickyNotedb*> notes;
    for (const std::unique_ptr<StickyNotedb>& note : story.stickyNotes())
        if (colour == 0 || note->color() == colour)
            notes.push_back(note.get());

    constexpr float kThumbnail = 32;
    // An attachment takes at least 41 points from its title's top to the next item's, its box 40
    // of them. Every box starts 3 points above its title and ends a point above the next box; its
    // lower edge runs 2 points under the last line of its text, below the letters that reach
    // into the line's descent (g, p, y).
    constexpr float kLeastAttachment = 41;
    constexpr float kAboveTitle = 3;
    constexpr float kBetweenBoxes = 1;
    constexpr float kUnderText = 2;
    const auto nextAfter = [&](float textBottom) { return textBottom + kUnderText + kBetweenBoxes + kAboveTitle; };
    const auto box = [&](float top, float next, std::int64_t colour) {
        r.placeBoxes(top - kAboveTitle, next - kAboveTitle - kBetweenBoxes, palette(colour));
        r.setY(next);
    };
    for (const AttachedObjectdb* attachment : attachments) {
        r.keepRoom(kLeastAttachment);
        use(r, 70, 2);
        const float top = float(r.addText(attachment->title(), plain(), false).frame().y());
        placePicture(r, pictureOf(attachment->getThumbnail().value_or(QByteArray())),
                     float(r.info().leftMargin) + 15, top, kThumbnail);
        use(r, 70, 0);
        const float textBottom = r.addText(attachment->textDescription(), plain(), false).bottom();
        box(top, std::max(top + kLeastAttachment, nextAfter(textBottom)), attachment->color());
    }
    for (const StickyNotedb* note : notes) {
        use(r, 10, 2);
        const float top = float(r.addText(note->title(), plain(), false).frame().y());
        use(r, 10, 0);
        box(top, nextAfter(r.addText(note->textNote(), plain(), false).bottom()), note->color());
    }
    r.finish();
    return report;
}

} // namespace StoryReports

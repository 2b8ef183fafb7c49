#include "PreviousVersionProject.h"

#include "KeyedArchive.h"

#include <array>
#include <limits>
#include <span>
#include <unordered_set>

namespace PreviousVersion {

namespace {

// The largest position or width, in points, an earlier version's board or window could hold;
// a value past it, or one that is no number, marks the file as damaged.
constexpr double kLargestPosition = 1.0e9;

[[noreturn]] void notANumber(const char* key)
{
    throw ArchiveError{
        QStringLiteral("The value of \"%1\" is not a number the project can hold.").arg(QString::fromLatin1(key))};
}

std::int32_t int32Field(const ArchivedValue& field, const char* key)
{
    const std::optional<std::int64_t> read = field.integer();
    if (!read && field.present())
        notANumber(key);
    const std::int64_t value = read.value_or(0);
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        throw ArchiveError{QStringLiteral("The value of \"%1\" is out of range.").arg(QString::fromLatin1(key))};
    return static_cast<std::int32_t>(value);
}

float floatField(const ArchivedValue& field, const char* key)
{
    const std::optional<double> read = field.real();
    if (!read && field.present())
        notANumber(key);
    const double value = read.value_or(0.0);
    if (!(value >= -kLargestPosition && value <= kLargestPosition))
        throw ArchiveError{QStringLiteral("The value of \"%1\" is out of range.").arg(QString::fromLatin1(key))};
    return static_cast<float>(value);
}

QString textField(const ArchivedValue& field)
{
    return field.text().value_or(QString());
}

// The same, for the field under keys[at] of the object `fields` read last.
std::int32_t int32Field(const ArchivedFields& fields, std::size_t at)
{
    return int32Field(fields[at], fields.key(at));
}

float floatField(const ArchivedFields& fields, std::size_t at)
{
    return floatField(fields[at], fields.key(at));
}

void expectClass(const QString& found, const char* name)
{
    if (found != QLatin1StringView(name))
        throw ArchiveError{QStringLiteral("The archive holds a \"%1\" where a \"%2\" belongs.")
                               .arg(found, QString::fromLatin1(name))};
}

// The keys each record is archived under, in the order of the decoding's reads.
enum CardKey : std::size_t {
    kSceneCardID,
    kHeading,
    kDescription,
    kNotes,
    kScript,
    kEmotionalChange,
    kConflict,
    kPageNumber,
    kPositionLeft,
    kPositionTop,
    kPositionWidth,
    kPositionPercentage,
    kFirstColorKey,
    kOnBoard = kFirstColorKey + 6,
};
constexpr std::array<const char*, kOnBoard + 1> kCardKeys = {
    "sceneCardID", "heading", "description", "notes", "script", "emotionalChange", "conflict", "pageNumber",
    "positionLeft", "positionTop", "positionWidth", "positionPercentage", "colorKey", "colorKey2", "colorKey3",
    "colorKey4", "colorKey5", "colorKey6", "onBoard"};

enum SetupKey : std::size_t { kSceneSetupID, kSetupCardID, kSetup, kPayOffID };
constexpr std::array<const char*, 4> kSetupKeys = {"sceneSetupID", "sceneCardID", "setup", "payOffID"};

enum PayoffKey : std::size_t { kScenePayoffID, kPayoffCardID, kScenePayoff };
constexpr std::array<const char*, 3> kPayoffKeys = {"scenePayoffID", "sceneCardID", "scenePayoff"};

// The records of an archived list, refused at the first one whose id another already has (ids
// become row ids of the new story).
template <typename Record, typename Id>
std::vector<Record> decodeList(const ArchivedObject& archived, const char* key, std::span<const char* const> keys,
                               const char* className, Id id, const char* kind)
{
    std::vector<Record> records;
    const std::optional<std::vector<ArchivedObject>> elements = archived.objects(key);
    if (!elements)
        return records;
    records.reserve(elements->size());
    std::unordered_set<std::int32_t> ids;
    ids.reserve(elements->size());
    ArchivedFields fields(keys);
    for (const ArchivedObject& element : *elements) {
        fields.read(element);
        expectClass(fields.className(), className);
        records.push_back(Record::decode(fields));
        const std::int32_t recordId = records.back().*id;
        if (!ids.insert(recordId).second)
            throw ArchiveError{
                QStringLiteral("Two %1 have the same id, %2.").arg(QString::fromLatin1(kind)).arg(recordId)};
    }
    return records;
}

} // namespace

PageRanges PageRanges::initWithPages(std::int32_t pages)
{
    PageRanges ranges;
    ranges.section1From = 1;
    ranges.section2To = pages / 2;
    ranges.section3From = ranges.section2To + 1;
    ranges.section1To = static_cast<std::int32_t>(ranges.section2To * 0.45);
    ranges.section2From = ranges.section1To + 1;
    ranges.section3To = ranges.section2To + ranges.section3From - ranges.section2From;
    ranges.section4From = ranges.section3To + 1;
    ranges.section4To = pages;
    return ranges;
}

SceneCard SceneCard::decode(const ArchivedFields& fields)
{
    SceneCard card;
    card.sceneCardID = int32Field(fields, kSceneCardID);
    card.heading = textField(fields[kHeading]);
    card.description = textField(fields[kDescription]);
    card.notes = textField(fields[kNotes]);
    card.script = textField(fields[kScript]);
    card.emotionalChange = textField(fields[kEmotionalChange]);
    card.conflict = textField(fields[kConflict]);
    card.pageNumber = int32Field(fields, kPageNumber);
    card.positionLeft = floatField(fields, kPositionLeft);
    card.positionTop = floatField(fields, kPositionTop);
    card.positionWidth = floatField(fields, kPositionWidth);
    card.positionPercentage = floatField(fields, kPositionPercentage);
    for (std::size_t slot = 0; slot < card.colorKeys.size(); ++slot)
        card.colorKeys[slot] = int32Field(fields, kFirstColorKey + slot);
    card.onBoard = fields[kOnBoard].boolean().value_or(false);
    return card;
}

int SceneCard::sortSceneCards(const SceneCard& other, const PageRanges& ranges) const
{
    auto key = [&ranges](const SceneCard& card) {
        const std::int32_t page = card.pageNumber;
        double base = 400000;
        if (page >= 1 && page <= ranges.section1To)
            base = 100000;
        else if (page >= ranges.section2From && page <= ranges.section2To)
            base = 200000;
        else if (page >= ranges.section3From && page <= ranges.section3To)
            base = 300000;
        return base + static_cast<double>(card.positionLeft);
    };
    return key(*this) >= key(other) ? 1 : -1;
}

SceneSetup SceneSetup::decode(const ArchivedFields& fields)
{
    SceneSetup setup;
    setup.sceneSetupID = int32Field(fields, kSceneSetupID);
    setup.sceneCardID = int32Field(fields, kSetupCardID);
    setup.sceneSetup = textField(fields[kSetup]);
    setup.payOffID = int32Field(fields, kPayOffID);
    return setup;
}

ScenePayoff ScenePayoff::decode(const ArchivedFields& fields)
{
    ScenePayoff payoff;
    payoff.scenePayoffID = int32Field(fields, kScenePayoffID);
    payoff.sceneCardID = int32Field(fields, kPayoffCardID);
    payoff.scenePayoff = textField(fields[kScenePayoff]);
    return payoff;
}

Screenplay Screenplay::decode(const ArchivedObject& archived)
{
    Screenplay story;
    story.screenPlayTitle = archived.text("screenPlayTitle");
    story.logLine = textField(archived.value("logLine"));
    story.genre = textField(archived.value("genre"));
    story.formWidth = floatField(archived.value("formWidth"), "formWidth");
    for (std::size_t beat = 0; beat < story.beats.size(); ++beat)
        story.beats[beat] = textField(archived.value(QStringLiteral("beat%1").arg(beat + 1).toLatin1().constData()));
    story.sceneCards = decodeList<SceneCard>(archived, "sceneCards", kCardKeys, "SceneCard", &SceneCard::sceneCardID,
                                             "scene cards");
    story.sceneSetups = decodeList<SceneSetup>(archived, "sceneSetups", kSetupKeys, "SceneSetup",
                                               &SceneSetup::sceneSetupID, "set-ups");
    story.scenePayoffs = decodeList<ScenePayoff>(archived, "scenePayoffs", kPayoffKeys, "ScenePayoff",
                                                 &ScenePayoff::scenePayoffID, "pay-offs");
    story.isVersion2 = archived.has("pageCount");
    story.pageCount = int32Field(archived.value("pageCount"), "pageCount");
    story.generalNotes = textField(archived.value("generalNotes"));
    return story;
}

Screenplay readProject(const QByteArray& bytes)
{
    const KeyedArchive archive = KeyedArchive::read(bytes);
    const ArchivedObject root = archive.root();
    expectClass(root.className(), "Screenplay");
    return Screenplay::decode(root);
}

} // namespace PreviousVersion

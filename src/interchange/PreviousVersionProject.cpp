#include "PreviousVersionProject.h"

#include "KeyedArchive.h"

#include <limits>
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

std::int32_t int32Field(const ArchivedObject& archived, const char* key)
{
    const std::optional<std::int64_t> read = archived.integer(key);
    if (!read && archived.has(key))
        notANumber(key);
    const std::int64_t value = read.value_or(0);
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        throw ArchiveError{QStringLiteral("The value of \"%1\" is out of range.").arg(QString::fromLatin1(key))};
    return static_cast<std::int32_t>(value);
}

float floatField(const ArchivedObject& archived, const char* key)
{
    const std::optional<double> read = archived.real(key);
    if (!read && archived.has(key))
        notANumber(key);
    const double value = read.value_or(0.0);
    if (!(value >= -kLargestPosition && value <= kLargestPosition))
        throw ArchiveError{QStringLiteral("The value of \"%1\" is out of range.").arg(QString::fromLatin1(key))};
    return static_cast<float>(value);
}

QString textField(const ArchivedObject& archived, const char* key)
{
    return archived.text(key).value_or(QString());
}

void expectClass(const ArchivedObject& archived, const char* name)
{
    if (archived.className() != QLatin1StringView(name))
        throw ArchiveError{QStringLiteral("The archive holds a \"%1\" where a \"%2\" belongs.")
                               .arg(archived.className(), QString::fromLatin1(name))};
}

// The records of an archived list, refused at the first one whose id another already has (ids
// become row ids of the new story).
template <typename Record, typename Id>
std::vector<Record> decodeList(const ArchivedObject& archived, const char* key, const char* className, Id id,
                               const char* kind)
{
    std::vector<Record> records;
    std::unordered_set<std::int32_t> ids;
    for (const ArchivedObject& element : archived.objects(key).value_or(std::vector<ArchivedObject>())) {
        expectClass(element, className);
        records.push_back(Record::decode(element));
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

SceneCard SceneCard::decode(const ArchivedObject& archived)
{
    SceneCard card;
    card.sceneCardID = int32Field(archived, "sceneCardID");
    card.heading = textField(archived, "heading");
    card.description = textField(archived, "description");
    card.notes = textField(archived, "notes");
    card.script = textField(archived, "script");
    card.emotionalChange = textField(archived, "emotionalChange");
    card.conflict = textField(archived, "conflict");
    card.pageNumber = int32Field(archived, "pageNumber");
    card.positionLeft = floatField(archived, "positionLeft");
    card.positionTop = floatField(archived, "positionTop");
    card.positionWidth = floatField(archived, "positionWidth");
    card.positionPercentage = floatField(archived, "positionPercentage");
    static constexpr std::array<const char*, 6> kColorKeys = {"colorKey",  "colorKey2", "colorKey3",
                                                              "colorKey4", "colorKey5", "colorKey6"};
    for (std::size_t slot = 0; slot < kColorKeys.size(); ++slot)
        card.colorKeys[slot] = int32Field(archived, kColorKeys[slot]);
    card.onBoard = archived.boolean("onBoard").value_or(false);
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

SceneSetup SceneSetup::decode(const ArchivedObject& archived)
{
    SceneSetup setup;
    setup.sceneSetupID = int32Field(archived, "sceneSetupID");
    setup.sceneCardID = int32Field(archived, "sceneCardID");
    setup.sceneSetup = textField(archived, "setup");
    setup.payOffID = int32Field(archived, "payOffID");
    return setup;
}

ScenePayoff ScenePayoff::decode(const ArchivedObject& archived)
{
    ScenePayoff payoff;
    payoff.scenePayoffID = int32Field(archived, "scenePayoffID");
    payoff.sceneCardID = int32Field(archived, "sceneCardID");
    payoff.scenePayoff = textField(archived, "scenePayoff");
    return payoff;
}

Screenplay Screenplay::decode(const ArchivedObject& archived)
{
    Screenplay story;
    story.screenPlayTitle = archived.text("screenPlayTitle");
    story.logLine = textField(archived, "logLine");
    story.genre = textField(archived, "genre");
    story.formWidth = floatField(archived, "formWidth");
    for (std::size_t beat = 0; beat < story.beats.size(); ++beat)
        story.beats[beat] = textField(archived, QStringLiteral("beat%1").arg(beat + 1).toLatin1().constData());
    story.sceneCards =
        decodeList<SceneCard>(archived, "sceneCards", "SceneCard", &SceneCard::sceneCardID, "scene cards");
    story.sceneSetups =
        decodeList<SceneSetup>(archived, "sceneSetups", "SceneSetup", &SceneSetup::sceneSetupID, "set-ups");
    story.scenePayoffs =
        decodeList<ScenePayoff>(archived, "scenePayoffs", "ScenePayoff", &ScenePayoff::scenePayoffID, "pay-offs");
    story.isVersion2 = archived.has("pageCount");
    story.pageCount = int32Field(archived, "pageCount");
    story.generalNotes = textField(archived, "generalNotes");
    return story;
}

Screenplay readProject(const QByteArray& bytes)
{
    const KeyedArchive archive = KeyedArchive::read(bytes);
    const ArchivedObject root = archive.root();
    expectClass(root, "Screenplay");
    return Screenplay::decode(root);
}

} // namespace PreviousVersion

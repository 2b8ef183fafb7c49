// Reading an earlier version's project of 4,000 and of 20,000 cards, and importing it into a new
// story file, each beside its floor measured in the same run: the property-list library alone
// parsing the same bytes and visiting every object and every card's fields once; and for the
// import, the library reading every card, set-up and pay-off into plain structs, then a new
// story file receiving the same rows (cards, script lines, characters of the cues and their
// links, set-ups, pay-offs, the story's row) through plain prepared statements in one
// transaction.
#include "../support/FloorNewStory.h"
#include "interchange/PreviousVersionImport.h"
#include "interchange/NewStoryFile.h"
#include "interchange/PreviousVersionProject.h"
#include "model/StoryFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <plist/plist.h>
#include <sqlite3.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A version 2 project of `cards` scene cards (each with its texts and a three-line script), a
// set-up and a pay-off per ten cards, as a binary keyed archive.
QByteArray project(int cards)
{
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    std::uint64_t count = 1;
    auto add = [&](plist_t node) {
        plist_array_append_item(objects, node);
        return count++;
    };
    auto text = [&](const std::string& value) { return plist_new_uid(add(plist_new_string(value.c_str()))); };
    std::map<std::string, std::uint64_t> classes;
    auto object = [&](const char* className, const std::map<std::string, plist_t>& fields) {
        if (!classes.count(className)) {
            plist_t description = plist_new_dict();
            plist_dict_set_item(description, "$classname", plist_new_string(className));
            classes[className] = add(description);
        }
        plist_t dict = plist_new_dict();
        for (const auto& [key, value] : fields)
            plist_dict_set_item(dict, key.c_str(), value);
        plist_dict_set_item(dict, "$class", plist_new_uid(classes[className]));
        return add(dict);
    };
    auto array = [&](const std::vector<std::uint64_t>& items) {
        plist_t list = plist_new_array();
        for (std::uint64_t item : items)
            plist_array_append_item(list, plist_new_uid(item));
        return plist_new_uid(object("NSMutableArray", {{"NS.objects", list}}));
    };
    std::vector<std::uint64_t> cardIndexes;
    std::vector<std::uint64_t> setups;
    std::vector<std::uint64_t> payoffs;
    for (int id = 1; id <= cards; ++id) {
        const std::string number = std::to_string(id);
        cardIndexes.push_back(object(
            "SceneCard", {{"sceneCardID", plist_new_uint(static_cast<std::uint64_t>(id))},
                          {"heading", text("INT. ROOM " + number + " - NIGHT")},
                          {"description", text("The keeper climbs the stairs for the " + number + "th time.")},
                          {"notes", text("Keep the lamp in frame.")},
                          {"emotionalChange", text("+ to -")},
                          {"conflict", text("Keeper vs the storm")},
                          {"script", text("\t\tKEEPER (V.O.)\n\t(quietly)\n\tNot tonight.\nRain on the glass.")},
                          {"pageNumber", plist_new_uint(static_cast<std::uint64_t>(1 + id % 110))},
                          {"positionLeft", plist_new_real(10.0 + id % 900)},
                          {"positionTop", plist_new_real(200.0)},
                          {"positionWidth", plist_new_real(270.0)},
                          {"positionPercentage", plist_new_real(0.25)},
                          {"colorKey", plist_new_uint(2)},
                          {"onBoard", plist_new_bool(id % 9 != 0)}}));
        if (id % 10 == 0) {
            setups.push_back(object("SceneSetup", {{"sceneSetupID", plist_new_uint(static_cast<std::uint64_t>(id))},
                                                   {"sceneCardID", plist_new_uint(static_cast<std::uint64_t>(id))},
                                                   {"setup", text("The gun in the drawer")},
                                                   {"payOffID", plist_new_uint(static_cast<std::uint64_t>(id))}}));
            payoffs.push_back(object("ScenePayoff", {{"scenePayoffID", plist_new_uint(static_cast<std::uint64_t>(id))},
                                                     {"sceneCardID", plist_new_uint(static_cast<std::uint64_t>(id))},
                                                     {"scenePayoff", text("It is fired")}}));
        }
    }
    const std::uint64_t root = object("Screenplay", {{"screenPlayTitle", text("The Lighthouse")},
                                                     {"logLine", text("A keeper guards a lighthouse.")},
                                                     {"genre", text("Thriller")},
                                                     {"formWidth", plist_new_real(1280.0)},
                                                     {"sceneCards", array(cardIndexes)},
                                                     {"sceneSetups", array(setups)},
                                                     {"scenePayoffs", array(payoffs)},
                                                     {"pageCount", plist_new_uint(110)},
                                                     {"generalNotes", text("one\ntwo\nthree")}});
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(root));
    plist_t archive = plist_new_dict();
    plist_dict_set_item(archive, "$version", plist_new_uint(100000));
    plist_dict_set_item(archive, "$top", top);
    plist_dict_set_item(archive, "$objects", objects);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(archive, &bytes, &length);
    QByteArray written(bytes, static_cast<qsizetype>(length));
    std::free(bytes);
    plist_free(archive);
    return written;
}

struct Fixture {
    QTemporaryDir folder;
    QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
    std::map<int, QString> projects;

    Fixture() { StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master); }

    const QString& projectOf(int cards)
    {
        auto found = projects.find(cards);
        if (found != projects.end())
            return found->second;
        const QString path = folder.filePath(QStringLiteral("Project%1.vtr").arg(cards));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(project(cards));
        return projects[cards] = path;
    }
};

Fixture& fixture()
{
    static Fixture shared;
    return shared;
}

QByteArray bytesOf(int cards)
{
    QFile file(fixture().projectOf(cards));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_ReadPreviousVersionProject(benchmark::State& state)
{
    const QByteArray bytes = bytesOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const PreviousVersion::Screenplay read = PreviousVersion::readProject(bytes);
        benchmark::DoNotOptimize(read.sceneCards.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadPreviousVersionProject)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Floor: the library parses the bytes, the object table is walked once, and every field of every
// card is visited once through the library's own iterators, each text read as UTF-8.
void BM_ReadPreviousVersionProject_Floor(benchmark::State& state)
{
    const QByteArray bytes = bytesOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        plist_t archive = nullptr;
        plist_from_memory(bytes.constData(), static_cast<std::uint32_t>(bytes.size()), &archive);
        plist_t objects = plist_dict_get_item(archive, "$objects");
        std::vector<plist_t> table;
        plist_array_iter objectIterator = nullptr;
        plist_array_new_iter(objects, &objectIterator);
        for (plist_t item = nullptr;;) {
            plist_array_next_item(objects, objectIterator, &item);
            if (!item)
                break;
            table.push_back(item);
        }
        std::free(objectIterator);
        std::size_t visited = 0;
        for (plist_t object : table) {
            if (plist_get_node_type(object) == PLIST_STRING) {
                std::uint64_t length = 0;
                const char* value = plist_get_string_ptr(object, &length);
                visited += static_cast<std::size_t>(QString::fromUtf8(value, static_cast<qsizetype>(length)).size());
                continue;
            }
            if (plist_get_node_type(object) != PLIST_DICT)
                continue;
            plist_dict_iter fieldIterator = nullptr;
            plist_dict_new_iter(object, &fieldIterator);
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(object, fieldIterator, &key, &value);
                if (!key)
                    break;
                visited += value ? 1 : 0;
                std::free(key);
            }
            std::free(fieldIterator);
        }
        benchmark::DoNotOptimize(visited);
        plist_free(archive);
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadPreviousVersionProject_Floor)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The whole import: read, new story file, every card, script line, set-up and pay-off written.
void BM_ImportPreviousVersionProject(benchmark::State& state)
{
    const QString& path = fixture().projectOf(static_cast<int>(state.range(0)));
    const QString target = fixture().folder.filePath(QStringLiteral("Imported.vtrsf"));
    for (auto _ : state) {
        if (PreviousVersion::makeStoryFromProject(path, target, fixture().master)) {
            state.SkipWithError("the project was refused");
            return;
        }
    }
    countImportedRows(state, target);
}
BENCHMARK(BM_ImportPreviousVersionProject)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

// --- The import's floor -----------------------------------------------------------------------------

// The archive's objects as the floor reads them: uid references followed through the object
// table by hand.
class FloorArchive
{
public:
    explicit FloorArchive(const QByteArray& bytes)
    {
        plist_from_memory(bytes.constData(), static_cast<std::uint32_t>(bytes.size()), &archive_);
        plist_t objects = archive_ ? plist_dict_get_item(archive_, "$objects") : nullptr;
        eachItem(objects, [this](plist_t item) { table_.push_back(item); });
    }
    // Calls `visit` with each item of `array` in order, through the library's iterator (reaching
    // an item by its index walks the array from its start).
    template <typename Visit>
    static void eachItem(plist_t array, Visit visit)
    {
        if (!array || plist_get_node_type(array) != PLIST_ARRAY)
            return;
        plist_array_iter iterator = nullptr;
        plist_array_new_iter(array, &iterator);
        for (plist_t item = nullptr;;) {
            plist_array_next_item(array, iterator, &item);
            if (!item)
                break;
            visit(item);
        }
        std::free(iterator);
    }
    ~FloorArchive() { plist_free(archive_); }
    FloorArchive(const FloorArchive&) = delete;
    FloorArchive& operator=(const FloorArchive&) = delete;

    plist_t root() const
    {
        plist_t top = archive_ ? plist_dict_get_item(archive_, "$top") : nullptr;
        return object(top ? plist_dict_get_item(top, "root") : nullptr);
    }
    // What a field refers to (the field itself when it holds a value).
    plist_t object(plist_t node) const
    {
        if (!node || plist_get_node_type(node) != PLIST_UID)
            return node;
        std::uint64_t index = 0;
        plist_get_uid_val(node, &index);
        return index < table_.size() ? table_[index] : nullptr;
    }
    plist_t field(plist_t dict, const char* key) const { return object(plist_dict_get_item(dict, key)); }
    QString text(plist_t dict, const char* key) const
    {
        plist_t node = field(dict, key);
        std::uint64_t length = 0;
        const bool isText = node && plist_get_node_type(node) == PLIST_STRING;
        const char* value = isText ? plist_get_string_ptr(node, &length) : "";
        return QString::fromUtf8(value, static_cast<qsizetype>(length));
    }
    std::int64_t integer(plist_t dict, const char* key) const
    {
        plist_t node = field(dict, key);
        std::uint64_t value = 0;
        if (node && plist_get_node_type(node) == PLIST_UINT)
            plist_get_uint_val(node, &value);
        return static_cast<std::int64_t>(value);
    }
    double real(plist_t dict, const char* key) const
    {
        plist_t node = field(dict, key);
        double value = 0.0;
        if (node && plist_get_node_type(node) == PLIST_REAL)
            plist_get_real_val(node, &value);
        return value;
    }
    bool flag(plist_t dict, const char* key) const
    {
        plist_t node = field(dict, key);
        std::uint8_t value = 0;
        if (node && plist_get_node_type(node) == PLIST_BOOLEAN)
            plist_get_bool_val(node, &value);
        return value != 0;
    }
    // The items of an archived array field.
    std::vector<plist_t> items(plist_t dict, const char* key) const
    {
        std::vector<plist_t> found;
        plist_t array = field(dict, key);
        plist_t list = array ? plist_dict_get_item(array, "NS.objects") : nullptr;
        eachItem(list, [&](plist_t item) { found.push_back(object(item)); });
        return found;
    }

private:
    plist_t archive_ = nullptr;
    std::vector<plist_t> table_;
};

struct FloorCard {
    std::int64_t key;
    QString heading, description, notes, emotionalChange, conflict, script;
    std::int64_t page;
    double left;
    double percentage;
    std::int64_t color;
    bool onBoard;
};

bool floorImport(const QString& path, const QString& target, const QString& master)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const FloorArchive archive(source.readAll());
    plist_t root = archive.root();
    if (!root)
        return false;
    std::vector<FloorCard> cards;
    for (plist_t card : archive.items(root, "sceneCards"))
        cards.push_back({archive.integer(card, "sceneCardID"), archive.text(card, "heading"),
                         archive.text(card, "description"), archive.text(card, "notes"),
                         archive.text(card, "emotionalChange"), archive.text(card, "conflict"),
                         archive.text(card, "script"), archive.integer(card, "pageNumber"),
                         archive.real(card, "positionLeft"), archive.real(card, "positionPercentage"),
                         archive.integer(card, "colorKey"), archive.flag(card, "onBoard")});
    return writeFloorStory(target, master, [&](sqlite3* db, const auto& elements) {
        FloorStatement insertCard(db, "INSERT INTO SceneCard (SceneCardID, ScreenplayID, Heading, Description, Notes, "
                                      "EmotionalChange, Conflict, PageNumber, PositionLeft, PercentageHorizontal, "
                                      "ColorLegend1ID, OnBoard) VALUES (?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        FloorStatement insertPart(db, "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) "
                                      "VALUES (?, ?, ?, ?)");
        FloorStatement insertCharacter(db, "INSERT INTO Character (ScreenplayID, CharacterName) VALUES (1, ?)");
        FloorStatement insertLink(db, "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (?, ?)");
        std::unordered_map<QString, std::int64_t> cast;
        for (const FloorCard& card : cards) {
            insertCard.bind(1, card.key).bind(2, card.heading).bind(3, card.description).bind(4, card.notes);
            insertCard.bind(5, card.emotionalChange).bind(6, card.conflict).bind(7, card.page);
            insertCard.bind(8, static_cast<std::int64_t>(card.left)).bind(9, card.percentage).bind(10, card.color);
            insertCard.bind(11, std::int64_t{card.onBoard ? 1 : 2}).step();
            std::int64_t sortOrder = 0;
            std::vector<std::int64_t> linked;
            for (const QStringView line : QStringView(card.script).split(u'\n')) {
                if (line.trimmed().isEmpty())
                    continue;
                const bool cue = line.startsWith(u"\t\t");
                const QString text = line.mid(cue ? 2 : line.startsWith(u'\t') ? 1 : 0).trimmed().toString();
                const char* type = cue ? "Character"
                                   : !line.startsWith(u'\t') ? "Action"
                                   : text.startsWith(u'(')    ? "Parenthetical"
                                                              : "Dialogue";
                const auto element = elements.find(QLatin1StringView(type));
                const std::int64_t elementKey = element == elements.end() ? 0 : element->second;
                insertPart.bind(1, card.key).bind(2, ++sortOrder).bind(3, elementKey);
                insertPart.bind(4, text).step();
                if (!cue)
                    continue;
                const qsizetype bracket = text.indexOf(u'(');
                const QString name = bracket < 0 ? text : text.left(bracket).trimmed().toUpper();
                auto speaker = cast.find(name);
                if (speaker == cast.end())
                    speaker = cast.emplace(name, insertCharacter.bind(1, name).step()).first;
                if (std::find(linked.begin(), linked.end(), speaker->second) == linked.end()) {
                    linked.push_back(speaker->second);
                    insertLink.bind(1, card.key).bind(2, speaker->second).step();
                }
            }
        }
        FloorStatement insertSetup(db, "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
                                       "VALUES (?, ?, ?, ?)");
        for (plist_t setup : archive.items(root, "sceneSetups"))
            insertSetup.bind(1, archive.integer(setup, "sceneSetupID")).bind(2, archive.integer(setup, "sceneCardID"))
                .bind(3, archive.text(setup, "setup")).bind(4, archive.integer(setup, "payOffID")).step();
        FloorStatement insertPayoff(db, "INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) "
                                        "VALUES (?, ?, ?)");
        for (plist_t payoff : archive.items(root, "scenePayoffs"))
            insertPayoff.bind(1, archive.integer(payoff, "scenePayoffID"))
                .bind(2, archive.integer(payoff, "sceneCardID"))
                .bind(3, archive.text(payoff, "scenePayoff"))
                .step();
        FloorStatement story(db, "UPDATE Screenplay SET ScreenplayTitle = ?, Genre = ?, PageCount = ?");
        story.bind(1, archive.text(root, "screenPlayTitle")).bind(2, archive.text(root, "genre"));
        story.bind(3, archive.integer(root, "pageCount")).step();
        FloorStatement logline(db, "UPDATE Logline SET Logline = ?");
        logline.bind(1, archive.text(root, "logLine")).step();
        FloorStatement note(db, "INSERT INTO StickyNote (ScreenplayID, Title, Note, TextNote) VALUES (1, ?, ?, ?)");
        const QString notes = archive.text(root, "generalNotes");
        note.bind(1, QStringLiteral("Scratch Pad")).bind(2, notes).bind(3, notes).step();
    });
}

void BM_ImportPreviousVersionProject_Floor(benchmark::State& state)
{
    const QString& path = fixture().projectOf(static_cast<int>(state.range(0)));
    const QString target = fixture().folder.filePath(QStringLiteral("Floor.vtrsf"));
    for (auto _ : state) {
        if (!floorImport(path, target, fixture().master)) {
            state.SkipWithError("the floor could not import the project");
            return;
        }
    }
    countImportedRows(state, target);
}
BENCHMARK(BM_ImportPreviousVersionProject_Floor)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Reading an earlier version's project of 4,000 and of 20,000 cards, and importing it into a new
// story file, beside the floor measured in the same run: the property-list library alone parsing
// the same bytes and visiting every object and every card's fields once.
#include "interchange/PreviousVersionImport.h"
#include "interchange/PreviousVersionProject.h"
#include "model/StoryFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <plist/plist.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

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
}
BENCHMARK(BM_ImportPreviousVersionProject)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

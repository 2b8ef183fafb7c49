#pragma once

#include "FloorStatement.h"
#include "interchange/NewStoryFile.h"
#include "model/StoryFile.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <utility>

// The keys of a story file's script element types, by type.
using ElementKeys = std::unordered_map<QString, std::int64_t>;

// What an import's floor does around its rows: a new story file from the template (the
// program's own step, measured alone elsewhere), the rows written by `write` in one
// transaction on a plain connection, given the keys of the file's script element types, and
// the finished file put at `target`. Answers false when any step fails.
inline bool writeFloorStory(const QString& target, const QString& master,
                            const std::function<void(sqlite3*, const ElementKeys&)>& write)
{
    NewStoryFile file(target);
    if (!file.create(master))
        return false;
    {
        DatabaseConnection connection = StoryFile::open(file.workingPath());
        sqlite3* db = connection.get();
        const auto elements = scriptElementKeys(db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        write(db, elements);
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            return false;
    }
    return file.commit();
}

// The rows an import wrote into the story file at `path`, shown as counters beside its time, so
// that a benchmark and its floor show they wrote the same.
inline void countImportedRows(benchmark::State& state, const QString& path)
{
    DatabaseConnection connection = StoryFile::open(path);
    for (const auto& [name, sql] : {std::pair{"cards", "SELECT count(*) FROM SceneCard"},
                                    std::pair{"parts", "SELECT count(*) FROM ScriptPart"},
                                    std::pair{"characters", "SELECT count(*) FROM Character"},
                                    std::pair{"links", "SELECT count(*) FROM SceneCardCharacter"}}) {
        FloorStatement count(connection.get(), sql);
        state.counters[name] =
            sqlite3_step(count.get()) == SQLITE_ROW ? static_cast<double>(sqlite3_column_int64(count.get(), 0)) : -1.0;
    }
}

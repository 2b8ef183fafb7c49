#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;
class SceneCarddb;

// The open story: the story file's connection, the fields of its one Screenplay row, its
// collections of records and the cache of prepared statements that it and every record
// class of the story share.
class Screenplaydb
{
public:
    Screenplaydb();
    ~Screenplaydb();
    Screenplaydb(const Screenplaydb&) = delete;
    Screenplaydb& operator=(const Screenplaydb&) = delete;

    // Keeps the open connection (not owned), reads the title row and brings an older file's
    // schema up to date.
    void initWithDatabase(sqlite3* database);

    sqlite3* database() const { return database_; }
    void setDatabase(sqlite3* database);

    std::int64_t screenplayID() const { return screenplayID_; }
    void setScreenplayID(std::int64_t key) { screenplayID_ = key; }

    const QString& screenplayTitle() const { return screenplayTitle_; }

    // Cards on the board (onBoard 1) and in the Litter Box (onBoard 2), each in board order.
    std::vector<std::unique_ptr<SceneCarddb>>& sceneCards() { return sceneCards_; }
    std::vector<std::unique_ptr<SceneCarddb>>& litterBox() { return litterBox_; }
    // The board card with that key, else the Litter Box card, else nothing.
    SceneCarddb* sceneCardForSceneCardID(std::int64_t sceneCardID) const;

    // The statement cache. Answers the statement kept under `name`, preparing `sql` on the
    // story's connection the first time; a failed prepare raises "Error: failed to prepare
    // statement with message '%s'." with `source` as the reporting class and keeps nothing.
    sqlite3_stmt* statement(std::string_view name, const char* sql, const char* source,
                            const char* prepareMessage = nullptr);
    // True when the cache holds a prepared statement under `name`.
    bool hasStatement(std::string_view name) const;
    std::size_t statementCount() const { return statements_.size(); }
    // Finalizes every cached statement; the next use prepares it again on the current connection.
    void finalizeAllSqliteStatements();

    // Schema upgrades that every open applies: the script-part index and the attachment
    // MIME type column, each only when missing. They never fail the open.
    static void upgradeSchema(sqlite3* database);

private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    void readTitleRow();

    sqlite3* database_ = nullptr;
    std::int64_t screenplayID_ = 0;
    QString screenplayTitle_;
    std::vector<std::unique_ptr<SceneCarddb>> sceneCards_;
    std::vector<std::unique_ptr<SceneCarddb>> litterBox_;
    std::unordered_map<std::string, sqlite3_stmt*, NameHash, std::equal_to<>> statements_;
};

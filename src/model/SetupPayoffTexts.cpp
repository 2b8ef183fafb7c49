#include "SetupPayoffTexts.h"

#include "SceneCarddb.h"
#include "ScenePayoffdb.h"
#include "SceneSetupdb.h"
#include "Screenplaydb.h"

#include <QFile>

#include <sqlite3.h>

#include <memory>

namespace {

// SQLite steps between two looks at the stop sign.
constexpr int kStepsBetweenLooks = 1000;

struct CloseDatabase {
    void operator()(sqlite3* database) const { sqlite3_close_v2(database); }
};

struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

// Runs `sql` and hands each row to `each`; answers whether every row was read.
template <typename Each>
bool eachRow(sqlite3* database, const char* sql, Each each)
{
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(database, sql, -1, &prepared, nullptr) != SQLITE_OK)
        return false;
    const std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(prepared);
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(prepared)) == SQLITE_ROW)
        each(prepared);
    return stepped == SQLITE_DONE;
}

} // namespace

SetupPayoffTexts setupPayoffTexts(Screenplaydb& story)
{
    SetupPayoffTexts texts;
    texts.sectionShowing = story.beatSectionShowing();
    texts.fontSetting = story.standardFontSetting();
    const auto addCard = [&](std::int64_t cardID) {
        if (texts.cards.count(cardID) == 0)
            if (const SceneCarddb* card = story.sceneCardForSceneCardID(cardID))
                texts.cards.emplace(cardID, SetupPayoffTexts::Card{card->heading(), card->pageNumber()});
    };
    for (const auto& setup : story.sceneSetups()) {
        texts.setups.push_back({setup->sceneCardID(), setup->scenePayoffID(), setup->sceneSetup()});
        addCard(setup->sceneCardID());
    }
    for (const auto& payoff : story.scenePayoffs()) {
        texts.payoffs.push_back({payoff->scenePayoffID(), payoff->sceneCardID(), payoff->scenePayoff()});
        addCard(payoff->sceneCardID());
    }
    return texts;
}

std::optional<SetupPayoffTexts> readSetupPayoffTexts(const QString& path,
                                                     const std::function<bool(std::int64_t section)>& wanted,
                                                     const std::atomic<bool>& stop)
{
    // A journal beside the file is a write cut short, which the story's own connection rolls
    // back: a reader here could keep it from doing so.
    for (const char* beside : {"-journal", "-wal"})
        if (QFile::exists(path + QLatin1String(beside)))
            return std::nullopt;
    sqlite3* opened = nullptr;
    const int result = sqlite3_open_v2(QFile::encodeName(path).constData(), &opened,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const std::unique_ptr<sqlite3, CloseDatabase> database(opened);
    if (result != SQLITE_OK)
        return std::nullopt;
    // The file comes from anywhere and may not have been checked: its schema runs no code of its
    // own, and a read that takes long ends when asked to stop.
    sqlite3_db_config(opened, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(opened, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_progress_handler(
        opened, kStepsBetweenLooks,
        [](void* sign) { return static_cast<const std::atomic<bool>*>(sign)->load(std::memory_order_relaxed) ? 1 : 0; },
        const_cast<std::atomic<bool>*>(&stop));
    SetupPayoffTexts texts;
    // One read transaction: one picture of the file.
    if (sqlite3_exec(opened, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return std::nullopt;
    const bool read =
        eachRow(opened, "SELECT BeatSectionShowing,StandardFontSetting FROM Screenplay",
                [&](sqlite3_stmt* row) {
                    texts.sectionShowing = sqlite3_column_int64(row, 0);
                    texts.fontSetting = sqlite3_column_int64(row, 1);
                }) &&
        wanted(texts.sectionShowing) &&
        eachRow(opened, "SELECT SceneCardID,ScenePayoffID,SceneSetup FROM SceneSetup ORDER BY SceneSetupID",
                [&](sqlite3_stmt* row) {
                    texts.setups.push_back(
                        {sqlite3_column_int64(row, 0), sqlite3_column_int64(row, 1), columnText(row, 2)});
                }) &&
        eachRow(opened, "SELECT ScenePayoffID,SceneCardID,ScenePayoff FROM ScenePayoff ORDER BY ScenePayoffID",
                [&](sqlite3_stmt* row) {
                    texts.payoffs.push_back(
                        {sqlite3_column_int64(row, 0), sqlite3_column_int64(row, 1), columnText(row, 2)});
                }) &&
        eachRow(opened, "SELECT SceneCardID,Heading,PageNumber FROM SceneCard", [&](sqlite3_stmt* row) {
            texts.cards.emplace(sqlite3_column_int64(row, 0),
                                SetupPayoffTexts::Card{columnText(row, 1), sqlite3_column_int64(row, 2)});
        });
    sqlite3_exec(opened, "COMMIT", nullptr, nullptr, nullptr);
    if (!read || stop.load(std::memory_order_relaxed))
        return std::nullopt;
    return texts;
}

// Damaged copies of the two sample stories and of a 1,000-card story, opened the way the window
// opens a story and compared with the undamaged original field by field and paragraph by
// paragraph, scripts, pictures and files included. Each copy must be refused with a message
// naming it (and be left byte for byte as it was), or show exactly the original story, or show
// it with one stored value changed: SQLite keeps no checksums, so a flipped bit inside a text or
// a number reads as another text or number. Bytes lost at the end of a row whose last values
// are texts likewise read as other texts of the same length: several texts of one row may
// change so. Such a copy must then show exactly what a sound file holding the changed values
// shows. Anything else is another story shown without a word.
//
// The suite runs a few hundred copies; VANTORA_DAMAGED_COPIES=N runs N copies in all, spread
// over the three stories, and prints the counts.
#include "bench/support/StoryGenerator.h"
#include "model/DatabaseError.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"
#include "support/StorySnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdio>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSuiteCopiesPerStory = 90;

int copiesPerStory()
{
    const int all = qEnvironmentVariableIntValue("VANTORA_DAMAGED_COPIES");
    return all > 0 ? (all + 2) / 3 : kSuiteCopiesPerStory;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A plain connection of the test's own.
class Connection
{
public:
    Connection(const QString& path, int flags) { sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr); }
    ~Connection() { sqlite3_close_v2(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// One stored value: its SQLite kind and its bytes.
struct Value {
    int kind = SQLITE_NULL;
    QByteArray bytes;
    bool operator==(const Value& other) const { return kind == other.kind && bytes == other.bytes; }
};

// One column of one row: the row's place in its table (in key order), the column (the key is
// "rowid") and the value.
struct Cell {
    QString table;
    int row = 0;
    QString column;
    std::int64_t key = 0;
    Value value;
};

constexpr const char* kTables[] = {
    "Screenplay",    "SceneCard",      "ScriptPart",       "ScriptElement",       "Beat",
    "Logline",       "GreenlightChecklistQuestion",        "Character",           "SceneLocation",
    "ColorCode",     "StickyNote",     "AttachedObject",   "CharacterObject",     "SceneLocationObject",
    "SceneCardObject", "SceneCardCharacter", "SceneSetup", "ScenePayoff",
};

// Every stored value of every story table, each table read in key order through the table
// itself, no index; nothing when SQLite cannot read it all.
std::optional<std::vector<Cell>> storedCells(const QString& path)
{
    Connection connection(path, SQLITE_OPEN_READONLY);
    std::vector<Cell> cells;
    for (const char* table : kTables) {
        sqlite3_stmt* statement = nullptr;
        const std::string sql = std::string("SELECT rowid AS rowid, * FROM \"") + table + "\" ORDER BY rowid";
        if (sqlite3_prepare_v2(connection.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return std::nullopt;
        }
        int row = 0;
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
            const std::int64_t key = sqlite3_column_int64(statement, 0);
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                Value value;
                value.kind = sqlite3_column_type(statement, column);
                if (value.kind == SQLITE_INTEGER)
                    value.bytes = QByteArray::number(static_cast<qlonglong>(sqlite3_column_int64(statement, column)));
                else if (value.kind == SQLITE_FLOAT)
                    value.bytes = QByteArray::number(sqlite3_column_double(statement, column), 'g', 17);
                else if (value.kind != SQLITE_NULL)
                    value.bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                             sqlite3_column_bytes(statement, column));
                cells.push_back({QString::fromLatin1(table), row,
                                 QString::fromUtf8(sqlite3_column_name(statement, column)), key, value});
            }
            ++row;
        }
        sqlite3_finalize(statement);
        if (stepped != SQLITE_DONE)
            return std::nullopt;
    }
    return cells;
}

// The cells in which `damaged` differs from `original`: one cell, or texts and blobs of one row
// that kept their lengths; nothing when they differ otherwise.
std::optional<std::vector<Cell>> changedValues(const std::vector<Cell>& original, const std::vector<Cell>& damaged)
{
    if (original.size() != damaged.size())
        return std::nullopt;
    std::vector<Cell> changed;
    bool sameLengthTexts = true;
    for (std::size_t index = 0; index < original.size(); ++index) {
        const Cell& was = original[index];
        const Cell& is = damaged[index];
        if (was.table != is.table || was.row != is.row || was.column != is.column)
            return std::nullopt;
        if (was.value == is.value)
            continue;
        if (!changed.empty() && (changed.front().table != is.table || changed.front().row != is.row))
            return std::nullopt;
        sameLengthTexts = sameLengthTexts && was.value.kind == is.value.kind &&
                          (is.value.kind == SQLITE_TEXT || is.value.kind == SQLITE_BLOB) &&
                          was.value.bytes.size() == is.value.bytes.size();
        changed.push_back(is);
        changed.back().key = was.key;
    }
    if (changed.empty() || (changed.size() > 1 && !sameLengthTexts))
        return std::nullopt;
    return changed;
}

// What a story file shows when opened as the window opens it: its snapshot, or the refusal's
// message.
struct Opened {
    std::optional<Snapshot> snapshot;
    QString refusal;
    bool failedLater = false;
    QString failure;
};

Opened openAsTheWindowDoes(const QString& path)
{
    Opened opened;
    try {
        LoadedStory loaded = loadStoryFile(path);
        try {
            opened.snapshot = snapshotOf(*loaded.story);
        } catch (const DatabaseError& failure) {
            opened.failedLater = true;
            opened.failure = failure.message();
        }
        loaded.story->finalizeAllSqliteStatements();
    } catch (const StoryFileRefused& refusal) {
        opened.refusal = refusal.message();
    }
    return opened;
}

// The pages of a story file and what each belongs to.
struct PageMap {
    int pageSize = 4096;
    int pages = 0;
    std::vector<int> indexPages;
    // Leaf pages of each table.
    std::map<QString, std::vector<int>> tableLeaves;
};

PageMap pagesOf(const QString& path)
{
    PageMap map;
    Connection connection(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection.get(),
                       "SELECT d.pageno, d.pagetype, coalesce(m.type, 'table'), d.name FROM dbstat AS d "
                       "LEFT JOIN sqlite_master AS m ON m.name = d.name",
                       -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int page = sqlite3_column_int(statement, 0);
        const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
        const QString kind = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 2)));
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)));
        if (kind == QLatin1String("index"))
            map.indexPages.push_back(page);
        else if (type == QLatin1String("leaf"))
            map.tableLeaves[name].push_back(page);
    }
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(connection.get(), "PRAGMA page_size", -1, &statement, nullptr);
    if (sqlite3_step(statement) == SQLITE_ROW)
        map.pageSize = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    map.pages = static_cast<int>(QFileInfo(path).size() / map.pageSize);
    return map;
}

// The damage a story file meets on failing disks and in careless copies: one flipped bit, a
// file cut short (at a page, anywhere, or by a few bytes), a page of zeros or one whose last
// sectors are zeros, two pages swapped (of one table, of two tables, anywhere), a quarter of
// them aimed at the pages of the indexes.
class Damager
{
public:
    Damager(const PageMap& pages, unsigned seed) : pages_(pages), random_(seed) {}

    // Damages `bytes`, answering what was done.
    QString damage(QByteArray& bytes)
    {
        const bool atIndex = below(4) == 0 && !pages_.indexPages.empty();
        switch (below(atIndex ? 3 : 7)) {
        case 0: {
            const int page = atIndex ? pick(pages_.indexPages) : 1 + below(pages_.pages);
            const int at = (page - 1) * pages_.pageSize + below(pages_.pageSize);
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << below(8)));
            return QStringLiteral("bit flipped at %1 (page %2)").arg(at).arg(page);
        }
        case 1: {
            const int page = atIndex ? pick(pages_.indexPages) : 1 + below(pages_.pages);
            bytes.replace((page - 1) * pages_.pageSize, pages_.pageSize, QByteArray(pages_.pageSize, '\0'));
            return QStringLiteral("page %1 zeroed").arg(page);
        }
        case 2: {
            int first = atIndex ? pick(pages_.indexPages) : 1 + below(pages_.pages);
            int second = 1 + below(pages_.pages);
            if (!atIndex && below(2) == 0 && pages_.tableLeaves.size() > 1) {
                // Leaves of two different tables.
                const auto one = randomTable();
                auto other = one;
                while (other == one)
                    other = randomTable();
                first = pick(one->second);
                second = pick(other->second);
            }
            swapPages(bytes, first, second);
            return QStringLiteral("pages %1 and %2 swapped").arg(first).arg(second);
        }
        case 3: {
            const int length = below(2) == 0 ? below(pages_.pages) * pages_.pageSize : below(static_cast<int>(bytes.size()));
            bytes.truncate(length);
            return QStringLiteral("cut to %1 bytes").arg(length);
        }
        case 4: {
            const int first = 1 + below(pages_.pages);
            const int second = 1 + below(pages_.pages);
            swapPages(bytes, first, second);
            return QStringLiteral("pages %1 and %2 swapped").arg(first).arg(second);
        }
        case 5: {
            // The last sectors of a page never written, half of them on a page of a table's rows.
            const int page = below(2) == 0 && !pages_.tableLeaves.empty() ? pick(randomTable()->second)
                                                                            : 1 + below(pages_.pages);
            const int count = below(2) == 0 ? 64 : 512;
            bytes.replace(page * pages_.pageSize - count, count, QByteArray(count, '\0'));
            return QStringLiteral("last %1 bytes of page %2 zeroed").arg(count).arg(page);
        }
        default: {
            const int cut = 1 + below(300);
            bytes.chop(cut);
            return QStringLiteral("cut short by %1 bytes").arg(cut);
        }
        }
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
    int pick(const std::vector<int>& from) { return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))]; }
    std::map<QString, std::vector<int>>::const_iterator randomTable()
    {
        return std::next(pages_.tableLeaves.begin(), below(static_cast<int>(pages_.tableLeaves.size())));
    }

    void swapPages(QByteArray& bytes, int first, int second) const
    {
        const int size = pages_.pageSize;
        const QByteArray one = bytes.mid((first - 1) * size, size);
        bytes.replace((first - 1) * size, size, bytes.mid((second - 1) * size, size));
        bytes.replace((second - 1) * size, size, one);
    }

    const PageMap& pages_;
    std::mt19937 random_;
};

// Binds `value` as the stored kind it had.
void bindValue(sqlite3_stmt* statement, int index, const Value& value)
{
    switch (value.kind) {
    case SQLITE_INTEGER: sqlite3_bind_int64(statement, index, value.bytes.toLongLong()); break;
    case SQLITE_FLOAT: sqlite3_bind_double(statement, index, value.bytes.toDouble()); break;
    case SQLITE_TEXT:
        sqlite3_bind_text(statement, index, value.bytes.constData(), static_cast<int>(value.bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(statement, index, value.bytes.constData(), static_cast<int>(value.bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    default: sqlite3_bind_null(statement, index); break;
    }
}

// Writes a sound copy of the original with the changed values written into it by SQLite; false
// when SQLite does not take a value there.
bool writeSoundCopy(const QString& path, const QByteArray& original, const std::vector<Cell>& changed)
{
    writeFile(path, original);
    Connection connection(path, SQLITE_OPEN_READWRITE);
    for (const Cell& cell : changed) {
        const std::string sql = "UPDATE \"" + cell.table.toStdString() + "\" SET \"" + cell.column.toStdString() +
                                "\"=? WHERE rowid=?";
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(connection.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return false;
        }
        bindValue(statement, 1, cell.value);
        sqlite3_bind_int64(statement, 2, cell.key);
        const bool written = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_finalize(statement);
        if (!written)
            return false;
    }
    return true;
}

struct Counts {
    int refused = 0;
    int exact = 0;
    int valuesChanged = 0;
    int different = 0;
    int failedLater = 0;
};

// Opens `copies` damaged copies of the story file `originalPath` and counts what each showed.
Counts openDamagedCopies(const QString& originalPath, int copies, unsigned seed)
{
    Counts counts;
    const QByteArray original = readFile(originalPath);
    QTemporaryDir folder;
    const QString name = QFileInfo(originalPath).fileName();
    const QString path = folder.filePath(name);
    const QString soundPath = folder.filePath(QStringLiteral("Sound ") + name);

    writeFile(path, original);
    const std::optional<std::vector<Cell>> originalCells = storedCells(path);
    const PageMap pages = pagesOf(path);
    const Opened undamaged = openAsTheWindowDoes(path);
    EXPECT_TRUE(originalCells.has_value());
    EXPECT_TRUE(undamaged.snapshot.has_value()) << undamaged.refusal.toStdString();
    if (!originalCells || !undamaged.snapshot)
        return counts;

    Damager damager(pages, seed);
    const QString named = QStringLiteral("\u201c%1\u201d ").arg(name);
    for (int copy = 0; copy < copies; ++copy) {
        QByteArray bytes = original;
        const QString damage = damager.damage(bytes);
        SCOPED_TRACE(QStringLiteral("%1, copy %2: %3").arg(name).arg(copy).arg(damage).toStdString());
        writeFile(path, bytes);
        const std::optional<std::vector<Cell>> cells = storedCells(path);
        const Opened opened = openAsTheWindowDoes(path);
        if (!opened.refusal.isEmpty()) {
            ++counts.refused;
            // In the program's own words: what SQLite said comes only as the detail.
            const QString reason = opened.refusal.section(QStringLiteral("\n\n"), 0, 0);
            EXPECT_TRUE(reason == named + QStringLiteral("is damaged and cannot be opened.") ||
                        reason == named + QStringLiteral("is not a Vantora story."))
                << opened.refusal.toStdString();
            EXPECT_TRUE(readFile(path) == bytes) << "a refused file was written to";
            continue;
        }
        if (opened.failedLater) {
            ++counts.failedLater;
            ADD_FAILURE() << "opened, then failed while its scripts and pictures were read: "
                          << opened.failure.toStdString();
            continue;
        }
        if (*opened.snapshot == *undamaged.snapshot) {
            ++counts.exact;
            continue;
        }
        // Another story than the original: acceptable only as changed stored values, shown as a
        // sound file with those values shows them.
        const std::optional<std::vector<Cell>> changed = cells ? changedValues(*originalCells, *cells) : std::nullopt;
        if (changed && writeSoundCopy(soundPath, original, *changed)) {
            const Opened sound = openAsTheWindowDoes(soundPath);
            if (sound.snapshot && *sound.snapshot == *opened.snapshot) {
                ++counts.valuesChanged;
                continue;
            }
        }
        ++counts.different;
        ADD_FAILURE() << "opened without a word as another story: "
                      << opened.snapshot->firstDifference(*undamaged.snapshot).left(300).toStdString()
                      << (changed ? " (stored values changed in " + changed->front().table.toStdString() + ")"
                                  : std::string(" (stored values changed beyond one value or one row's texts)"));
    }
    std::printf("%s: %d damaged copies: %d refused, %d exact, %d with changed values, %d different, "
                "%d failed later\n",
                qPrintable(name), copies, counts.refused, counts.exact, counts.valuesChanged, counts.different,
                counts.failedLater);
    return counts;
}

void expectNoOtherStory(const Counts& counts, int copies)
{
    EXPECT_EQ(counts.different, 0);
    EXPECT_EQ(counts.failedLater, 0);
    EXPECT_EQ(counts.refused + counts.exact + counts.valuesChanged, copies);
    // The damage is real: most copies are refused.
    EXPECT_GT(counts.refused, copies / 2);
}

} // namespace

TEST(DamagedCopies, OfTheBalloonRaceAreRefusedOrShowTheOriginal)
{
    const int copies = copiesPerStory();
    expectNoOtherStory(openDamagedCopies(QDir(SampleCopy::samplesFolder())
                                             .filePath(QStringLiteral("Sample - The Last Balloon Race.vtrsf")),
                                         copies, 491207u),
                       copies);
}

TEST(DamagedCopies, OfKesslerPassAreRefusedOrShowTheOriginal)
{
    const int copies = copiesPerStory();
    expectNoOtherStory(
        openDamagedCopies(QDir(SampleCopy::samplesFolder()).filePath(QStringLiteral("Sample - Kessler Pass.vtrsf")),
                          copies, 1962u),
        copies);
}

TEST(DamagedCopies, OfAThousandCardStoryAreRefusedOrShowTheOriginal)
{
    QTemporaryDir folder;
    const QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
    ASSERT_TRUE(StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master));
    const QString story = StoryGenerator::generate(folder.path(), master, 1000);
    // The suite opens fewer copies of the large story; the long run as many as of the others.
    const int copies = qEnvironmentVariableIntValue("VANTORA_DAMAGED_COPIES") > 0 ? copiesPerStory() : 30;
    expectNoOtherStory(openDamagedCopies(story, copies, 54321u), copies);
}

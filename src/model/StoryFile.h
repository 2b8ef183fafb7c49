#pragma once

#include "DatabaseError.h"

#include <QString>

struct sqlite3;

// An open SQLite connection to a story or master file, closed when the object goes.
class DatabaseConnection
{
public:
    DatabaseConnection() = default;
    explicit DatabaseConnection(sqlite3* handle) : handle_(handle) {}
    ~DatabaseConnection();
    DatabaseConnection(DatabaseConnection&& other) noexcept;
    DatabaseConnection& operator=(DatabaseConnection&& other) noexcept;
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;

    sqlite3* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Closes the connection; raises "Error: failed to close database with message '%s'." when
    // statements are still open on it.
    void close();

private:
    sqlite3* handle_ = nullptr;
};

// A story file that cannot be used as it is. The message starts with the reason in plain words
// (the file's name, then "is not a Vantora story.", "is damaged and cannot be opened.", "cannot be
// opened because another program changed it." or why it cannot be written) and gives SQLite's
// own words, or what the other program added, as a detail after a blank line.
class StoryFileRefused : public DatabaseError
{
public:
    StoryFileRefused(const QString& path, const QString& reason, const QString& detail = QString());
};

namespace StoryFile {

inline constexpr const char* kExtension = "vtrsf";
inline constexpr const char* kMasterExtension = "vtrmf";
inline constexpr const char* kStoryTemplate = ":/templates/VantoraStory.db";
inline constexpr const char* kMasterTemplate = ":/templates/VantoraUserData.db";

// Opens an existing file for reading and writing. A missing or unreadable path raises
// "Error: failed to open database with message '%s'."; no new empty database is ever made.
// The file is checked to be a database, so a damaged file fails here and not later.
DatabaseConnection open(const QString& path);

// Opens a story file for the window, proving first that it can be used as it is: it must be
// writable (file and folder), a SQLite database whose pages and indexes pass SQLite's full
// integrity check, hold the story tables (a file with most of them but not all is damaged) with
// every column a new story has, of the kind it declares there (a column another program added
// passes, but one the story's new rows cannot leave out, a trigger or a view is refused as another
// program's change), and hold one story whose rows all belong to it and keep the story's rules:
// every table keeping its key as the row id, every value of the kind its column declares, no text
// holding a NUL character (no story keeps one: a zeroed sector leaves a text's length and zeroes
// its bytes), every row taking the bytes on its table's pages that SQLite lays out for its values
// (as a statement writes them in a file of any format, or as SQLite's own rewrite of a table keeps
// them, rows of each kind in one table whatever format the file's header names now: VACUUM keeps
// the rows of a file of an older format as they were), no beat numbered twice or outside 1 to 15,
// no checklist question numbered twice or outside 1 to 55 (and 50 questions numbered 1 to 50). Rows
// that name a record which is gone (script paragraphs, links, set-ups and pay-offs of a deleted
// card, links to a deleted attachment or character, a card's location that is gone) pass: keys are
// used again, and the story reads them as its loading does. So does the bare template, what a new
// story leaves when its making stops before its row is made; a file without the story's row but
// with other rows has lost it and is damaged. The connection is defensive and distrusts the file's
// schema. Nothing is written. A file that fails raises StoryFileRefused.
DatabaseConnection openStory(const QString& path);
// The same for a story whose every record is read next: the check and the reading that follows
// share a page cache that holds the whole story. Call settleAfterLoading once the story is read.
DatabaseConnection openStoryForReading(const QString& path);
// The checks of openStory on a connection already open to `path`: raises StoryFileRefused,
// naming the file, when one fails.
void checkStory(const QString& path, sqlite3* database);
// Whether the story file open on `database` holds its story's row; a failed read raises
// StoryFileRefused, naming the file.
bool holdsStoryRow(const QString& path, sqlite3* database);
// Once the story opened by openStoryForReading is read: its connection keeps no more cached
// pages than any other.
void settleAfterLoading(sqlite3* database);

// The plain-language refusal for a failure while a story file that passed its checks was read
// and its window built, with SQLite's words as the detail; a refusal passes unchanged. Reading
// and building write to the file, so the reason follows the failure: a full disk ("… cannot be
// opened because the disk is full. The story in the file is unchanged: …"), another failed write
// or a failed read, and "… is damaged and cannot be opened." only for what SQLite found damaged
// or could not name.
StoryFileRefused openingRefusal(const QString& path, const DatabaseError& failure);
QString refusalMessage(const QString& path, const DatabaseError& failure);

// Copies a template database byte for byte to `path` (replacing a file already there) and
// makes the copy writable. Answers false when the copy could not be made.
bool copyTemplate(const QString& templatePath, const QString& path);

} // namespace StoryFile

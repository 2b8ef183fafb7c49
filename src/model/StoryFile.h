#pragma once

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

namespace StoryFile {

inline constexpr const char* kExtension = "vtrsf";
inline constexpr const char* kMasterExtension = "vtrmf";
inline constexpr const char* kStoryTemplate = ":/templates/VantoraStory.db";
inline constexpr const char* kMasterTemplate = ":/templates/VantoraUserData.db";

// Opens an existing file for reading and writing. A missing or unreadable path raises
// "Error: failed to open database with message '%s'."; no new empty database is ever made.
// The file is checked to be a database, so a damaged file fails here and not later.
DatabaseConnection open(const QString& path);

// Copies a template database byte for byte to `path` (replacing a file already there) and
// makes the copy writable. Answers false when the copy could not be made.
bool copyTemplate(const QString& templatePath, const QString& path);

} // namespace StoryFile

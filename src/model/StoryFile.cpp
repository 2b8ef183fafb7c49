#include "StoryFile.h"

#include "DatabaseError.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <utility>

DatabaseConnection::~DatabaseConnection()
{
    if (handle_)
        sqlite3_close_v2(handle_);
}

DatabaseConnection::DatabaseConnection(DatabaseConnection&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
{
}

DatabaseConnection& DatabaseConnection::operator=(DatabaseConnection&& other) noexcept
{
    if (this != &other) {
        if (handle_)
            sqlite3_close_v2(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void DatabaseConnection::close()
{
    if (!handle_)
        return;
    if (sqlite3_close(handle_) != SQLITE_OK)
        raiseDatabaseError("DatabaseConnection", "Error: failed to close database with message '%s'.", handle_);
    handle_ = nullptr;
}

namespace StoryFile {

DatabaseConnection open(const QString& path)
{
    sqlite3* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int opened = sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseConnection connection(handle);
    if (opened != SQLITE_OK)
        raiseDatabaseError("StoryFile", "Error: failed to open database with message '%s'.", handle);
    // Reading the schema proves the file is a database before anything relies on it.
    char* error = nullptr;
    if (sqlite3_exec(handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        raiseDatabaseError("StoryFile", "Error: failed to open database with message '%s'.", handle);
    }
    return connection;
}

bool copyTemplate(const QString& templatePath, const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return false;
    if (!QFile::copy(templatePath, path))
        return false;
    // A copy out of the application's resources is read-only.
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther);
}

} // namespace StoryFile

#pragma once

#include <QString>

#include <stdexcept>

struct sqlite3;

// A failure of the story or master database. It carries the name of the class that
// reported it, the source line, the message with SQLite's own error text filled in and, when
// SQLite reported it, SQLite's extended result code (0 otherwise).
// Every database failure goes through this one type; user-interface entry points catch it
// and show the message in an alert.
class DatabaseError : public std::runtime_error
{
public:
    DatabaseError(QString source, int line, QString message, int sqliteCode = 0);

    const QString& source() const { return source_; }
    int line() const { return line_; }
    const QString& message() const { return message_; }
    int sqliteCode() const { return sqliteCode_; }

private:
    QString source_;
    int line_;
    QString message_;
    int sqliteCode_;
};

// Fills the "%s" of a message such as "Error: failed to save with message '%s'." with the
// connection's current error text.
QString databaseMessage(const char* format, sqlite3* db);

// Logs the failure and throws a DatabaseError. `source` names the reporting class; `line` is
// the caller's line (the builtin is read where the call is written, with GCC and clang alike).
[[noreturn]] void raiseDatabaseError(const char* source, const char* format, sqlite3* db,
                                     int line = __builtin_LINE());

// Logs a failure that the caller deliberately does not raise.
void logDatabaseProblem(const char* source, const QString& text, int line = __builtin_LINE());

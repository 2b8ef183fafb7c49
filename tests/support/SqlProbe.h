#pragma once

#include <QString>

struct sqlite3;

// Plain SQL against a test's database, to check what the program wrote.
namespace SqlProbe {

// The first column of the first row as text; "" without a row, "<NULL>" for NULL.
QString scalar(sqlite3* db, const QString& sql);
long long count(sqlite3* db, const QString& table);
// Runs SQL text; throws std::runtime_error with SQLite's message when it fails.
void exec(sqlite3* db, const QString& sql);

} // namespace SqlProbe

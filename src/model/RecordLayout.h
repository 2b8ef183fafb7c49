#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct sqlite3_stmt;

// How SQLite lays out the values of a row as a record, to tell from the bytes a record takes on
// its table's pages whether it holds the values a statement reads from it. SQLite lays out one
// row in more than one way. A statement keeps the integers 0 and 1 in no byte and a whole number
// in a column of doubles as an integer; in a file of a format older than 4 it keeps 0 and 1 in a
// byte. A row SQLite rewrote itself (dropping a column from its table) keeps 0 and 1 in a byte
// and whole numbers of doubles as doubles, and copying a table keeps each row as it was: one
// table may hold rows of each kind, but each row is of one kind.
namespace RecordLayout {

// One column as a record keeps it.
struct Column {
    // The table's integer key: the row's key stands for it, and the record holds NULL.
    bool key;
    // A column of doubles.
    bool doubles;
};

// Whether a record of `recordBytes` bytes holds the values of the row `statement` stands on,
// one for each of `columns` in order, in one of the layouts: all of them, or all but some of the
// last ones after the first `alwaysThere` (columns added to the table after the row was written).
// `olderFormat`: the file's format is older than 4. `utf16`: the file keeps its texts in UTF-16.
bool holdsRow(sqlite3_stmt* statement, const std::vector<Column>& columns, std::size_t alwaysThere,
              std::int64_t recordBytes, bool olderFormat, bool utf16);

} // namespace RecordLayout

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

// One value of a row as a statement reads it: its kind (SQLite's type code) and what the bytes
// of a record holding it depend on.
struct Value {
    int type = 0;
    std::int64_t integer = 0;
    double real = 0;
    // A text's or a blob's bytes, a text's in the file's encoding.
    std::int64_t bytes = 0;
};

// The value of column `index` of the row `statement` stands on, read once. `utf16`: the file
// keeps its texts in UTF-16.
Value readValue(sqlite3_stmt* statement, int index, bool utf16);

// Whether a record of `recordBytes` bytes holds `values`, one for each of `columns` in order, in
// one of the layouts: all of them, or all but some of the last ones after the first
// `alwaysThere` (columns added to the table after the row was written). `olderFormat`: the
// file's format is older than 4.
bool holdsRow(const std::vector<Value>& values, const std::vector<Column>& columns, std::size_t alwaysThere,
              std::int64_t recordBytes, bool olderFormat);

} // namespace RecordLayout

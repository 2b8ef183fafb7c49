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
// and whole numbers of doubles as doubles. Copying a table or the whole file (VACUUM, which
// writes a header of format 4 whatever the file's format was) keeps each row as it was, so the
// file's header does not tell how a row was laid out: one table may hold rows of each kind, but
// each row is of one kind. A record that lists a 0 or a 1 taking no byte was laid out by a
// statement of a file of format 4, and by nothing else.
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
    // A text holding a NUL character, which no story keeps.
    bool holdsNul = false;
};

// The value of column `index` of the row `statement` stands on, read once: a text's characters
// are looked over where SQLite holds them. `utf16`: the file keeps its texts in UTF-16.
Value readValue(sqlite3_stmt* statement, int index, bool utf16);

// Whether a record of `recordBytes` bytes holds `values`, one for each of `columns` in order, in
// one of the layouts: all of them, or all but some of the last ones after the first
// `alwaysThere` (columns added to the table after the row was written). `zeroOrOneInNoByte`: the
// record lists a 0 or a 1 that takes no byte, so it is laid out as a statement of a file of
// format 4 lays it out.
bool holdsRow(const std::vector<Value>& values, const std::vector<Column>& columns, std::size_t alwaysThere,
              std::int64_t recordBytes, bool zeroOrOneInNoByte);

} // namespace RecordLayout

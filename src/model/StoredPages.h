#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_file;

// The pages of the main file of a SQLite connection, read as the file holds them, for checks
// that must see more than SQLite's statements answer: the bytes each row of a table takes.
// It must be made, and used, while the connection holds a read transaction, which keeps the
// file as SQLite sees it. A file whose changes still wait in its write-ahead log is read
// through SQLite's own pages instead: a copy of the whole file, held until the object goes.
// The file is anyone's: every offset, length and page number read from it is checked, and
// a table's pages are walked at most once and no deeper than SQLite itself goes.
class StoredPages
{
public:
    // One row of a table: its key, the bytes of its record, and whether its record lists a 0 or
    // a 1 that takes no byte of its own (which only a statement writes, in a file of format 4).
    struct Row {
        std::int64_t key;
        std::int64_t recordBytes;
        bool zeroOrOneInNoByte;
    };

    explicit StoredPages(sqlite3* database);
    ~StoredPages();
    StoredPages(const StoredPages&) = delete;
    StoredPages& operator=(const StoredPages&) = delete;

    // Whether the file's header could be read and names a page size SQLite uses.
    bool readable() const { return pageSize_ != 0; }
    // Whether the file's text is kept as UTF-16, two bytes to most characters.
    bool utf16() const { return utf16_; }

    // Every row of the table whose pages start at `root`, in key order as its pages hold them;
    // nothing when they cannot be walked: a page that is not one of a table's, or outside the
    // file, a cell outside its page, a page met twice, or a tree deeper than SQLite's.
    std::optional<std::vector<Row>> tableRows(std::uint32_t root) const;

private:
    bool takeHeader(const unsigned char* header, std::int64_t fileBytes);
    // The bytes of page `number` (from 1), read into `buffer` when they are not held; null when
    // they cannot be read.
    const unsigned char* page(std::uint32_t number, std::vector<unsigned char>& buffer) const;
    bool walk(std::uint32_t page, int depth, std::vector<bool>& seen, std::vector<Row>& rows) const;

    sqlite3_file* file_ = nullptr;
    // The whole file, when it is read through SQLite's pages; freed by SQLite's allocator.
    unsigned char* copy_ = nullptr;
    std::uint32_t pageSize_ = 0;
    std::uint32_t usableSize_ = 0;
    std::uint32_t pages_ = 0;
    bool utf16_ = false;
};

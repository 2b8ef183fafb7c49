#include "StoredPages.h"

#include <sqlite3.h>

#include <limits>

namespace {

// The kinds of page a table's tree is made of, by the first byte of its header.
constexpr unsigned char kInteriorTablePage = 0x05;
constexpr unsigned char kLeafTablePage = 0x0D;
// SQLite walks no tree deeper than this.
constexpr int kDeepestTree = 20;
constexpr std::uint32_t kFileHeaderBytes = 100;

std::uint32_t bigEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int index = 0; index < count; ++index)
        value = (value << 8) | bytes[index];
    return value;
}

// Reads SQLite's variable-length integer at `at`, moving `at` past it; false when it would run
// past `end`.
bool readStoredVarint(const unsigned char* bytes, std::uint32_t& at, std::uint32_t end, std::uint64_t& value)
{
    value = 0;
    for (int index = 0; index < 9; ++index) {
        if (at >= end)
            return false;
        const unsigned char byte = bytes[at++];
        if (index == 8) {
            value = (value << 8) | byte;
            return true;
        }
        value = (value << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0)
            return true;
    }
    return true;
}

// Whether the header of the record whose payload of `payloadBytes` bytes starts at `at` lists a 0
// or a 1 that takes no byte (kinds 8 and 9). Only the part of the payload on the page is read: a
// header that goes on past it, or past `end`, is read as far as it lies there.
bool listsZeroOrOneInNoByte(const unsigned char* bytes, std::uint32_t at, std::uint32_t end,
                            std::uint64_t payloadBytes, std::uint32_t usable)
{
    // How much of a table row's payload stays on its page, the rest going to overflow pages.
    const std::uint64_t most = usable - 35;
    std::uint64_t onPage = payloadBytes;
    if (payloadBytes > most) {
        const std::uint64_t least = (usable - 12) * 32 / 255 - 23;
        onPage = least + (payloadBytes - least) % (usable - 4);
        if (onPage > most)
            onPage = least;
    }
    if (at + onPage < end)
        end = static_cast<std::uint32_t>(at + onPage);
    const std::uint32_t start = at;
    std::uint64_t headerBytes = 0;
    if (!readStoredVarint(bytes, at, end, headerBytes))
        return false;
    if (start + headerBytes < end)
        end = static_cast<std::uint32_t>(start + headerBytes);
    std::uint64_t kind = 0;
    while (readStoredVarint(bytes, at, end, kind))
        if (kind == 8 || kind == 9)
            return true;
    return false;
}

} // namespace

StoredPages::StoredPages(sqlite3* database)
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(database, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return;
    file_ = file;
    unsigned char header[kFileHeaderBytes] = {};
    sqlite3_int64 fileBytes = 0;
    if (file_->pMethods->xRead(file_, header, sizeof header, 0) != SQLITE_OK ||
        file_->pMethods->xFileSize(file_, &fileBytes) != SQLITE_OK || !takeHeader(header, fileBytes))
        return;
    // Pages a write-ahead log still holds are not in the file yet, and only SQLite knows which
    // of the log's pages the read transaction sees.
    const bool writeAheadLog = header[18] == 2 || header[19] == 2;
    sqlite3_file* log = nullptr;
    sqlite3_int64 logBytes = 0;
    if (!writeAheadLog || sqlite3_file_control(database, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK ||
        !log || !log->pMethods || log->pMethods->xFileSize(log, &logBytes) != SQLITE_OK || logBytes == 0)
        return;
    pageSize_ = 0;
    file_ = nullptr;
    sqlite3_int64 copyBytes = 0;
    copy_ = sqlite3_serialize(database, "main", &copyBytes, 0);
    if (copy_ && copyBytes >= static_cast<sqlite3_int64>(kFileHeaderBytes))
        takeHeader(copy_, copyBytes);
}

StoredPages::~StoredPages()
{
    sqlite3_free(copy_);
}

bool StoredPages::takeHeader(const unsigned char* header, std::int64_t fileBytes)
{
    std::uint32_t size = bigEndian(header + 16, 2);
    if (size == 1)
        size = 65536;
    const std::uint32_t reserved = header[20];
    // A power of two from 512 to 65536, of which at least 480 bytes hold cells.
    if (size < 512 || size > 65536 || (size & (size - 1)) != 0 || size - reserved < 480)
        return false;
    pageSize_ = size;
    usableSize_ = size - reserved;
    const std::int64_t pages = fileBytes / size;
    pages_ = pages > std::numeric_limits<std::uint32_t>::max() - 1 ? std::numeric_limits<std::uint32_t>::max() - 1
                                                                    : static_cast<std::uint32_t>(pages);
    const std::uint32_t encoding = bigEndian(header + 56, 4);
    utf16_ = encoding == 2 || encoding == 3;
    return true;
}

const unsigned char* StoredPages::page(std::uint32_t number, std::vector<unsigned char>& buffer) const
{
    if (number < 1 || number > pages_)
        return nullptr;
    const std::int64_t offset = static_cast<std::int64_t>(number - 1) * pageSize_;
    if (copy_)
        return copy_ + offset;
    buffer.resize(pageSize_);
    if (file_->pMethods->xRead(file_, buffer.data(), static_cast<int>(pageSize_), offset) != SQLITE_OK)
        return nullptr;
    return buffer.data();
}

std::optional<std::vector<StoredPages::Row>> StoredPages::tableRows(std::uint32_t root) const
{
    if (!readable())
        return std::nullopt;
    std::vector<bool> seen(static_cast<std::size_t>(pages_) + 1);
    std::vector<Row> rows;
    if (!walk(root, 0, seen, rows))
        return std::nullopt;
    return rows;
}

bool StoredPages::walk(std::uint32_t number, int depth, std::vector<bool>& seen, std::vector<Row>& rows) const
{
    if (number < 1 || number > pages_ || depth > kDeepestTree || seen[number])
        return false;
    seen[number] = true;
    std::vector<unsigned char> buffer;
    const unsigned char* bytes = page(number, buffer);
    if (!bytes)
        return false;
    // Page 1 starts with the file's header.
    const std::uint32_t start = number == 1 ? kFileHeaderBytes : 0;
    const unsigned char type = bytes[start];
    if (type != kInteriorTablePage && type != kLeafTablePage)
        return false;
    const bool leaf = type == kLeafTablePage;
    const std::uint32_t cells = bigEndian(bytes + start + 3, 2);
    const std::uint32_t pointers = start + (leaf ? 8 : 12);
    const std::uint32_t cellsFrom = pointers + 2 * cells;
    if (cellsFrom > usableSize_)
        return false;
    for (std::uint32_t cell = 0; cell < cells; ++cell) {
        std::uint32_t at = bigEndian(bytes + pointers + 2 * cell, 2);
        if (at < cellsFrom || at >= usableSize_)
            return false;
        if (leaf) {
            std::uint64_t recordBytes = 0;
            std::uint64_t key = 0;
            if (!readStoredVarint(bytes, at, usableSize_, recordBytes) ||
                !readStoredVarint(bytes, at, usableSize_, key))
                return false;
            rows.push_back({static_cast<std::int64_t>(key), static_cast<std::int64_t>(recordBytes),
                            listsZeroOrOneInNoByte(bytes, at, usableSize_, recordBytes, usableSize_)});
        } else {
            if (at + 4 > usableSize_ || !walk(bigEndian(bytes + at, 4), depth + 1, seen, rows))
                return false;
        }
    }
    return leaf || walk(bigEndian(bytes + start + 8, 4), depth + 1, seen, rows);
}

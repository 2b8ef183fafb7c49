#include "RecordLayout.h"

#include <sqlite3.h>

#include <array>

namespace RecordLayout {

namespace {

struct Layout {
    bool zeroAndOneInAByte;
    bool wholeDoublesAsDoubles;
};
constexpr Layout kStatement{false, false};
constexpr Layout kRewrite{true, true};
constexpr Layout kOlderFormatStatement{true, false};

// The bytes of an integer in a record, but for 0 and 1.
std::int64_t integerBytes(sqlite3_int64 value)
{
    const sqlite3_int64 magnitude = value < 0 ? ~value : value;
    if (magnitude < 0x80)
        return 1;
    if (magnitude < 0x8000)
        return 2;
    if (magnitude < 0x800000)
        return 3;
    if (magnitude < 0x80000000LL)
        return 4;
    if (magnitude < 0x800000000000LL)
        return 6;
    return 8;
}

std::int64_t varintBytes(std::int64_t value)
{
    std::int64_t bytes = 1;
    while (value >= 0x80 && bytes < 9) {
        value >>= 7;
        ++bytes;
    }
    return bytes;
}

// The bytes of one value in a record: its kind in the record's header, and the value itself.
struct ValueBytes {
    std::int64_t kind = 1;
    std::int64_t value = 0;
};

ValueBytes valueBytes(sqlite3_stmt* statement, int index, const Column& column, const Layout& layout, bool utf16)
{
    const auto integer = [&layout](sqlite3_int64 value) {
        if (value == 0 || value == 1)
            return ValueBytes{1, layout.zeroAndOneInAByte ? 1 : 0};
        return ValueBytes{1, integerBytes(value)};
    };
    const int type = sqlite3_column_type(statement, index);
    if (column.key || type == SQLITE_NULL)
        return {};
    if (type == SQLITE_INTEGER)
        return integer(sqlite3_column_int64(statement, index));
    if (type == SQLITE_FLOAT) {
        const double value = sqlite3_column_double(statement, index);
        const bool whole = column.doubles && value >= -9.2e18 && value <= 9.2e18 &&
                           value == static_cast<double>(static_cast<sqlite3_int64>(value));
        return whole && !layout.wholeDoublesAsDoubles ? integer(static_cast<sqlite3_int64>(value)) : ValueBytes{1, 8};
    }
    const std::int64_t bytes = type == SQLITE_TEXT && utf16 ? sqlite3_column_bytes16(statement, index)
                                                            : sqlite3_column_bytes(statement, index);
    return {varintBytes(2 * bytes + (type == SQLITE_TEXT ? 13 : 12)), bytes};
}

// The bytes of a record whose header lists kinds taking `kinds` bytes, and whose values take
// `values`: the header starts with its own length.
std::int64_t recordBytesOf(std::int64_t kinds, std::int64_t values)
{
    std::int64_t header = kinds + 1;
    while (kinds + varintBytes(header) != header)
        header = kinds + varintBytes(header);
    return header + values;
}

} // namespace

bool holdsRow(sqlite3_stmt* statement, const std::vector<Column>& columns, std::size_t alwaysThere,
              std::int64_t recordBytes, bool olderFormat, bool utf16)
{
    const std::array layouts{kStatement, kRewrite, kOlderFormatStatement};
    for (std::size_t layout = 0; layout < (olderFormat ? 3 : 2); ++layout) {
        std::int64_t kinds = 0;
        std::int64_t values = 0;
        for (std::size_t held = 0; held <= columns.size(); ++held) {
            if (held >= alwaysThere && recordBytesOf(kinds, values) == recordBytes)
                return true;
            if (held == columns.size())
                break;
            const ValueBytes bytes =
                valueBytes(statement, static_cast<int>(held), columns[held], layouts[layout], utf16);
            kinds += bytes.kind;
            values += bytes.value;
        }
    }
    return false;
}

} // namespace RecordLayout

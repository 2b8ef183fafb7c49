#include "RecordLayout.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <string>

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

ValueBytes valueBytes(const Value& value, const Column& column, const Layout& layout)
{
    const auto integer = [&layout](sqlite3_int64 number) {
        if (number == 0 || number == 1)
            return ValueBytes{1, layout.zeroAndOneInAByte ? 1 : 0};
        return ValueBytes{1, integerBytes(number)};
    };
    if (column.key || value.type == SQLITE_NULL)
        return {};
    if (value.type == SQLITE_INTEGER)
        return integer(value.integer);
    if (value.type == SQLITE_FLOAT) {
        const double real = value.real;
        const bool whole = column.doubles && real >= -9.2e18 && real <= 9.2e18 &&
                           real == static_cast<double>(static_cast<sqlite3_int64>(real));
        return whole && !layout.wholeDoublesAsDoubles ? integer(static_cast<sqlite3_int64>(real)) : ValueBytes{1, 8};
    }
    return {varintBytes(2 * value.bytes + (value.type == SQLITE_TEXT ? 13 : 12)), value.bytes};
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

Value readValue(sqlite3_stmt* statement, int index, bool utf16)
{
    Value value;
    value.type = sqlite3_column_type(statement, index);
    switch (value.type) {
    case SQLITE_INTEGER: value.integer = sqlite3_column_int64(statement, index); break;
    case SQLITE_FLOAT: value.real = sqlite3_column_double(statement, index); break;
    case SQLITE_TEXT:
        if (utf16) {
            const auto* units = static_cast<const char16_t*>(sqlite3_column_text16(statement, index));
            value.bytes = sqlite3_column_bytes16(statement, index);
            value.holdsNul = units && std::char_traits<char16_t>::find(units, static_cast<std::size_t>(value.bytes / 2),
                                                                        u'\0') != nullptr;
        } else {
            const unsigned char* text = sqlite3_column_text(statement, index);
            value.bytes = sqlite3_column_bytes(statement, index);
            value.holdsNul = text && std::memchr(text, 0, static_cast<std::size_t>(value.bytes)) != nullptr;
        }
        break;
    case SQLITE_BLOB: value.bytes = sqlite3_column_bytes(statement, index); break;
    default: break;
    }
    return value;
}

bool holdsRow(const std::vector<Value>& values, const std::vector<Column>& columns, std::size_t alwaysThere,
              std::int64_t recordBytes, bool zeroOrOneInNoByte)
{
    const std::array layouts{kStatement, kRewrite, kOlderFormatStatement};
    for (std::size_t layout = 0; layout < (zeroOrOneInNoByte ? 1 : layouts.size()); ++layout) {
        std::int64_t kinds = 0;
        std::int64_t sizes = 0;
        for (std::size_t held = 0; held <= columns.size(); ++held) {
            if (held >= alwaysThere && recordBytesOf(kinds, sizes) == recordBytes)
                return true;
            if (held == columns.size())
                break;
            const ValueBytes bytes = valueBytes(values[held], columns[held], layouts[layout]);
            kinds += bytes.kind;
            sizes += bytes.value;
        }
    }
    return false;
}

} // namespace RecordLayout

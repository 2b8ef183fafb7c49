#include "PropertyListScan.h"

#include "model/BaseDatabaseObject.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

namespace PropertyListScan {

namespace {

// Object types, the high half of an object's first byte.
constexpr int kSimple = 0x0;
constexpr int kInteger = 0x1;
constexpr int kReal = 0x2;
constexpr int kDate = 0x3;
constexpr int kData = 0x4;
constexpr int kAscii = 0x5;
constexpr int kUtf16 = 0x6;
constexpr int kUid = 0x8;
constexpr int kArray = 0xA;
constexpr int kSet = 0xC;
constexpr int kDict = 0xD;

constexpr qsizetype kHeader = 8;
constexpr qsizetype kTrailer = 32;
// A project's table holds its archived objects and a few values for each.
constexpr std::uint64_t kMostTableObjects = 8 * KeyedArchive::kMostObjects;

[[noreturn]] void refuse()
{
    throw notAPropertyList();
}

// Calls `visit` with each item of the library's array, in order, walking it once (the library
// finds an array's n-th item by walking to it).
template <typename Visit>
void forEachArrayItem(plist_t array, Visit visit)
{
    plist_array_iter iterator = nullptr;
    plist_array_new_iter(array, &iterator);
    if (!iterator)
        throw std::bad_alloc();
    const std::unique_ptr<void, decltype(&std::free)> owned(iterator, &std::free);
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(array, iterator, &item);
        if (!item)
            return;
        visit(item);
    }
}

// The same for a dictionary's values.
template <typename Visit>
void forEachDictValue(plist_t dict, Visit visit)
{
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dict, &iterator);
    if (!iterator)
        throw std::bad_alloc();
    const std::unique_ptr<void, decltype(&std::free)> owned(iterator, &std::free);
    for (;;) {
        plist_t value = nullptr;
        plist_dict_next_item(dict, iterator, nullptr, &value);
        if (!value)
            return;
        visit(value);
    }
}

} // namespace

ArchiveError notAPropertyList()
{
    return ArchiveError{QStringLiteral("The file is not a property list.")};
}

// --- The binary form ---------------------------------------------------------------------------------

BinaryObjects::BinaryObjects(const QByteArray& bytes)
    : bytes_(bytes)
{
    if (bytes.size() < kHeader + kTrailer || !bytes.startsWith("bplist00"))
        refuse();
    const qsizetype trailer = bytes.size() - kTrailer;
    offsetSize_ = static_cast<unsigned char>(bytes[trailer + 6]);
    referenceSize_ = static_cast<unsigned char>(bytes[trailer + 7]);
    const std::uint64_t count = bigEndian(trailer + 8, 8);
    const std::uint64_t top = bigEndian(trailer + 16, 8);
    const std::uint64_t table = bigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8 || table < kHeader ||
        table >= static_cast<std::uint64_t>(trailer) ||
        count > (static_cast<std::uint64_t>(trailer) - table) / static_cast<std::uint64_t>(offsetSize_) ||
        top >= count)
        refuse();
    if (count > kMostTableObjects)
        throw ArchiveError{QStringLiteral("The archive holds more objects than a project file can.")};
    count_ = count;
    top_ = top;
    table_ = static_cast<qsizetype>(table);
    mostBytes_ = mostBytesFor(static_cast<std::uint64_t>(bytes.size()));
    starts_.assign(static_cast<std::size_t>(table_ / 64 + 1), 0);
    for (std::uint64_t index = 0; index < count; ++index) {
        const std::uint64_t start = bigEndian(table_ + static_cast<qsizetype>(index) * offsetSize_, offsetSize_);
        if (start < static_cast<std::uint64_t>(table_))
            starts_[static_cast<std::size_t>(start / 64)] |= std::uint64_t{1} << (start % 64);
    }
    states_.assign(static_cast<std::size_t>(count), kUnseen);
    costs_.assign(static_cast<std::size_t>(count), 0);
    heights_.assign(static_cast<std::size_t>(count), 0);
    walk(top, 1);
}

std::uint64_t BinaryObjects::bigEndian(qsizetype at, int size) const
{
    std::uint64_t value = 0;
    for (int byte = 0; byte < size; ++byte)
        value = value << 8 | static_cast<unsigned char>(bytes_[at + byte]);
    return value;
}

BinaryObjects::Object BinaryObjects::object(std::uint64_t index) const
{
    const std::uint64_t offset = bigEndian(table_ + static_cast<qsizetype>(index) * offsetSize_, offsetSize_);
    if (offset < static_cast<std::uint64_t>(kHeader) || offset >= static_cast<std::uint64_t>(table_))
        refuse();
    const auto marker = static_cast<unsigned char>(bytes_[static_cast<qsizetype>(offset)]);
    Object found{marker >> 4, marker & 0xFu, static_cast<qsizetype>(offset) + 1};
    // The bytes that follow the marker, whose number the marker's low half gives for the types
    // without a count.
    std::uint64_t length = 0;
    switch (found.type) {
    case kSimple:
        // Null, false and true.
        if (found.count != 0 && found.count != 8 && found.count != 9)
            refuse();
        break;
    case kInteger:
        if (found.count > 4)
            refuse();
        length = std::uint64_t{1} << found.count;
        break;
    case kReal:
        if (found.count != 2 && found.count != 3)
            refuse();
        length = std::uint64_t{1} << found.count;
        break;
    case kDate:
        if (found.count != 3)
            refuse();
        length = 8;
        break;
    case kUid:
        length = found.count + 1;
        break;
    case kData:
    case kAscii:
    case kUtf16:
    case kArray:
    case kSet:
    case kDict: {
        if (found.count == 0xF) {
            // A larger count follows as an integer of 1, 2, 4 or 8 bytes.
            if (found.content >= table_)
                refuse();
            const auto countMarker = static_cast<unsigned char>(bytes_[found.content]);
            const int size = 1 << (countMarker & 0xF);
            if (countMarker >> 4 != kInteger || size > 8 || found.content + 1 + size > table_)
                refuse();
            found.count = bigEndian(found.content + 1, size);
            found.content += 1 + size;
        }
        const std::uint64_t unit = found.type == kData || found.type == kAscii ? 1
                                   : found.type == kUtf16                      ? 2
                                   : found.type == kDict ? 2 * static_cast<std::uint64_t>(referenceSize_)
                                                         : static_cast<std::uint64_t>(referenceSize_);
        if (found.count > static_cast<std::uint64_t>(table_ - found.content) / unit)
            refuse();
        length = found.count * unit;
        break;
    }
    default:
        refuse();
    }
    const std::uint64_t end = static_cast<std::uint64_t>(found.content) + length;
    // An object ends before the offset table and before the next object starts: a count that
    // runs on into another object is a damaged count.
    if (end > static_cast<std::uint64_t>(table_) || anyStartWithin(offset + 1, end))
        refuse();
    return found;
}

bool BinaryObjects::anyStartWithin(std::uint64_t from, std::uint64_t to) const
{
    // Word by word: an object is walked once, so this reads each bit of the map about once.
    for (std::uint64_t at = from; at < to; at = (at / 64 + 1) * 64) {
        const std::uint64_t below = to - at < 64 - at % 64 ? (std::uint64_t{1} << (to - at)) - 1 : ~std::uint64_t{0};
        if ((starts_[static_cast<std::size_t>(at / 64)] >> (at % 64)) & below)
            return true;
    }
    return false;
}

std::uint64_t BinaryObjects::walk(std::uint64_t index, std::size_t depth)
{
    if (index >= count_)
        refuse();
    const auto at = static_cast<std::size_t>(index);
    if (states_[at] == kOpen)
        refuse();
    if (states_[at] != kUnseen) {
        // Copied again here, as deep as this reference stands.
        if (depth + heights_[at] > kDeepest)
            refuse();
        return costs_[at];
    }
    if (depth > kDeepest)
        refuse();
    states_[at] = kOpen;
    const Object found = object(index);
    std::uint64_t cost = kValueBytes;
    if (found.type == kAscii || found.type == kData)
        cost += found.count + 1;
    else if (found.type == kUtf16)
        cost += 3 * found.count + 1;
    if (cost > mostBytes_)
        refuse();
    bool reachesNul = false;
    if (found.type == kAscii) {
        const char* text = bytes_.constData() + found.content;
        if (std::memchr(text, 0, static_cast<std::size_t>(found.count))) {
            textsHoldingNul_.emplace(
                index, withoutNulCharacters(QString::fromUtf8(text, static_cast<qsizetype>(found.count))));
            reachesNul = true;
        }
    }
    std::uint8_t height = 0;
    if (found.type == kArray || found.type == kSet || found.type == kDict) {
        const std::uint64_t references = found.type == kDict ? 2 * found.count : found.count;
        for (std::uint64_t slot = 0; slot < references; ++slot) {
            const std::uint64_t child = bigEndian(found.content + static_cast<qsizetype>(slot) * referenceSize_,
                                                  referenceSize_);
            cost += walk(child, depth + 1);
            if (cost > mostBytes_)
                refuse();
            const auto childAt = static_cast<std::size_t>(child);
            height = std::max(height, static_cast<std::uint8_t>(heights_[childAt] + 1));
            reachesNul = reachesNul || states_[childAt] == kDoneReachingNul;
        }
    }
    states_[at] = reachesNul ? kDoneReachingNul : kDone;
    costs_[at] = cost;
    heights_[at] = height;
    return cost;
}

std::unordered_map<const void*, QString> BinaryObjects::textsHoldingNul(void* tree) const
{
    std::unordered_map<const void*, QString> texts;
    if (textsHoldingNul_.empty())
        return texts;
    // The library's tree is walked beside the objects it was read from, down to the texts that
    // hold a NUL only; a node whose object does not match it is left to the library's reading.
    std::vector<std::pair<plist_t, std::uint64_t>> pending{{static_cast<plist_t>(tree), top_}};
    auto follow = [&](plist_t node, qsizetype at) {
        const std::uint64_t index = bigEndian(at, referenceSize_);
        if (states_[static_cast<std::size_t>(index)] == kDoneReachingNul)
            pending.emplace_back(node, index);
    };
    while (!pending.empty()) {
        const auto [node, index] = pending.back();
        pending.pop_back();
        const plist_type type = plist_get_node_type(node);
        if (type == PLIST_STRING) {
            if (const auto text = textsHoldingNul_.find(index); text != textsHoldingNul_.end())
                texts.emplace(node, text->second);
            continue;
        }
        const Object found = object(index);
        switch (type) {
        case PLIST_ARRAY:
            if ((found.type == kArray || found.type == kSet) && found.count == plist_array_get_size(node)) {
                qsizetype at = found.content;
                forEachArrayItem(node, [&](plist_t item) {
                    follow(item, at);
                    at += referenceSize_;
                });
            }
            break;
        case PLIST_DICT:
            // A dictionary's value references follow its key references, in the order of its entries.
            if (found.type == kDict && found.count == plist_dict_get_size(node)) {
                qsizetype at = found.content + static_cast<qsizetype>(found.count) * referenceSize_;
                forEachDictValue(node, [&](plist_t value) {
                    follow(value, at);
                    at += referenceSize_;
                });
            }
            break;
        default:
            break;
        }
    }
    return texts;
}

// --- The XML form ------------------------------------------------------------------------------------

void checkXmlNesting(const QByteArray& xml)
{
    const std::string_view text(xml.constData(), static_cast<std::size_t>(xml.size()));
    // The end of the construct at `from` that `close` ends, past it; nothing when it is not ended
    // (the library stops there). With `quoted`, the library skips what stands between quotes while
    // looking for the end, so a construct whose end may stand inside quotes is refused.
    auto endOf = [&text](std::size_t from, std::string_view close, bool quoted) -> std::optional<std::size_t> {
        const std::size_t end = text.find(close, from);
        if (end == std::string_view::npos)
            return std::nullopt;
        if (quoted && std::count(text.begin() + static_cast<std::ptrdiff_t>(from),
                                 text.begin() + static_cast<std::ptrdiff_t>(end), '"') % 2 != 0)
            refuse();
        return end + close.size();
    };
    std::size_t depth = 0;
    std::size_t at = text.find('<');
    while (at != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        std::optional<std::size_t> end;
        if (rest.starts_with("<!--")) {
            end = endOf(at + 4, "-->", false);
        } else if (rest.starts_with("<![CDATA[")) {
            end = endOf(at + 9, "]]>", false);
        } else if (rest.starts_with("<?")) {
            // The library looks for the end from the '?' on.
            end = endOf(at + 1, "?>", true);
        } else if (rest.starts_with("<!")) {
            end = endOf(at + 2, ">", true);
            // A document type with declarations of its own ends where the library looks for "]>".
            if (end && text.substr(at, *end - at).find('[') != std::string_view::npos)
                refuse();
        } else {
            end = endOf(at + 1, ">", true);
            if (!end)
                return;
            const std::string_view tag = text.substr(at + 1, *end - at - 2);
            const bool empty = tag.ends_with('/');
            const std::string_view name = tag.substr(0, std::min(tag.find_first_of(" \t\r\n<"), tag.size() - empty));
            // The library takes the values after an empty array or dictionary standing first into it.
            if ((!empty || depth == 0) && (name == "array" || name == "dict")) {
                if (++depth > kDeepest)
                    refuse();
            } else if (!empty && (name == "/array" || name == "/dict") && depth > 0) {
                --depth;
            }
        }
        if (!end)
            return;
        at = text.find('<', *end);
    }
}

} // namespace PropertyListScan

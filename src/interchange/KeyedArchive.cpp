#include "KeyedArchive.h"

#include "PropertyListScan.h"
#include "model/BaseDatabaseObject.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <utility>

namespace {

constexpr qsizetype kLargestFile = 256 * 1024 * 1024;

[[noreturn]] void fail(const QString& message)
{
    throw ArchiveError{message};
}

// A text as the library read it. A UTF-16 text keeps its length there, a NUL in it included;
// an ASCII text of the binary form is cut at its first NUL (see BinaryStrings).
QString stringValue(plist_t node)
{
    std::uint64_t length = 0;
    const char* value = plist_get_string_ptr(node, &length);
    if (!value || length > static_cast<std::uint64_t>(std::numeric_limits<qsizetype>::max()))
        return QString();
    return withoutNulCharacters(QString::fromUtf8(value, static_cast<qsizetype>(length)));
}

bool isType(plist_t node, plist_type type)
{
    return node && plist_get_node_type(node) == type;
}

// The XML form is read as UTF-8 (the library reads no other encoding), where a NUL byte is a NUL
// character, which XML does not allow in a document: the library gives a text holding one its
// length but zeroes what follows the NUL. The earlier versions wrote a text's NUL as it stood, so
// it is dropped before reading; a document in UTF-16, which the library refuses either way, is
// left as it is rather than read as something else.
QByteArray withoutNulBytes(const QByteArray& xml)
{
    const bool utf16 = xml.startsWith("\xFE\xFF") || xml.startsWith("\xFF\xFE") || xml.left(2).contains('\0');
    if (utf16 || !xml.contains('\0'))
        return xml;
    QByteArray kept = xml;
    kept.removeIf([](char byte) { return byte == '\0'; });
    return kept;
}

// The object index a reference names. The XML form writes a reference as a dictionary whose
// one key is "CF$UID".
std::optional<std::uint64_t> referenceIndex(plist_t node)
{
    std::uint64_t index = 0;
    if (isType(node, PLIST_UID)) {
        plist_get_uid_val(node, &index);
        return index;
    }
    if (isType(node, PLIST_DICT) && plist_dict_get_size(node) == 1) {
        plist_t value = plist_dict_get_item(node, "CF$UID");
        if (isType(value, PLIST_UINT)) {
            plist_get_uint_val(value, &index);
            return index;
        }
    }
    return std::nullopt;
}

// Calls `visit` with each item of an array, in order, walking the array once. Stops with an
// ArchiveError past `most` items.
template <typename Visit>
void forEachItem(plist_t array, std::size_t most, Visit visit)
{
    plist_array_iter iterator = nullptr;
    plist_array_new_iter(array, &iterator);
    if (!iterator)
        throw std::bad_alloc();
    const std::unique_ptr<void, decltype(&std::free)> owned(iterator, &std::free);
    std::size_t count = 0;
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(array, iterator, &item);
        if (!item)
            return;
        if (++count > most)
            fail(QStringLiteral("The archive holds more objects than a project file can."));
        visit(item);
    }
}

} // namespace

KeyedArchive::KeyedArchive(void* plist)
    : plist_(plist)
{
}

KeyedArchive::~KeyedArchive()
{
    if (plist_)
        plist_free(static_cast<plist_t>(plist_));
}

KeyedArchive::KeyedArchive(KeyedArchive&& other) noexcept
    : plist_(std::exchange(other.plist_, nullptr))
    , objects_(std::move(other.objects_))
    , textsHoldingNul_(std::move(other.textsHoldingNul_))
{
}

KeyedArchive KeyedArchive::read(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        fail(QStringLiteral("The file is empty."));
    if (bytes.size() > kLargestFile)
        fail(QStringLiteral("The file is too large to be a project file."));
    const bool binary = plist_is_binary(bytes.constData(), static_cast<std::uint32_t>(bytes.size()));
    const QByteArray read = binary ? bytes : withoutNulBytes(bytes);
    // The file is checked before the library reads it: what the library builds, and how deep, is
    // bounded by the file's size.
    std::optional<PropertyListScan::BinaryObjects> scanned;
    if (binary)
        scanned.emplace(bytes);
    else
        PropertyListScan::checkXmlNesting(read);
    plist_t plist = nullptr;
    plist_from_memory(read.constData(), static_cast<std::uint32_t>(read.size()), &plist);
    if (!plist)
        throw PropertyListScan::notAPropertyList();
    KeyedArchive archive(plist);
    if (scanned)
        archive.textsHoldingNul_ = scanned->textsHoldingNul(plist);
    plist_t objects = isType(plist, PLIST_DICT) ? plist_dict_get_item(plist, "$objects") : nullptr;
    plist_t top = isType(plist, PLIST_DICT) ? plist_dict_get_item(plist, "$top") : nullptr;
    if (!isType(objects, PLIST_ARRAY) || !isType(top, PLIST_DICT))
        fail(QStringLiteral("The file is a property list but no keyed archive."));
    forEachItem(objects, kMostObjects, [&archive](plist_t item) { archive.objects_.push_back(item); });
    if (archive.objects_.empty())
        fail(QStringLiteral("The archive holds no objects."));
    return archive;
}

ArchivedObject KeyedArchive::root() const
{
    plist_t top = plist_dict_get_item(static_cast<plist_t>(plist_), "$top");
    plist_t reference = plist_dict_get_item(top, "root");
    if (!referenceIndex(reference))
        fail(QStringLiteral("The archive names no top object."));
    return resolve(reference, {});
}

void* KeyedArchive::dereference(void* node, const std::vector<std::uint64_t>& path,
                                std::vector<std::uint64_t>* reached) const
{
    if (reached)
        *reached = path;
    const std::optional<std::uint64_t> reference = referenceIndex(static_cast<plist_t>(node));
    if (!reference)
        return node;
    const std::uint64_t index = *reference;
    if (index >= objects_.size())
        fail(QStringLiteral("The archive refers to object %1 of only %2.").arg(index).arg(objects_.size()));
    if (std::find(path.begin(), path.end(), index) != path.end())
        fail(QStringLiteral("The archive's objects refer to one another in a circle."));
    if (path.size() >= kDeepest)
        fail(QStringLiteral("The archive's objects are nested too deeply."));
    if (reached)
        reached->push_back(index);
    return objects_[static_cast<std::size_t>(index)];
}

ArchivedObject KeyedArchive::resolve(void* reference, const std::vector<std::uint64_t>& path) const
{
    std::vector<std::uint64_t> reached;
    void* node = dereference(reference, path, &reached);
    if (!isType(static_cast<plist_t>(node), PLIST_DICT))
        fail(QStringLiteral("An archived object is damaged."));
    return ArchivedObject(this, node, std::move(reached));
}

QString KeyedArchive::text(void* node) const
{
    if (const auto whole = textsHoldingNul_.find(node); whole != textsHoldingNul_.end())
        return whole->second;
    return stringValue(static_cast<plist_t>(node));
}

// --- Archived values ---------------------------------------------------------------------------------

void* ArchivedValue::target() const
{
    if (!entry_)
        return nullptr;
    return owner_->archive_->dereference(entry_, owner_->path_, nullptr);
}

std::optional<std::int64_t> ArchivedValue::integer() const
{
    plist_t value = static_cast<plist_t>(target());
    if (isType(value, PLIST_UINT)) {
        std::uint64_t bits = 0;
        plist_get_uint_val(value, &bits);
        return static_cast<std::int64_t>(bits);
    }
    if (isType(value, PLIST_REAL)) {
        double number = 0;
        plist_get_real_val(value, &number);
        // A whole number written as a fraction; one beyond the range counts as unreadable.
        if (!(number > -9.2e18 && number < 9.2e18))
            return std::nullopt;
        return static_cast<std::int64_t>(number);
    }
    if (isType(value, PLIST_BOOLEAN)) {
        std::uint8_t flag = 0;
        plist_get_bool_val(value, &flag);
        return flag ? 1 : 0;
    }
    return std::nullopt;
}

std::optional<double> ArchivedValue::real() const
{
    plist_t value = static_cast<plist_t>(target());
    if (isType(value, PLIST_REAL)) {
        double number = 0;
        plist_get_real_val(value, &number);
        return number;
    }
    if (const std::optional<std::int64_t> whole = isType(value, PLIST_UINT) ? integer() : std::nullopt)
        return static_cast<double>(*whole);
    return std::nullopt;
}

std::optional<bool> ArchivedValue::boolean() const
{
    plist_t value = static_cast<plist_t>(target());
    if (isType(value, PLIST_BOOLEAN)) {
        std::uint8_t flag = 0;
        plist_get_bool_val(value, &flag);
        return flag != 0;
    }
    if (isType(value, PLIST_UINT))
        return integer().value_or(0) != 0;
    return std::nullopt;
}

std::optional<QString> ArchivedValue::text() const
{
    // Object 0 of every archive stands for "no value".
    if (!entry_ || referenceIndex(static_cast<plist_t>(entry_)) == std::uint64_t{0})
        return std::nullopt;
    plist_t value = static_cast<plist_t>(target());
    if (isType(value, PLIST_STRING))
        return owner_->archive_->text(value);
    // A mutable string is archived as an object holding its text.
    plist_t inner = isType(value, PLIST_DICT) ? plist_dict_get_item(value, "NS.string") : nullptr;
    if (isType(inner, PLIST_STRING))
        return owner_->archive_->text(inner);
    return std::nullopt;
}

// --- Archived objects -------------------------------------------------------------------------------

ArchivedValue ArchivedObject::value(const char* key) const
{
    return ArchivedValue(this, plist_dict_get_item(static_cast<plist_t>(node_), key));
}

bool ArchivedObject::has(const char* key) const
{
    return plist_dict_get_item(static_cast<plist_t>(node_), key) != nullptr;
}

QString ArchivedObject::className() const
{
    return classNameOf(plist_dict_get_item(static_cast<plist_t>(node_), "$class"));
}

QString ArchivedObject::classNameOf(void* classEntry) const
{
    if (!classEntry)
        return QString();
    plist_t description = static_cast<plist_t>(archive_->dereference(classEntry, path_, nullptr));
    plist_t name = isType(description, PLIST_DICT) ? plist_dict_get_item(description, "$classname") : nullptr;
    return isType(name, PLIST_STRING) ? archive_->text(name) : QString();
}

std::optional<std::vector<ArchivedObject>> ArchivedObject::objects(const char* key) const
{
    plist_t reference = plist_dict_get_item(static_cast<plist_t>(node_), key);
    if (!reference || referenceIndex(reference) == std::uint64_t{0})
        return std::nullopt;
    std::vector<std::uint64_t> reached;
    plist_t array = static_cast<plist_t>(archive_->dereference(reference, path_, &reached));
    plist_t items = isType(array, PLIST_DICT) ? plist_dict_get_item(array, "NS.objects") : nullptr;
    if (!isType(items, PLIST_ARRAY))
        fail(QStringLiteral("The archive holds no list under \"%1\".").arg(QString::fromLatin1(key)));
    std::vector<ArchivedObject> found;
    forEachItem(items, KeyedArchive::kMostObjects,
                [&](plist_t item) { found.push_back(archive_->resolve(item, reached)); });
    return found;
}

// --- Fields of many objects -------------------------------------------------------------------------

ArchivedFields::ArchivedFields(std::span<const char* const> keys)
    : keys_(keys)
    , values_(keys.size())
{
}

// Keys are compared in place: the library's copy of a key gives up on one holding a NUL.
bool ArchivedFields::holds(void* key, std::ptrdiff_t wanted) const
{
    const char* name = wanted == kClass ? "$class" : keys_[static_cast<std::size_t>(wanted)];
    return plist_key_val_compare(static_cast<plist_t>(key), name) == 0;
}

std::ptrdiff_t ArchivedFields::wantedOf(void* key) const
{
    if (holds(key, kClass))
        return kClass;
    for (std::size_t at = 0; at < keys_.size(); ++at)
        if (holds(key, static_cast<std::ptrdiff_t>(at)))
            return static_cast<std::ptrdiff_t>(at);
    return kOther;
}

void ArchivedFields::read(const ArchivedObject& object)
{
    object_ = &object;
    classEntry_ = nullptr;
    std::fill(values_.begin(), values_.end(), ArchivedValue());
    plist_t dict = static_cast<plist_t>(object.node_);
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dict, &iterator);
    if (!iterator)
        throw std::bad_alloc();
    const std::unique_ptr<void, decltype(&std::free)> owned(iterator, &std::free);
    for (std::size_t place = 0;; ++place) {
        plist_t entry = nullptr;
        plist_dict_next_item(dict, iterator, nullptr, &entry);
        if (!entry)
            return;
        plist_t key = plist_dict_item_get_key(entry);
        if (place == places_.size())
            places_.push_back(kOther);
        std::ptrdiff_t& wanted = places_[place];
        if (wanted == kOther || !holds(key, wanted))
            wanted = wantedOf(key);
        if (wanted == kClass) {
            if (!classEntry_)
                classEntry_ = entry;
        } else if (wanted != kOther && !values_[static_cast<std::size_t>(wanted)].present()) {
            values_[static_cast<std::size_t>(wanted)] = ArchivedValue(&object, entry);
        }
    }
}

QString ArchivedFields::className() const
{
    return object_->classNameOf(classEntry_);
}

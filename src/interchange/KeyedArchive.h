#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

// A keyed archive read from a property list (binary or XML): a table of objects in which
// objects refer to one another by index, each archived object naming its class and holding
// its fields under keys.
//
// The file is user input. Every reference is checked against the table, the table's size is
// limited, and following references is limited in depth and never revisits an object on the
// way, so a damaged or hostile archive gives an error and never a crash or an endless walk.
// Every array is walked once, from its start (the property-list library finds an array's n-th
// item by walking to it), so reading takes time in proportion to the file. Before the library
// reads the file, its objects are walked once each (PropertyListScan), so that what the library
// builds, copying a shared object once per reference, is bounded by the file's size.
// The archive owns the property-list tree; ArchivedObject views into it are valid while the
// archive lives.
class KeyedArchive;
class ArchivedObject;

// What an archived object holds under one key, as it is written there: a reference is followed,
// and checked, only when the value is read, so that a damaged value is refused when it is read.
// Valid while the object it was read from lives.
class ArchivedValue
{
public:
    ArchivedValue() = default;

    // The key is there (whatever it holds).
    bool present() const { return entry_ != nullptr; }
    // The value, or nothing when the key is missing or holds another kind of value.
    std::optional<std::int64_t> integer() const;
    std::optional<double> real() const;
    std::optional<bool> boolean() const;
    // Nothing also when the key refers to no value (object 0).
    std::optional<QString> text() const;

private:
    friend class ArchivedObject;
    friend class ArchivedFields;
    ArchivedValue(const ArchivedObject* owner, void* entry)
        : owner_(owner)
        , entry_(entry)
    {
    }
    // The value a reference refers to, or the entry itself when it is no reference.
    void* target() const;

    const ArchivedObject* owner_ = nullptr;
    void* entry_ = nullptr;
};

class ArchivedObject
{
public:
    // The archived class's name; empty for a plain value.
    QString className() const;
    bool has(const char* key) const;
    ArchivedValue value(const char* key) const;
    // A field's value, or nothing when the key is missing or holds another kind of value.
    std::optional<std::int64_t> integer(const char* key) const { return value(key).integer(); }
    std::optional<double> real(const char* key) const { return value(key).real(); }
    std::optional<bool> boolean(const char* key) const { return value(key).boolean(); }
    std::optional<QString> text(const char* key) const { return value(key).text(); }
    // The objects of an archived array under the key; nothing when the key is missing or
    // refers to no value (object 0). Throws ArchiveError when the key holds anything but an
    // array, or an array of more items than an archive may hold.
    std::optional<std::vector<ArchivedObject>> objects(const char* key) const;

private:
    friend class KeyedArchive;
    friend class ArchivedValue;
    friend class ArchivedFields;
    ArchivedObject(const KeyedArchive* archive, void* node, std::vector<std::uint64_t> path)
        : archive_(archive)
        , node_(node)
        , path_(std::move(path))
    {
    }
    // The name of the class a "$class" entry refers to.
    QString classNameOf(void* classEntry) const;

    const KeyedArchive* archive_ = nullptr;
    void* node_ = nullptr;
    // The object indexes followed to reach this object, for the cycle and depth checks.
    std::vector<std::uint64_t> path_;
};

// The values under one list of keys of many archived objects of a class, each object's fields
// walked once: looking every key up by name walks them once a key. The objects of a class are
// archived with their keys in one order, so the walk remembers which key it met at each place and
// checks it with one comparison; only a key met at a new place is compared with every key. A key
// written twice counts by its first entry, as a look-up by name finds.
class ArchivedFields
{
public:
    explicit ArchivedFields(std::span<const char* const> keys);

    // Walks the fields of `object`, which must outlive the values read.
    void read(const ArchivedObject& object);
    // The value under keys[at] in the object read last.
    const ArchivedValue& operator[](std::size_t at) const { return values_[at]; }
    const char* key(std::size_t at) const { return keys_[at]; }
    // The class of the object read last, as ArchivedObject::className.
    QString className() const;

private:
    // What a place holds: one of keys_ by its index, or one of these.
    static constexpr std::ptrdiff_t kOther = -1;
    static constexpr std::ptrdiff_t kClass = -2;
    bool holds(void* key, std::ptrdiff_t wanted) const;
    std::ptrdiff_t wantedOf(void* key) const;

    std::span<const char* const> keys_;
    std::vector<ArchivedValue> values_;
    // What the key at each place of the object read last was.
    std::vector<std::ptrdiff_t> places_;
    const ArchivedObject* object_ = nullptr;
    void* classEntry_ = nullptr;
};

// A failure to read an archive; the message says what was wrong in plain words.
struct ArchiveError {
    QString message;
};

class KeyedArchive
{
public:
    static constexpr std::size_t kMostObjects = 1'000'000;
    static constexpr std::size_t kDeepest = 32;

    ~KeyedArchive();
    KeyedArchive(KeyedArchive&& other) noexcept;
    KeyedArchive& operator=(KeyedArchive&&) = delete;
    KeyedArchive(const KeyedArchive&) = delete;
    KeyedArchive& operator=(const KeyedArchive&) = delete;

    // Reads a binary or XML property list holding a keyed archive. Throws ArchiveError.
    static KeyedArchive read(const QByteArray& bytes);

    // The top object ("root"). Throws ArchiveError when it is missing or damaged.
    ArchivedObject root() const;

private:
    friend class ArchivedObject;
    friend class ArchivedValue;
    explicit KeyedArchive(void* plist);
    // The object a reference names, checked. Throws ArchiveError.
    ArchivedObject resolve(void* reference, const std::vector<std::uint64_t>& path) const;
    // Follows a reference, or answers the node itself when it is no reference.
    void* dereference(void* node, const std::vector<std::uint64_t>& path, std::vector<std::uint64_t>* reached) const;
    // The text of a string node, without the NUL characters it may hold.
    QString text(void* node) const;

    void* plist_ = nullptr;
    // The archive's object table, read once.
    std::vector<void*> objects_;
    // The texts of the nodes that the property-list library cut short at a NUL, read whole from
    // the file, without their NUL characters; nodes copied from one object share one text.
    std::unordered_map<const void*, QString> textsHoldingNul_;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A keyed archive read from a property list (binary or XML): a table of objects in which
// objects refer to one another by index, each archived object naming its class and holding
// its fields under keys.
//
// The file is user input. Every reference is checked against the table, the table's size is
// limited, and following references is limited in depth and never revisits an object on the
// way, so a damaged or hostile archive gives an error and never a crash or an endless walk.
// Every array is walked once, from its start (the property-list library finds an array's n-th
// item by walking to it), so reading takes time in proportion to the file.
// The archive owns the property-list tree; ArchivedObject views into it are valid while the
// archive lives.
class KeyedArchive;

class ArchivedObject
{
public:
    // The archived class's name; empty for a plain value.
    QString className() const;
    bool has(const char* key) const;
    // A field's value, or nothing when the key is missing or holds another kind of value.
    std::optional<std::int64_t> integer(const char* key) const;
    std::optional<double> real(const char* key) const;
    std::optional<bool> boolean(const char* key) const;
    std::optional<QString> text(const char* key) const;
    // The objects of an archived array under the key; nothing when the key is missing or
    // refers to no value (object 0). Throws ArchiveError when the key holds anything but an
    // array, or an array of more items than an archive may hold.
    std::optional<std::vector<ArchivedObject>> objects(const char* key) const;

private:
    friend class KeyedArchive;
    ArchivedObject(const KeyedArchive* archive, void* node, std::vector<std::uint64_t> path)
        : archive_(archive)
        , node_(node)
        , path_(std::move(path))
    {
    }
    void* field(const char* key) const;

    const KeyedArchive* archive_ = nullptr;
    void* node_ = nullptr;
    // The object indexes followed to reach this object, for the cycle and depth checks.
    std::vector<std::uint64_t> path_;
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
    explicit KeyedArchive(void* plist);
    // The object a reference names, checked. Throws ArchiveError.
    ArchivedObject resolve(void* reference, const std::vector<std::uint64_t>& path) const;
    // Follows a reference, or answers the node itself when it is no reference.
    void* dereference(void* node, const std::vector<std::uint64_t>& path, std::vector<std::uint64_t>* reached) const;

    void* plist_ = nullptr;
    // The archive's object table, read once.
    std::vector<void*> objects_;
};

#pragma once

#include "KeyedArchive.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

// What the property-list library would build from a file, worked out from the file's own bytes
// before the library reads it, so that a file the library would blow up, or recurse through
// until the stack runs out, is refused first. Both throw the ArchiveError of a file that is not
// a property list.
namespace PropertyListScan {

// Nesting deeper than this, in either form, is refused: a project nests some five levels, and
// the library reads and frees a tree by recursion.
constexpr std::size_t kDeepest = 128;

// What the library spends on one value besides its text, in bytes (measured: 100 to 120).
constexpr std::uint64_t kValueBytes = 128;

// The most bytes the library may spend on a file of `size` bytes, which it copies a shared
// object for once per reference. A project shares little but its keys and class names, and its
// reading costs some twenty-five times its size (a file of nothing but shared keys, under fifty):
// the bound stands far above any project, and grows with the file, not with its references.
constexpr std::uint64_t mostBytesFor(std::uint64_t size)
{
    return 64 * 1024 * 1024 + 64 * size;
}

// The message for a file that cannot be read as a property list.
ArchiveError notAPropertyList();

// The binary form's objects, walked once from the top object, each object read once however
// often it is referred to: every offset, count and reference is checked against the file, an
// object whose bytes run into the next object's is damage, and the bytes the library would
// spend, counting a shared object once per reference as the library copies it, are kept
// within mostBytesFor(the file's size).
class BinaryObjects
{
public:
    // Throws ArchiveError when the file is damaged, nests too deeply or would cost too much.
    explicit BinaryObjects(const QByteArray& bytes);

    // The whole text, without its NUL characters, of each text node of `tree` (the library's
    // reading of these bytes) that the library cut short at a NUL: the library measures an
    // ASCII text up to its first NUL. Nodes copied from one object share that object's text.
    std::unordered_map<const void*, QString> textsHoldingNul(void* tree) const;

private:
    struct Object {
        int type;
        std::uint64_t count;
        qsizetype content;
    };
    enum State : std::uint8_t { kUnseen, kOpen, kDone, kDoneReachingNul };

    std::uint64_t bigEndian(qsizetype at, int size) const;
    // The object's type and count, checked to lie before the offset table and before the next
    // object's start.
    Object object(std::uint64_t index) const;
    // The bytes the library spends on the object, its children counted once per reference.
    std::uint64_t walk(std::uint64_t index, std::size_t depth);
    // Whether an object of the table starts in [from, to).
    bool anyStartWithin(std::uint64_t from, std::uint64_t to) const;

    const QByteArray& bytes_;
    int offsetSize_ = 0;
    int referenceSize_ = 0;
    std::uint64_t count_ = 0;
    qsizetype table_ = 0;
    std::uint64_t mostBytes_ = 0;
    // Whether an object of the table starts at a byte, a bit a byte before the offset table.
    std::vector<std::uint64_t> starts_;
    // By object index, for the objects walked.
    std::vector<State> states_;
    std::vector<std::uint64_t> costs_;
    std::vector<std::uint8_t> heights_;
    // The ASCII texts that hold a NUL, by object index, without their NUL characters.
    std::unordered_map<std::uint64_t, QString> textsHoldingNul_;
    std::uint64_t top_ = 0;
};

// Refuses an XML property list whose arrays and dictionaries nest deeper than kDeepest, read as
// the library reads its markup. A construct the library could read differently (a quote left
// open in a tag, a declaration or a processing instruction, a document type with declarations of
// its own) is refused too. Every value of the XML form is written out in full, in six bytes at
// least, so the library spends at most some twenty times the file's size on it, within
// mostBytesFor(the size): no count is needed.
void checkXmlNesting(const QByteArray& xml);

} // namespace PropertyListScan

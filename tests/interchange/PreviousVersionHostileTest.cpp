#include "interchange/KeyedArchive.h"
#include "interchange/PreviousVersionProject.h"
#include "interchange/PropertyListScan.h"
#include "support/TimeLimit.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using PreviousVersion::Screenplay;

// Writes a binary property list object by object, as a damaged or hostile file holds it: a
// reference may be shared, a table entry may name an object nothing refers to, a count may run
// on. References and offsets take four bytes.
class RawList
{
public:
    std::uint32_t add(const QByteArray& object)
    {
        offsets_.push_back(static_cast<std::uint32_t>(8 + body_.size()));
        body_ += object;
        return static_cast<std::uint32_t>(offsets_.size() - 1);
    }
    // One more table entry naming the object at `index`.
    std::uint32_t alias(std::uint32_t index)
    {
        offsets_.push_back(offsets_[index]);
        return static_cast<std::uint32_t>(offsets_.size() - 1);
    }
    std::uint32_t ascii(const QByteArray& text) { return add(marker(0x5, text.size()) + text); }
    std::uint32_t uid(std::uint32_t value) { return add('\x83' + bigEndian(value)); }
    std::uint32_t array(const std::vector<std::uint32_t>& items)
    {
        QByteArray object = marker(0xA, static_cast<qsizetype>(items.size()));
        for (const std::uint32_t item : items)
            object += bigEndian(item);
        return add(object);
    }
    std::uint32_t dict(const std::vector<std::pair<const char*, std::uint32_t>>& entries)
    {
        QByteArray keys;
        QByteArray values;
        for (const auto& [key, value] : entries) {
            keys += bigEndian(ascii(key));
            values += bigEndian(value);
        }
        return add(marker(0xD, static_cast<qsizetype>(entries.size())) + keys + values);
    }
    QByteArray finish(std::uint32_t top) const
    {
        QByteArray table;
        for (const std::uint32_t offset : offsets_)
            table += bigEndian(offset);
        return "bplist00" + body_ + table + QByteArray(6, '\0') + "\x04\x04" + bigEndian(offsets_.size(), 8) +
               bigEndian(top, 8) + bigEndian(static_cast<std::uint64_t>(8 + body_.size()), 8);
    }

private:
    static QByteArray bigEndian(std::uint64_t value, int size = 4)
    {
        QByteArray bytes;
        for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
            bytes += static_cast<char>((value >> shift) & 0xFF);
        return bytes;
    }
    // An object's first byte, its type and count, and a larger count after it.
    static QByteArray marker(int type, qsizetype count)
    {
        if (count < 15)
            return QByteArray(1, static_cast<char>(type << 4 | static_cast<int>(count)));
        return QByteArray(1, static_cast<char>(type << 4 | 0xF)) + '\x12' +
               bigEndian(static_cast<std::uint64_t>(count));
    }

    QByteArray body_;
    std::vector<std::uint32_t> offsets_;
};

// A keyed archive of one Screenplay: its table of objects lists "$null", the root, the root's
// class, then what the root's fields refer to.
class RawProject
{
public:
    RawProject()
        : table_{raw.ascii("$null"), 0, raw.dict({{"$classname", raw.ascii("Screenplay")}})}
    {
    }
    // Lists `object` in the table; the reference a field holds to it there. Each listing is a
    // reference of the file's own, which the library copies the object for.
    std::uint32_t listed(std::uint32_t object, std::size_t times = 1)
    {
        table_.insert(table_.end(), times, object);
        return raw.uid(static_cast<std::uint32_t>(table_.size() - 1));
    }
    QByteArray finish(std::vector<std::pair<const char*, std::uint32_t>> fields)
    {
        fields.emplace_back("$class", raw.uid(2));
        table_[1] = raw.dict(fields);
        const std::uint32_t top = raw.dict({{"root", raw.uid(1)}});
        return raw.finish(raw.dict({{"$top", top}, {"$objects", raw.array(table_)}}));
    }

    RawList raw;

private:
    std::vector<std::uint32_t> table_;
};

// Arrays each holding `width` references to the one below, `levels` deep, over `bottom`.
std::uint32_t nested(RawList& raw, std::uint32_t bottom, int levels, std::size_t width)
{
    std::uint32_t below = bottom;
    for (int level = 0; level < levels; ++level)
        below = raw.array(std::vector<std::uint32_t>(width, below));
    return below;
}

// A project whose notes are `text`, listed `copies` times in the archive's table.
QByteArray textListed(const QByteArray& text, std::size_t copies)
{
    RawProject project;
    return project.finish({{"generalNotes", project.listed(project.raw.ascii(text), copies)}});
}

// A project whose notes stand under arrays nested `levels` deep in the archive's table.
QByteArray nestedUnderNotes(int levels, std::size_t width, const QByteArray& bottom)
{
    RawProject project;
    const std::uint32_t notes = project.listed(nested(project.raw, project.raw.ascii(bottom), levels, width));
    return project.finish({{"generalNotes", notes}});
}

// The bytes the reader lets the library spend on copies of a text of `length` bytes listed so
// many times that they cost `share` of what a file of their size may cost.
QByteArray copiesCosting(double share, qsizetype length)
{
    const QByteArray text(length, 'x');
    const auto frame = static_cast<double>(textListed(text, 1).size() - 4);
    // Each listing adds four bytes to the file, and a value with the text to the library's tree.
    const double copy = static_cast<double>(PropertyListScan::kValueBytes + static_cast<std::uint64_t>(length) + 1);
    const double most = static_cast<double>(PropertyListScan::mostBytesFor(0));
    const double perByte = static_cast<double>(PropertyListScan::mostBytesFor(1) - PropertyListScan::mostBytesFor(0));
    const double copies = share * (most + perByte * frame) / (copy - share * perByte * 4);
    return textListed(text, static_cast<std::size_t>(copies));
}

const QString kNotAPropertyList = QStringLiteral("The file is not a property list.");

// An XML property list of arrays nested `levels` deep, `inside` written after each opening tag,
// closed or not.
QByteArray xmlNested(int levels, const QByteArray& inside = {}, bool closed = true)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" +
           ("<array>" + inside).repeated(levels) + QByteArray(closed ? "</array>" : "").repeated(levels) + "</plist>";
}

} // namespace

// Files made to cost the reader time, memory or its stack: each is read, or refused as a file
// that is not a property list, in well under a second, the library never reading more than the
// file's size allows.
TEST(PreviousVersionArchive, HostileArchivesAreReadOrRefusedInTimeThatGrowsWithTheirSize)
{
    struct Row {
        const char* name;
        std::function<QByteArray()> bytes;
        // The reason it is refused; empty when it is read.
        QString refusal;
        std::function<void(const Screenplay&)> check;
    };
    const Row rows[] = {
        {"200,000 table entries naming one 16 MB text that nothing refers to",
         [] {
             RawProject project;
             const std::uint32_t title = project.listed(project.raw.ascii("Title"));
             const std::uint32_t unused = project.raw.ascii(QByteArray(16 * 1024 * 1024, 'x'));
             for (int entry = 0; entry < 200'000; ++entry)
                 project.raw.alias(unused);
             return project.finish({{"screenPlayTitle", title}});
         },
         {}, [](const Screenplay& read) { EXPECT_EQ(read.screenPlayTitle, QStringLiteral("Title")); }},
        {"a text holding a NUL that many listings copy is kept once",
         [] {
             RawProject project;
             const std::uint32_t shared = project.raw.ascii(QByteArray("Dawn\0 at sea", 12).repeated(1000));
             std::vector<std::pair<const char*, std::uint32_t>> beats;
             for (const char* beat : {"beat1", "beat2", "beat3", "beat15"})
                 beats.emplace_back(beat, project.listed(shared));
             return project.finish(beats);
         },
         {},
         [](const Screenplay& read) {
             EXPECT_EQ(read.beats[0], QStringLiteral("Dawn at sea").repeated(1000));
             for (const std::size_t beat : {1, 2, 14})
                 EXPECT_EQ(read.beats[beat].constData(), read.beats[0].constData()) << "beat " << beat + 1;
         }},
        {"a 20,000-byte text holding a NUL, listed 30,000 times",
         [] { return textListed(QByteArray(10'000, 'x') + '\0' + QByteArray(9'999, 'y'), 30'000); }, kNotAPropertyList,
         {}},
        {"300 references to 300 references to a 1,000-byte text",
         [] { return nestedUnderNotes(2, 300, QByteArray(1000, 'x')); }, kNotAPropertyList, {}},
        {"three levels of 200 references over a 1,000-byte text",
         [] { return nestedUnderNotes(3, 200, QByteArray(1000, 'x')); }, kNotAPropertyList, {}},
        {"copies costing just under what the file's size allows", [] { return copiesCosting(0.99, 1000); }, {},
         [](const Screenplay& read) { EXPECT_EQ(read.generalNotes, QString(1000, u'x')); }},
        {"copies costing just over what the file's size allows", [] { return copiesCosting(1.01, 1000); },
         kNotAPropertyList, {}},
        {"a title whose count runs one byte on into the object after it",
         [] {
             RawProject project;
             const std::uint32_t title = project.listed(project.raw.add(QByteArray("\x56Title")));
             return project.finish({{"screenPlayTitle", title}});
         },
         kNotAPropertyList, {}},
        // The top dictionary and its table of objects stand above the arrays.
        {"arrays nested as deep as the library may go",
         [] { return nestedUnderNotes(PropertyListScan::kDeepest - 3, 1, "Notes"); }, {},
         [](const Screenplay& read) { EXPECT_TRUE(read.generalNotes.isEmpty()); }},
        {"arrays nested one level deeper", [] { return nestedUnderNotes(PropertyListScan::kDeepest - 2, 1, "Notes"); },
         kNotAPropertyList, {}},
        {"arrays nested 200,000 deep", [] { return nestedUnderNotes(200'000, 1, "Notes"); }, kNotAPropertyList, {}},
        // As deep as the library may go, the XML form is read as a property list but no archive.
        {"XML arrays nested as deep as the library may go", [] { return xmlNested(PropertyListScan::kDeepest); },
         QStringLiteral("The file is a property list but no keyed archive."), {}},
        {"XML arrays nested one level deeper", [] { return xmlNested(PropertyListScan::kDeepest + 1); },
         kNotAPropertyList, {}},
        {"XML arrays nested 300,000 deep", [] { return xmlNested(300'000); }, kNotAPropertyList, {}},
        {"XML arrays nested 300,000 deep, never closed", [] { return xmlNested(300'000, {}, false); },
         kNotAPropertyList, {}},
        // The library reads no markup inside a comment, nor between quotes in a processing instruction.
        {"XML arrays nested 300,000 deep, closing tags in comments beside them",
         [] { return xmlNested(300'000, "<!-- </array> -->"); }, kNotAPropertyList, {}},
        {"XML arrays nested 300,000 deep, closing tags quoted in instructions beside them",
         [] { return xmlNested(300'000, "<?note \"?></array>\"?>"); }, kNotAPropertyList, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray bytes = row.bytes();
        const TestTime::ThreadCpuClock elapsed;
        try {
            const Screenplay read = PreviousVersion::readProject(bytes);
            EXPECT_TRUE(row.refusal.isEmpty()) << "read without a complaint";
            if (row.check)
                row.check(read);
        } catch (const ArchiveError& error) {
            EXPECT_EQ(error.message, row.refusal);
        }
        EXPECT_LT(elapsed.elapsedMs(), TestTime::limitMs(1000));
    }
}

// The placeholder pictures for characters and locations travel inside the model library as
// resources. These checks read them as plain bytes, so they need nothing beyond QtCore.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint32_t kExpectedSide = 128;
const QByteArray kPngSignature = QByteArray::fromRawData("\x89PNG\r\n\x1a\n", 8);

QByteArray readResource(const char* name)
{
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

std::uint32_t bigEndian32(const QByteArray& bytes, qsizetype offset)
{
    std::uint32_t value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(offset + i));
    return value;
}

// A well-formed PNG opens with the signature and an IHDR chunk of 13 bytes (width and height
// first) and closes with an empty IEND chunk followed by its fixed CRC.
void expectCompletePng(const QByteArray& bytes, std::uint32_t width, std::uint32_t height)
{
    ASSERT_GE(bytes.size(), 8 + 25 + 12) << "too short to hold a PNG";
    EXPECT_EQ(bytes.left(8), kPngSignature);
    EXPECT_EQ(bigEndian32(bytes, 8), 13u) << "IHDR length";
    EXPECT_EQ(bytes.mid(12, 4), QByteArray("IHDR"));
    EXPECT_EQ(bigEndian32(bytes, 16), width);
    EXPECT_EQ(bigEndian32(bytes, 20), height);
    EXPECT_EQ(bytes.right(12), QByteArray::fromRawData("\0\0\0\0IEND\xae\x42\x60\x82", 12))
        << "the file does not end with IEND, so it was cut short";
}

} // namespace

TEST(ResourceImages, PlaceholdersAreCompletePngsOfTheExpectedSize)
{
    for (const char* name : {":/images/GenericCharacter.png", ":/images/GenericLocation.png"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(QFile::exists(QString::fromLatin1(name)));
        expectCompletePng(readResource(name), kExpectedSide, kExpectedSide);
    }
}

TEST(ResourceImages, CharacterAndLocationPlaceholdersDiffer)
{
    const QByteArray character = readResource(":/images/GenericCharacter.png");
    const QByteArray location = readResource(":/images/GenericLocation.png");
    ASSERT_FALSE(character.isEmpty());
    ASSERT_FALSE(location.isEmpty());
    EXPECT_NE(character, location);
}

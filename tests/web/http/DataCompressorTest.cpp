#include "web/http/DataCompressor.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QByteArray sampleBytes(qsizetype size)
{
    // Half text that compresses well, half noise that does not.
    QByteArray text;
    while (text.size() < size / 2)
        text += "INT. LIGHTHOUSE - NIGHT. The keeper climbs the stairs. ";
    return (text.left(size / 2) + randomBytes(size - size / 2, 7)).left(size);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(DataCompressor, DataOfEverySizeCompressesToGzipAndInflatesBack)
{
    // One byte used to make an output buffer that never grew: compression never ended.
    for (const qsizetype size : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(4095), qsizetype(70000)}) {
        SCOPED_TRACE(size);
        const QByteArray original = sampleBytes(size);
        HTTPErrorPtr error;
        const auto compressed = DataCompressor::compressData(original, &error);
        ASSERT_FALSE(error);
        ASSERT_TRUE(compressed);
        // The gzip magic number opens the stream.
        EXPECT_EQ(compressed->left(2), QByteArray("\x1f\x8b"));
        const auto inflated = DataDecompressor::uncompressData(*compressed, &error);
        ASSERT_FALSE(error);
        ASSERT_TRUE(inflated);
        EXPECT_EQ(*inflated, original);
    }
}

TEST(DataCompressor, NothingComesOfNoBytesAndTheDecompressorReadsZlibAsWellAsGzip)
{
    HTTPErrorPtr error;
    EXPECT_FALSE(DataCompressor::compressData(QByteArray(), &error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(DataDecompressor::uncompressData(QByteArray(), &error));
    EXPECT_FALSE(error);

    const QByteArray original = sampleBytes(5000);
    // qCompress writes a zlib stream after a four-byte length of its own.
    const QByteArray zlibStream = qCompress(original).mid(4);
    const auto inflated = DataDecompressor::uncompressData(zlibStream, &error);
    ASSERT_FALSE(error);
    EXPECT_EQ(inflated.value_or(QByteArray()), original);
}

TEST(DataCompressor, CorruptInputFailsWithTheZlibStatusUnderCodeEleven)
{
    const struct {
        const char* name;
        QByteArray input;
    } rows[] = {
        {"not compressed at all", QByteArray("plain words, no header")},
        {"gzip header then noise", QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10) + QByteArray(40, '\xff')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HTTPErrorPtr error;
        EXPECT_FALSE(DataDecompressor::uncompressData(row.input, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, HTTPError::CompressionFailure);
        EXPECT_EQ(error->description, QStringLiteral("Decompression of data failed with code -3"));
    }
}

TEST(DataCompressor, PiecesCompressedOneByOneMakeOneStream)
{
    const QByteArray original = sampleBytes(9000);
    auto compressor = DataCompressor::compressor();
    ASSERT_TRUE(compressor->streamReady());
    QByteArray stream;
    HTTPErrorPtr error;
    for (qsizetype at = 0; at < original.size(); at += 1000) {
        const bool last = at + 1000 >= original.size();
        const auto piece = compressor->compressBytes(original.constData() + at, 1000, &error, last);
        ASSERT_FALSE(error);
        stream += piece.value_or(QByteArray());
    }
    EXPECT_FALSE(compressor->closeStream());
    EXPECT_FALSE(compressor->streamReady());

    auto decompressor = DataDecompressor::decompressor();
    QByteArray inflated;
    for (qsizetype at = 0; at < stream.size(); at += 7)
        inflated += decompressor->uncompressBytes(stream.constData() + at, std::min<qsizetype>(7, stream.size() - at),
                                                  &error)
                        .value_or(QByteArray());
    ASSERT_FALSE(error);
    EXPECT_EQ(inflated, original);
}

TEST(DataCompressor, CompressedFilesPassGzipTestAndInflateBack)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // Empty, smaller than a chunk, exactly two chunks (the stream must still be finished), more.
    for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(1000), qsizetype(524288), qsizetype(600000)}) {
        SCOPED_TRACE(size);
        const QByteArray original = sampleBytes(size);
        const QString source = folder.filePath(QStringLiteral("source-%1").arg(size));
        const QString gzipped = source + QStringLiteral(".gz");
        const QString inflated = source + QStringLiteral(".out");
        ASSERT_TRUE(writeFile(source, original));
        HTTPErrorPtr error;
        ASSERT_TRUE(DataCompressor::compressDataFromFile(source, gzipped, &error));
        ASSERT_FALSE(error);

        QProcess gzip;
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-t"), gzipped});
        ASSERT_TRUE(gzip.waitForFinished(20000));
        EXPECT_EQ(gzip.exitCode(), 0) << gzip.readAllStandardError().toStdString();
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), gzipped});
        ASSERT_TRUE(gunzip.waitForFinished(20000));
        EXPECT_EQ(gunzip.readAllStandardOutput(), original);

        ASSERT_TRUE(DataDecompressor::uncompressDataFromFile(gzipped, inflated, &error));
        EXPECT_EQ(readFile(inflated), original);
    }
}

TEST(DataCompressor, FileRoutinesNameWhatWentWrong)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath(QStringLiteral("missing"));
    const QString source = folder.filePath(QStringLiteral("source"));
    const QString target = folder.filePath(QStringLiteral("target"));
    const QString unwritable = folder.filePath(QStringLiteral("no-such-folder/target"));
    ASSERT_TRUE(writeFile(source, sampleBytes(3000)));
    const QString gzipped = folder.filePath(QStringLiteral("whole.gz"));
    ASSERT_TRUE(DataCompressor::compressDataFromFile(source, gzipped, nullptr));
    const QString cut = folder.filePath(QStringLiteral("cut.gz"));
    ASSERT_TRUE(writeFile(cut, readFile(gzipped).left(readFile(gzipped).size() / 2)));

    const struct {
        const char* name;
        bool compressing;
        QString from;
        QString to;
        QString message;
    } rows[] = {
        {"compress a missing file", true, missing, target,
         QStringLiteral("Compression of %1 failed the file does not exist").arg(missing)},
        {"inflate a missing file", false, missing, target,
         QStringLiteral("Decompression of %1 failed the file does not exist").arg(missing)},
        {"compress into a missing folder", true, source, unwritable,
         QStringLiteral("Compression of %1 failed because we were to create a file at %2").arg(source, unwritable)},
        {"inflate plain text", false, source, target, QStringLiteral("Decompression of data failed with code -3")},
        // A cut file would otherwise inflate to a shorter file reported as complete.
        {"inflate a cut gzip file", false, cut, target, QStringLiteral("Decompression of data failed with code -5")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HTTPErrorPtr error;
        const bool done = row.compressing ? DataCompressor::compressDataFromFile(row.from, row.to, &error)
                                          : DataDecompressor::uncompressDataFromFile(row.from, row.to, &error);
        EXPECT_FALSE(done);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, HTTPError::CompressionFailure);
        EXPECT_EQ(error->description, row.message);
    }
}

TEST(DataCompressor, InflatingHandsOnBoundedStepsAndACutStreamIsAnError)
{
    // 64 MiB of one letter inflate from some 64 KiB, fed as one piece.
    const QByteArray whole(64 * 1024 * 1024, 'q');
    const QByteArray gzipped = DataCompressor::compressData(whole, nullptr).value();
    ASSERT_LT(gzipped.size(), 200000);
    auto decompressor = DataDecompressor::decompressor();
    qsizetype total = 0;
    qsizetype largest = 0;
    bool allLetters = true;
    const HTTPErrorPtr failure = decompressor->processInSteps(
        gzipped.constData(), gzipped.size(), false, [&](const char* bytes, qsizetype length) {
            total += length;
            largest = std::max(largest, length);
            allLetters = allLetters && std::all_of(bytes, bytes + length, [](char c) { return c == 'q'; });
            return true;
        });
    EXPECT_FALSE(failure);
    EXPECT_EQ(total, whole.size());
    EXPECT_LE(largest, ZlibCodec::kStepSize);
    EXPECT_TRUE(allLetters);
    EXPECT_TRUE(decompressor->streamEnded());

    // A sink that stops ends the work at once, without an error.
    auto stopped = DataDecompressor::decompressor();
    int pieces = 0;
    EXPECT_FALSE(stopped->processInSteps(gzipped.constData(), gzipped.size(), false,
                                         [&](const char*, qsizetype) { return ++pieces < 3; }));
    EXPECT_EQ(pieces, 3);
    EXPECT_FALSE(stopped->streamEnded());

    // Cut before its trailer, or with a trailer that disagrees: an error, never a shorter copy.
    const QByteArray small = DataCompressor::compressData(QByteArray("FADE IN. ").repeated(500), nullptr).value();
    QByteArray wrongLength = small;
    wrongLength[wrongLength.size() - 2] = char(wrongLength[wrongLength.size() - 2] ^ 0x10);
    QByteArray wrongChecksum = small;
    wrongChecksum[wrongChecksum.size() - 6] = char(wrongChecksum[wrongChecksum.size() - 6] ^ 0x10);
    const struct {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"no trailer", small.left(small.size() - 8)},
        {"half a trailer", small.left(small.size() - 3)},
        {"half the stream", small.left(small.size() / 2)},
        {"a wrong length", wrongLength},
        {"a wrong checksum", wrongChecksum},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HTTPErrorPtr error;
        EXPECT_FALSE(DataDecompressor::uncompressData(row.bytes, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, HTTPError::CompressionFailure);
    }
}

#include "model/AttachedObjectdb.h"
#include "model/DatabaseError.h"
#include "model/RecordSorting.h"
#include "model/SceneCardObjectdb.h"
#include "support/QtPrinting.h"
#include "support/TempStory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

// Bytes of every value, zero bytes included, reproducible from the seed.
QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A story with one attachment row, stored and clean, and a folder for files going in and out.
class AttachmentBlobs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        attachment.setTitle(QStringLiteral("New Attached File"));
        attachment.setObjectType(2);
        attachment.insertIntoDatabase(&file.story());
        attachment.save();
        ASSERT_FALSE(attachment.isDirty());
    }

    QString inFolder(const QString& name) const { return folder.filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile out(inFolder(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    }

    // How a blob column of the attachment's row is stored: NULL, or its type and length.
    QString stored(const char* column) const
    {
        return file.scalar(QStringLiteral("SELECT CASE WHEN %1 IS NULL THEN 'NULL' ELSE typeof(%1)||length(%1) END "
                                          "FROM AttachedObject WHERE AttachedObjectID=%2")
                               .arg(QLatin1String(column))
                               .arg(attachment.attachedObjectID()));
    }

    QStringList folderEntries() const
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    template <typename Operation>
    static void expectSaveFailure(Operation operation, const char* detail)
    {
        try {
            operation();
            ADD_FAILURE() << "no DatabaseError for " << detail;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.source(), QStringLiteral("AttachedObjectdb"));
            EXPECT_EQ(error.message(), QStringLiteral("Error: failed to save with message '%1'.").arg(QLatin1String(detail)));
        }
    }

    TempStory file;
    QTemporaryDir folder;
    AttachedObjectdb attachment;
};

} // namespace

TEST_F(AttachmentBlobs, BlobsOfSeveralMegabytesSurviveAFreshConnection)
{
    const QByteArray thumbnail = noise(1 << 20, 1);
    const QByteArray content = noise((3 << 20) + 17, 2);
    attachment.saveThumbnail(thumbnail);
    ASSERT_TRUE(attachment.saveObject(writeFile(QStringLiteral("score.pdf"), content)));
    EXPECT_FALSE(attachment.isDirty()) << "blob writes leave the dirty mark alone";

    // Saving the row's other columns leaves the blobs where they are.
    attachment.setPositionLeft(40);
    attachment.save();

    file.reopen();
    const AttachedObjectdb read(attachment.attachedObjectID(), &file.story());
    EXPECT_EQ(read.positionLeft(), 40);
    EXPECT_EQ(read.getThumbnail(), thumbnail);
    EXPECT_EQ(read.getFullImage(), content);

    AttachedObjectdb image(attachment.attachedObjectID(), &file.story());
    const QByteArray jpeg = noise(2 << 20, 3);
    image.saveObjectFromImage(jpeg);
    EXPECT_EQ(image.getFullImage(), jpeg);
    EXPECT_EQ(image.getThumbnail(), thumbnail);
}

TEST_F(AttachmentBlobs, NullEmptyAndMissingBlobsStayApart)
{
    EXPECT_EQ(stored("Thumbnail"), QStringLiteral("NULL")) << "the insert does not name the blobs";
    EXPECT_EQ(attachment.getThumbnail(), QByteArray()) << "a NULL blob reads as empty data, not as nothing";
    EXPECT_EQ(attachment.getFullImage(), QByteArray());

    attachment.saveThumbnail(QByteArray("jpeg"));
    attachment.saveThumbnail(std::nullopt);
    EXPECT_EQ(stored("Thumbnail"), QStringLiteral("NULL"));
    attachment.saveObjectFromImage(QByteArray(""));
    EXPECT_EQ(stored("AttachedObject"), QStringLiteral("blob0")) << "empty data is stored as an empty blob";

    const AttachedObjectdb missing(9999, &file.story());
    EXPECT_FALSE(missing.getThumbnail().has_value()) << "a key without a row reads as nothing";
    EXPECT_FALSE(missing.getFullImage().has_value());
}

TEST_F(AttachmentBlobs, UnreadableSourceFileIsReportedAndStoresNothing)
{
    const QByteArray earlier = noise(4096, 4);
    attachment.saveObjectFromImage(earlier);

    EXPECT_FALSE(attachment.saveObject(inFolder(QStringLiteral("no such file.png"))));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("a folder")));
    EXPECT_FALSE(attachment.saveObject(inFolder(QStringLiteral("a folder"))));
    EXPECT_EQ(attachment.getFullImage(), earlier) << "a failed read neither clears nor replaces the content";

    EXPECT_TRUE(attachment.saveObject(writeFile(QStringLiteral("empty.txt"), QByteArray())));
    EXPECT_EQ(stored("AttachedObject"), QStringLiteral("blob0")) << "an empty file is content too";
}

TEST_F(AttachmentBlobs, ContentWrittenOutReplacesAnExistingFileInOneStep)
{
    const QByteArray content = noise((2 << 20) + 3, 5);
    attachment.saveObjectFromImage(content);
    const QString target = writeFile(QStringLiteral("copy.pdf"), QByteArray("old draft"));

    // A reader that had the old file open keeps reading it whole: the new content went into a
    // new file that took the old one's name, instead of overwriting it where it lay.
    QFile earlierReader(target);
    ASSERT_TRUE(earlierReader.open(QIODevice::ReadOnly));
    EXPECT_TRUE(attachment.getAttachedObjectToFile(target));
    EXPECT_EQ(contentsOf(target), content);
    EXPECT_EQ(earlierReader.readAll(), QByteArray("old draft"));
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("copy.pdf")}) << "no temporary file is left behind";

    attachment.saveObjectFromImage(QByteArray(""));
    EXPECT_TRUE(attachment.getAttachedObjectToFile(target));
    EXPECT_EQ(QFileInfo(target).size(), 0) << "stored empty content writes an empty file";
}

TEST_F(AttachmentBlobs, ContentThatCannotBeWrittenOutAnswersFalse)
{
    const QString target = inFolder(QStringLiteral("out.bin"));
    EXPECT_FALSE(attachment.getAttachedObjectToFile(target)) << "a NULL content has nothing to write";
    EXPECT_FALSE(AttachedObjectdb(9999, &file.story()).getAttachedObjectToFile(target)) << "a missing row neither";
    EXPECT_FALSE(QFileInfo::exists(target));

    attachment.saveObjectFromImage(noise(1000, 6));
    const QString plain = writeFile(QStringLiteral("plain.txt"), QByteArray("keep"));
    EXPECT_FALSE(attachment.getAttachedObjectToFile(plain + QStringLiteral("/inside.bin"))) << "parent is a file";
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("taken")));
    EXPECT_FALSE(attachment.getAttachedObjectToFile(inFolder(QStringLiteral("taken")))) << "target is a folder";
    EXPECT_TRUE(QFileInfo(inFolder(QStringLiteral("taken"))).isDir());
    EXPECT_EQ(contentsOf(plain), QByteArray("keep"));
    EXPECT_EQ(folderEntries(), (QStringList{QStringLiteral("plain.txt"), QStringLiteral("taken")}));
}

TEST_F(AttachmentBlobs, FailedBlobWritesRaiseAndKeepTheStoredBlob)
{
    const QByteArray thumbnail = noise(500, 7);
    const QByteArray content = noise(900, 8);
    attachment.saveThumbnail(thumbnail);
    attachment.saveObjectFromImage(content);
    file.exec(QStringLiteral("CREATE TRIGGER refuse_blobs BEFORE UPDATE OF Thumbnail, AttachedObject ON AttachedObject "
                             "BEGIN SELECT RAISE(ABORT,'refused'); END"));

    expectSaveFailure([&] { attachment.saveThumbnail(QByteArray("other")); }, "refused");
    expectSaveFailure([&] { attachment.saveThumbnail(std::nullopt); }, "refused");
    expectSaveFailure([&] { attachment.saveObjectFromImage(QByteArray("other")); }, "refused");
    const QString source = writeFile(QStringLiteral("notes.txt"), QByteArray("notes"));
    expectSaveFailure([&] { (void)attachment.saveObject(source); }, "refused");

    // The row's own statements never touch the blob columns.
    attachment.setTitle(QStringLiteral("Moved"));
    EXPECT_NO_THROW(attachment.save());
    file.exec(QStringLiteral("DROP TRIGGER refuse_blobs"));

    // A blob longer than the connection accepts is refused before it could be stored as NULL.
    sqlite3_limit(file.db(), SQLITE_LIMIT_LENGTH, 4096);
    expectSaveFailure([&] { attachment.saveObjectFromImage(noise(8192, 9)); }, "string or blob too big");

    EXPECT_EQ(attachment.getThumbnail(), thumbnail);
    EXPECT_EQ(attachment.getFullImage(), content);
}

TEST(AttachmentOrdering, ColourFirstThenTitleIgnoringCase)
{
    auto box = [](std::int64_t color, const char* title) {
        auto made = std::make_unique<AttachedObjectdb>();
        made->setColor(color);
        made->setTitle(QString::fromUtf8(title));
        return made;
    };
    const auto zebraRed = box(1, "zebra");
    const auto appleBlue = box(2, "apple");
    const auto apple = box(3, "apple");
    const auto banana = box(3, "Banana");
    const auto shoutedApple = box(3, "APPLE");

    EXPECT_EQ(zebraRed->sortByColor(*appleBlue), -1) << "colour 1 before colour 2 whatever the titles";
    EXPECT_EQ(appleBlue->sortByColor(*zebraRed), 1);
    EXPECT_EQ(apple->sortByColor(*banana), -1) << "apple before Banana: case is ignored";
    EXPECT_EQ(banana->sortByColor(*apple), 1);
    EXPECT_EQ(apple->sortByColor(*shoutedApple), 0);

    std::vector<AttachedObjectdb*> board{banana.get(), shoutedApple.get(), appleBlue.get(), apple.get(), zebraRed.get()};
    sortRecords(board, &AttachedObjectdb::sortByColor);
    EXPECT_EQ(board, (std::vector<AttachedObjectdb*>{zebraRed.get(), appleBlue.get(), shoutedApple.get(), apple.get(),
                                                     banana.get()}));
}

TEST(AttachmentOrdering, LinksOfACardFirstThenByTitle)
{
    auto link = [](std::int64_t card, const char* title) {
        auto made = std::make_unique<SceneCardObjectdb>();
        made->setSceneCardID(card);
        made->setTitle(QString::fromUtf8(title));
        return made;
    };
    const auto onCard = link(7, "zoo map");
    const auto candidate = link(0, "Alley");
    const auto third = link(3, "Zeppelin");
    const auto ninth = link(9, "airship");
    const auto another = link(0, "bridge");
    SceneCardObjectdb titled;
    titled.setTitle(QStringLiteral("zoo map"));
    EXPECT_FALSE(titled.isDirty()) << "the display title is never written";

    EXPECT_EQ(onCard->sortBySceneCardID(*candidate), -1) << "card 7 before no card";
    EXPECT_EQ(candidate->sortBySceneCardID(*onCard), 1);
    EXPECT_EQ(ninth->sortBySceneCardID(*third), -1) << "cards 3 and 9 by title alone";
    EXPECT_EQ(third->sortBySceneCardID(*ninth), 1);

    std::vector<SceneCardObjectdb*> shown{another.get(), onCard.get(), candidate.get(), third.get(), ninth.get()};
    sortRecords(shown, &SceneCardObjectdb::sortBySceneCardID);
    EXPECT_EQ(shown, (std::vector<SceneCardObjectdb*>{ninth.get(), third.get(), onCard.get(), candidate.get(),
                                                      another.get()}));
}

#include "board/BoardImages.h"
#include "board/RecordPasteboardType.h"

#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace Pasteboard = RecordPasteboardType;

TEST(BoardImages, EveryPictureTheBoardNamesIsThere)
{
    for (const char* name : {"SceneCardThumbUp", "SceneCardThumbDown", "BlueThumbDown", "SetupsWithPayoffs",
                             "SetupsWithOutPayoffs", "PayoffsWithSetups", "PayoffsWithoutSetups", "CharactersInScene",
                             "LocationOfScene"}) {
        SCOPED_TRACE(name);
        const QPixmap image = boardImage(QString::fromLatin1(name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(48, 48));
    }
    EXPECT_TRUE(boardImage(QStringLiteral("NoSuchPicture")).isNull());
    // The raised tack and the pressed one are different pictures.
    EXPECT_NE(boardImage(QStringLiteral("SceneCardThumbUp")).toImage(),
              boardImage(QStringLiteral("SceneCardThumbDown")).toImage());
}

TEST(BoardImages, TheCorkRepeatsWithoutSeams)
{
    const QImage cork = boardImage(QStringLiteral("cork_repeating_02")).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(cork.size(), QSize(256, 256));
    // Where one tile meets the next, neighbouring pixels differ no more than neighbours inside
    // the tile do: compare the seam with the column and row next to it.
    const auto difference = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    };
    long seam = 0;
    long inside = 0;
    for (int i = 0; i < 256; ++i) {
        seam += difference(cork.pixel(255, i), cork.pixel(0, i)) + difference(cork.pixel(i, 255), cork.pixel(i, 0));
        inside += difference(cork.pixel(127, i), cork.pixel(128, i)) + difference(cork.pixel(i, 127), cork.pixel(i, 128));
    }
    EXPECT_LT(seam, inside * 2);
    EXPECT_GT(inside, 0);
}

TEST(RecordPasteboard, PayloadsCarryTheirTypeNumberAndSource)
{
    int source = 0;
    const auto* document = reinterpret_cast<const MyDocument*>(&source);
    const std::unique_ptr<QMimeData> data = Pasteboard::makeDragData(QStringLiteral("Characterdb"), 6, document);
    EXPECT_TRUE(data->hasFormat("application/x-vantora-Characterdb"));
    EXPECT_EQ(data->data("application/x-vantora-Characterdb"), "6");
    EXPECT_TRUE(Pasteboard::offers(data.get(), QStringLiteral("Characterdb")));
    EXPECT_FALSE(Pasteboard::offers(data.get(), QStringLiteral("SceneCarddb")));
    EXPECT_EQ(Pasteboard::value(data.get(), QStringLiteral("Characterdb")), 6);
    EXPECT_EQ(Pasteboard::value(data.get(), QStringLiteral("SceneCarddb")), std::nullopt);
    EXPECT_TRUE(Pasteboard::comesFrom(data.get(), document));
    int elsewhere = 0;
    EXPECT_FALSE(Pasteboard::comesFrom(data.get(), reinterpret_cast<const MyDocument*>(&elsewhere)));
    EXPECT_FALSE(Pasteboard::comesFrom(nullptr, document));

    QMimeData garbled;
    garbled.setData(Pasteboard::mimeType(QStringLiteral("SceneCarddb")), "12abc");
    EXPECT_EQ(Pasteboard::value(&garbled, QStringLiteral("SceneCarddb")), std::nullopt);
    EXPECT_FALSE(Pasteboard::comesFrom(&garbled, document));
}

TEST(RecordPasteboard, RowsNameRecordsOnlyWithinTheirList)
{
    // Three table rows per record.
    EXPECT_EQ(Pasteboard::positionForRow(0, 3), 0u);
    EXPECT_EQ(Pasteboard::positionForRow(6, 3), 2u);
    EXPECT_EQ(Pasteboard::positionForRow(8, 3), 2u);
    EXPECT_EQ(Pasteboard::positionForRow(9, 3), std::nullopt);
    EXPECT_EQ(Pasteboard::positionForRow(-1, 3), std::nullopt);
    EXPECT_EQ(Pasteboard::positionForRow(0, 0), std::nullopt);
    EXPECT_EQ(Pasteboard::positionForRow(std::numeric_limits<std::int64_t>::max(), 3), std::nullopt);
}

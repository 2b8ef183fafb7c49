#include "BoardFixture.h"

#include "app/MyDocument.h"
#include "board/SceneCardView.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "support/SqlProbe.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

class CardLooks : public BoardFixture
{
protected:
    // Four cards, the last in the Litter Box, with characters, set-ups paid off on other cards
    // (one on the Litter Box card), an unpaid set-up and a primary attachment with a picture on
    // the second card.
    QString linkedStory()
    {
        const QString path = story(QStringLiteral("Linked"),
                                   {inBeat(1, 0.1f), inBeat(1, 0.5f), inBeat(2, 0.2f), inBeat(3, 0.1f, 2)});
        keys_ = cardKeys(path);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(&buffer, "JPG");
        DatabaseConnection connection = StoryFile::open(path);
        const auto key = [this](std::size_t index) { return QString::number(keys_[index]); };
        SqlProbe::exec(connection.get(), QStringLiteral(
            "INSERT INTO Character (CharacterID,ScreenplayID,CharacterName) VALUES (1,1,'ANNA'),(2,1,'BORIS');"
            "INSERT INTO SceneCardCharacter (SceneCardID,CharacterID) VALUES (%1,1),(%2,2),(%1,2),(%4,1);"
            "INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) VALUES (1,%3,'it fires'),"
            "(2,%4,'it is read');"
            "INSERT INTO SceneSetup (SceneSetupID,SceneCardID,SceneSetup,ScenePayoffID) VALUES "
            "(1,%1,'a gun',1),(2,%2,'a letter',2),(3,%2,'a key',0);"
            "INSERT INTO AttachedObject (AttachedObjectID,ScreenplayID,Title) VALUES (1,1,'Still');"
            "INSERT INTO SceneCardObject (SceneCardID,AttachedObjectID,PrimaryDisplayFlag) VALUES (%2,1,1);")
                                               .arg(key(0), key(1), key(2), key(3)));
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(connection.get(), "UPDATE AttachedObject SET Thumbnail=? WHERE AttachedObjectID=1", -1,
                           &statement, nullptr);
        sqlite3_bind_blob(statement, 1, jpeg.constData(), static_cast<int>(jpeg.size()), SQLITE_TRANSIENT);
        sqlite3_step(statement);
        sqlite3_finalize(statement);
        return path;
    }

    std::vector<std::int64_t> keys_;
};

} // namespace

// The board reads what lies on its cards in one pass: each card must show what it shows when
// its look is read for it alone, and what the story says.
TEST_F(CardLooks, CardsOfAnOpenedBoardShowWhatLiesOnEachOfThem)
{
    MyDocument* document = open(linkedStory());
    ASSERT_NE(document, nullptr);
    Screenplaydb& screenplay = *document->currentScreenplay();
    struct Expected {
        std::size_t card;
        std::vector<QString> images;
        QString setups;
        bool thumbnail;
    };
    const std::vector<Expected> rows{
        {0, {"CharactersInScene", "SetupsWithPayoffs"}, "Set-ups In Scene\nSET-UP: a gun\nPAY-OFF: it fires IN: ", false},
        {1, {"CharactersInScene", "SetupsWithOutPayoffs"},
         "Set-ups In Scene\nSET-UP: a key\n\nSET-UP: a letter\nPAY-OFF: it is read IN: INT. ROOM - DAY (p. ", true},
        {2, {"PayoffsWithSetups"}, QString(), false},
        {3, {"CharactersInScene", "PayoffsWithSetups"}, QString(), false},
    };
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.card);
        SceneCardView* view = cardView(*document, keys_[row.card]);
        ASSERT_NE(view, nullptr);
        std::vector<QString> images;
        for (const SceneCardIndicator& shown : view->indicators())
            images.push_back(shown.imageName);
        EXPECT_EQ(images, row.images);
        // Alone, the card's look is the same.
        const std::vector<SceneCardIndicator> alone = indicatorsOfCard(screenplay, *card(*document, keys_[row.card]));
        ASSERT_EQ(alone.size(), view->indicators().size());
        for (std::size_t index = 0; index < alone.size(); ++index)
            EXPECT_EQ(alone[index].toolTip, view->indicators()[index].toolTip);
        if (!row.setups.isEmpty()) {
            const auto setups = shownIndicator(*view, SceneCardIndicator::Setups);
            ASSERT_TRUE(setups);
            EXPECT_TRUE(setups->toolTip.startsWith(row.setups)) << setups->toolTip.toStdString();
        }
        EXPECT_EQ(view->layout().thumbnailShown, row.thumbnail);
    }
    // The partner of the first card's set-up is named with its card.
    EXPECT_TRUE(shownIndicator(*cardView(*document, keys_[0]), SceneCardIndicator::Setups)
                    ->toolTip.endsWith(QStringLiteral("IN: INT. ROOM - DAY (p. %1)")
                                           .arg(card(*document, keys_[2])->pageNumber())));
    EXPECT_EQ(shownIndicator(*cardView(*document, keys_[0]), SceneCardIndicator::Characters)->toolTip,
              "Characters In Scene\nANNA\nBORIS");
}

// Zooming lays the cards out again without reading their pictures again; a card whose primary
// attachment changed takes the new one's picture when the board is laid out.
TEST_F(CardLooks, ZoomingKeepsEachThumbnailAndALaterPrimaryAttachmentShows)
{
    MyDocument* document = open(linkedStory());
    ASSERT_NE(document, nullptr);
    Screenplaydb& screenplay = *document->currentScreenplay();
    SceneCardView* pictured = cardView(*document, keys_[1]);
    ASSERT_TRUE(pictured->layout().thumbnailShown);
    screenplay.setBoardZoomFactor(3);
    document->refreshTheBoard();
    EXPECT_TRUE(pictured->layout().thumbnailShown);
    EXPECT_FALSE(cardView(*document, keys_[0])->layout().thumbnailShown);

    // The picture moves to the first card: both cards follow at the next layout.
    for (const auto& link : screenplay.sceneCardObjects())
        link->setSceneCardID(keys_[0]);
    document->refreshTheBoard();
    EXPECT_TRUE(cardView(*document, keys_[0])->layout().thumbnailShown);
    EXPECT_FALSE(pictured->layout().thumbnailShown);
}

// Each card is found by its view and no other, however often the views are made again.
TEST_F(CardLooks, EachCardLeadsToItsOwnViewAfterCardsComeAndGo)
{
    MyDocument* document = open(linkedStory());
    ASSERT_NE(document, nullptr);
    Screenplaydb& screenplay = *document->currentScreenplay();
    SceneCarddb* gone = card(*document, keys_[1]);
    document->deleteSceneCard(gone);
    settle();
    document->addMissingSceneCardControls();
    for (const auto* list : {&screenplay.sceneCards(), &screenplay.litterBox()}) {
        for (const auto& each : *list) {
            SceneCardView* view = document->sceneCardControlForSceneCard(each.get());
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->scene(), each.get());
        }
    }
    EXPECT_EQ(document->sceneCardControls().size(), 3u);
    EXPECT_EQ(document->sceneCardControlForSceneCard(nullptr), nullptr);
}

#include "AppFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/BeatsTableView.h"
#include "platform/TypingPause.h"
#include "scene_editor/BigSceneView.h"
#include "support/SampleCopy.h"
#include "support/StoredTables.h"

#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <vector>

namespace {

// What opening and showing a story write to its row: the day it was last opened, the zoom
// factor read, the window's layout and the section and view that show; and the notes board's
// size, which grows to its pane and to the room the greenlight checklist needs, the checklist
// keeping its place on the grown board.
const QStringList kWrittenByShowing = {
    QStringLiteral("GeneralNotesWidth"),     QStringLiteral("GeneralNotesHeight"),
    QStringLiteral("GreenlightChecklistPercentageHorizontal"), QStringLiteral("GreenlightChecklistPercentageVertical"),
    QStringLiteral("LastModifiedDate"),      QStringLiteral("BoardZoomFactor"),
    QStringLiteral("WindowState"),           QStringLiteral("LogLineSplitterDistance"),
    QStringLiteral("GeneralNotesSplitterDistance"), QStringLiteral("BeatsSplitterDistance"),
    QStringLiteral("BoardSplitterDistance"), QStringLiteral("ParentWindowHeight"),
    QStringLiteral("ParentWindowWidth"),     QStringLiteral("BeatSectionShowing"),
    QStringLiteral("BeatSectionCharacterID"), QStringLiteral("BeatSectionLocationID"),
    QStringLiteral("BigSceneView"),          QStringLiteral("BigSceneSceneCardID"),
};

QString pngHex(const QColor& color)
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QString::fromLatin1(bytes.toHex());
}

// The sample with a record of every kind it lacks: a picture and a file on the notes board,
// linked to a character, a location and a card; beat cards carrying their beat's name above
// the description; a note of formatted text.
void enrich(const SampleCopy& sample)
{
    const QString picture = pngHex(Qt::darkCyan);
    sample.exec(QStringLiteral("INSERT INTO AttachedObject (AttachedObjectID, ScreenplayID, Title, Description, "
                               "ObjectType, CurrentView, FileName, PositionLeft, PositionTop, PercentageHorizontal, "
                               "PercentageVertical, SizeHeight, SizeWidth, TextDescription, Thumbnail, "
                               "AttachedObject) SELECT 901, ScreenplayID, 'Map of the pass', '', 1, 0, 'map.png', 300, "
                               "200, 0.2, 0.15, 120, 160, 'The pass from above', X'%1', X'%1' FROM Screenplay")
                    .arg(picture));
    sample.exec(QStringLiteral("INSERT INTO AttachedObject (AttachedObjectID, ScreenplayID, Title, ObjectType, "
                               "FileName, PositionLeft, PositionTop, PercentageHorizontal, PercentageVertical, "
                               "SizeHeight, SizeWidth, TextDescription, AttachedObject, MimeType) SELECT 902, "
                               "ScreenplayID, 'Research', 2, 'research.txt', 600, 400, 0.4, 0.3, 120, 160, "
                               "'Road reports', X'%1', 'text/plain' FROM Screenplay")
                    .arg(QString::fromLatin1(QByteArrayLiteral("Snow closes the pass in November.").toHex())));
    sample.exec(QStringLiteral("INSERT INTO CharacterObject (CharacterID, AttachedObjectID, Description, "
                               "PrimaryDisplayFlag) SELECT CharacterID, 901, 'Where she grew up', 1 FROM Character "
                               "ORDER BY CharacterID LIMIT 1"));
    sample.exec(QStringLiteral("INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID, Description, "
                               "PrimaryDisplayFlag) SELECT SceneLocationID, 902, 'Closed in winter', 1 FROM "
                               "SceneLocation ORDER BY SceneLocationID LIMIT 1"));
    sample.exec(QStringLiteral("INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID, Description, "
                               "PrimaryDisplayFlag) SELECT SceneCardID, 901, 'The map', 1 FROM SceneCard WHERE "
                               "OnBoard = 1 ORDER BY SortOrder LIMIT 2"));
    // Beat cards as the initial beat cards write them: the beat's name, then its description.
    sample.exec(QStringLiteral("UPDATE SceneCard SET Description = 'Beat ' || BeatCardNumber || char(10) || "
                               "(SELECT Description FROM Beat WHERE BeatNumber = SceneCard.BeatCardNumber) WHERE "
                               "BeatCardNumber > 0"));
    sample.exec(QStringLiteral("UPDATE StickyNote SET Note = '{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 ' || "
                               "TextNote || '\\par {\\b kept as written}}' WHERE StickyNoteID = (SELECT "
                               "min(StickyNoteID) FROM StickyNote)"));
    // A window large enough for every section, the notes board shown.
    sample.exec(QStringLiteral("UPDATE Screenplay SET WindowState = 101111, ParentWindowWidth = 1400, "
                               "ParentWindowHeight = 900, BigSceneView = 0, BoardView = 1"));
}

} // namespace

class LookingChangesNothing : public AppFixture
{
protected:
    // Every typing pause of the window: one still waiting would write a field the user never
    // typed into. It is written now, so that the file shows what it would have done.
    int flushTypingPauses() const
    {
        int pending = 0;
        for (QObject* object : document_->window()->findChildren<QObject*>(QStringLiteral("typingPause"))) {
            auto* pause = dynamic_cast<TypingPause*>(object);
            if (pause && pause->isPending()) {
                ++pending;
                pause->flush();
            }
        }
        return pending;
    }

    void showEverySection() const
    {
        for (QLabel* label : {document_->optSelectBeats(), document_->optSelectCharacters(),
                              document_->optSelectLocations(), document_->optSelectSetups(),
                              document_->optSelectPayoffs(), document_->optSelectBeats()}) {
            ASSERT_NE(label, nullptr);
            QTest::mouseClick(label, Qt::LeftButton);
            settle();
            EXPECT_EQ(flushTypingPauses(), 0) << label->objectName().toStdString();
        }
    }

    void showEveryPanel() const
    {
        Screenplaydb& story = *document_->currentScreenplay();
        std::vector<Characterdb*> characters;
        for (const auto& character : story.characters())
            characters.push_back(character.get());
        // A panel opens from its section's list, as a click on a name there opens it.
        QTest::mouseClick(document_->optSelectCharacters(), Qt::LeftButton);
        settle();
        for (Characterdb* character : characters) {
            document_->showCharacterDetailForCharacter(character);
            settle();
            EXPECT_EQ(flushTypingPauses(), 0) << character->characterName().toStdString();
            document_->closeCharacterDetails();
            settle();
        }
        std::vector<SceneLocationdb*> locations;
        for (const auto& location : story.sceneLocations())
            locations.push_back(location.get());
        QTest::mouseClick(document_->optSelectLocations(), Qt::LeftButton);
        settle();
        for (SceneLocationdb* location : locations) {
            document_->showLocationDetailForSceneLocation(location);
            settle();
            EXPECT_EQ(flushTypingPauses(), 0) << location->location().toStdString();
            document_->closeLocationDetails();
            settle();
        }
    }

    // Each beat's description is opened for editing and left by Return, nothing typed.
    void openEveryBeat() const
    {
        QTest::mouseClick(document_->optSelectBeats(), Qt::LeftButton);
        settle();
        ASSERT_NE(document_->beatsTableView(), nullptr);
        QTableView* table = document_->beatsTableView()->tvTable();
        for (int beat = 1; beat <= 15; ++beat) {
            const QModelIndex index = table->model()->index((beat - 1) * 2 + 1, 1);
            table->scrollTo(index);
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
            settle();
            if (auto* editor = table->findChild<QWidget*>(QStringLiteral("beatEditor")))
                QTest::keyClick(editor, Qt::Key_Return);
            settle();
            EXPECT_EQ(flushTypingPauses(), 0) << beat;
        }
    }

    // Every card of the board in the large card, every tab of each, paged by Next Card.
    void pageThroughTheLargeCard() const
    {
        Screenplaydb& story = *document_->currentScreenplay();
        ASSERT_FALSE(story.sceneCards().empty());
        document_->openBigSceneCard(story.sceneCards().front().get(), 1);
        settle();
        std::size_t shown = 0;
        for (;;) {
            BigSceneView* big = document_->bigSceneViewController();
            ASSERT_NE(big, nullptr);
            ++shown;
            for (std::int64_t tab : {1, 2, 3, 4, 5, 6, 1}) {
                QTest::mouseClick(big->tabSelector(tab), Qt::LeftButton);
                settle();
                EXPECT_EQ(flushTypingPauses(), 0) << "card " << shown << ", tab " << tab;
            }
            if (big->cmdNextCard()->isHidden())
                break;
            QTest::mouseClick(big->cmdNextCard(), Qt::LeftButton);
            settle();
            EXPECT_EQ(flushTypingPauses(), 0) << "card " << shown;
        }
        EXPECT_EQ(shown, story.sceneCards().size());
        QTest::mouseClick(document_->bigSceneViewController()->cmdClose(), Qt::LeftButton);
        settle();
        EXPECT_EQ(flushTypingPauses(), 0);
    }

    MyDocument* document_ = nullptr;
};

TEST_F(LookingChangesNothing, ShowingAndPagingThroughEveryRecordOfAStoryWritesNoneOfThem)
{
    startApplication();
    for (const char* name : {"Sample - Kessler Pass.vtrsf", "Sample - The Last Balloon Race.vtrsf"}) {
        SCOPED_TRACE(name);
        const SampleCopy sample{QString::fromUtf8(name)};
        enrich(sample);
        const StoredTables before = storedTables(sample.path(), kWrittenByShowing);
        ASSERT_GE(before.size(), 18u);
        for (const char* table : {"AttachedObject", "CharacterObject", "SceneLocationObject", "SceneCardObject",
                                  "StickyNote", "ScriptPart", "SceneSetup", "SceneCardCharacter", "Logline"})
            EXPECT_FALSE(before.at(QString::fromLatin1(table)).empty()) << table << " holds records";

        document_ = app_->documentController().openDocument(sample.path());
        ASSERT_NE(document_, nullptr);
        settle();
        // A pause would run out a second after a key; showing gives none a reason to start.
        QTest::qWait(TypingPause::kPauseMilliseconds + 200);
        EXPECT_EQ(flushTypingPauses(), 0) << "opening";
        showEverySection();
        showEveryPanel();
        openEveryBeat();
        pageThroughTheLargeCard();
        QTest::qWait(TypingPause::kPauseMilliseconds + 200);
        EXPECT_EQ(flushTypingPauses(), 0) << "closing";
        document_->window()->close();
        settle();
        document_ = nullptr;

        expectSameTables(before, storedTables(sample.path(), kWrittenByShowing));
    }
}

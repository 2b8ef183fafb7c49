// The two sample stories that the build writes with the story model, opened the way the
// program opens a story, and the application icon and splash carried as resources.
#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/Loglinedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"
#include "model/StoryFile.h"
#include "model/StoryGenres.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <stdexcept>

namespace {

const char* const kBalloonRace = "Sample - The Last Balloon Race.vtrsf";
const char* const kKesslerPass = "Sample - Kessler Pass.vtrsf";

QString samplesFolder()
{
    return QStringLiteral(VANTORA_SAMPLES_DIR);
}

// A sample copied into a temporary folder and opened there: opening a story rewrites its
// Screenplay row, and the build's own file must stay as the build wrote it.
class OpenedSample
{
public:
    explicit OpenedSample(const QString& name)
        : path_(folder_.filePath(name))
    {
        if (!folder_.isValid() || !QFile::copy(QDir(samplesFolder()).filePath(name), path_))
            throw std::runtime_error("cannot copy the sample " + name.toStdString());
        connection_ = StoryFile::open(path_);
        story_.initWithDatabase(connection_.get());
        story_.setFileName(path_);
        story_.hydrate();
    }
    ~OpenedSample() { story_.finalizeAllSqliteStatements(); }

    Screenplaydb& story() { return story_; }

private:
    QTemporaryDir folder_;
    QString path_;
    DatabaseConnection connection_;
    Screenplaydb story_;
};

class SampleStory : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override { sample_ = std::make_unique<OpenedSample>(QString::fromUtf8(GetParam())); }
    Screenplaydb& story() { return sample_->story(); }

    std::unique_ptr<OpenedSample> sample_;
};

} // namespace

TEST(SampleStoryFiles, TheFolderHoldsBothSamplesUnderTheirTitles)
{
    const QStringList files =
        QDir(samplesFolder()).entryList({QStringLiteral("*.vtrsf")}, QDir::Files, QDir::Name);
    EXPECT_EQ(files, QStringList({QString::fromUtf8(kKesslerPass), QString::fromUtf8(kBalloonRace)}))
        << "no temporary file may be left beside the samples";
    for (const QString& name : files) {
        OpenedSample sample(name);
        EXPECT_EQ(QStringLiteral("Sample - %1.vtrsf").arg(sample.story().screenplayTitle()), name);
    }
}

TEST_P(SampleStory, TitlePageAndBeatSheetAreComplete)
{
    EXPECT_FALSE(story().screenplayTitle().isEmpty());
    // A sample shows a genre the genre box offers, so its help button finds a page.
    EXPECT_TRUE(storyGenres().contains(story().genre())) << story().genre().toStdString();
    ASSERT_NE(story().currentLogline(), nullptr);
    EXPECT_FALSE(story().currentLogline()->logline().isEmpty());
    EXPECT_EQ(story().pageCount(), 110);
    EXPECT_EQ(story().progressStage(), 2);
    EXPECT_TRUE(story().ownerFirstName().isEmpty());
    EXPECT_TRUE(story().ownerLastName().isEmpty());

    ASSERT_EQ(story().beats().size(), 15u);
    std::set<std::int64_t> numbers;
    for (const auto& beat : story().beats()) {
        numbers.insert(beat->beatNumber());
        EXPECT_FALSE(beat->description().trimmed().isEmpty()) << "beat " << beat->beatNumber();
    }
    EXPECT_EQ(numbers.size(), 15u);
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 15);
    EXPECT_FALSE(story().anyBeatsNotFilledIn());
}

TEST_P(SampleStory, BoardCardsAreNumberedInOrderAndLieWithinTheirBeats)
{
    const BoardSections& sections = story().boardSections();
    const auto& cards = story().sceneCards();
    ASSERT_GE(cards.size(), 20u);
    std::set<std::int64_t> beatCards;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const SceneCarddb& card = *cards[i];
        SCOPED_TRACE(card.heading().toStdString());
        EXPECT_EQ(card.sortOrder(), static_cast<std::int64_t>(i) + 1);
        EXPECT_EQ(card.onBoard(), 1);
        if (i > 0) {
            EXPECT_LT(cards[i - 1]->sortByLocation(card), 0) << "the board order is beat, then horizontal place";
        }
        const std::int64_t beat = card.currentBeatSection();
        EXPECT_GE(card.pageNumber(), sections.beginningPageNumberForBoardBeat(beat));
        EXPECT_LE(card.pageNumber(), sections.endingPageNumberForBoardBeat(beat));
        EXPECT_GT(sections.beginningPageNumberForBoardBeat(beat), 0) << "a beat bar, not a header";
        // The board draws the card from its fraction; that place agrees with the stored left
        // (the toolkit's optional cards count the 4-point margin in, hence the tolerance) and
        // the stored top lies on the beat's row.
        const double drawnLeft =
            card.percentageHorizontal() * static_cast<double>(sections.boardWidthForBoardBeatSection(beat)) + 4.0;
        EXPECT_LE(std::abs(drawnLeft - static_cast<double>(card.positionLeft())), 5.0);
        const std::int64_t pageOfPlace = sections.pageNumberForPositionTop(card.positionTop(), card.positionLeft());
        EXPECT_GE(pageOfPlace, sections.sectionBeginningPageNumberForBoardBeat(beat));
        EXPECT_LE(pageOfPlace, sections.sectionEndingPageNumberForBoardBeat(beat));
        EXPECT_NEAR(card.percentageVertical() * static_cast<double>(story().boardHeight()),
                    static_cast<double>(card.positionTop()), 1.0);
        if (card.beatCardNumber() > 0) {
            EXPECT_TRUE(beatCards.insert(card.beatCardNumber()).second) << "two cards for one beat";
        }
        EXPECT_NE(card.heading(), "SCENE HEADING") << "every card has a real heading";
    }
    EXPECT_EQ(beatCards.size(), 15u);
    EXPECT_GT(cards.size() - beatCards.size(), 12u) << "a dozen and more scene cards beside the beat cards";
}

TEST_P(SampleStory, LitterBoxHoldsCardsThatKeptTheirBoardPlace)
{
    const BoardSections& sections = story().boardSections();
    ASSERT_FALSE(story().litterBox().empty());
    std::int64_t sortOrder = 0;
    for (const auto& card : story().litterBox()) {
        EXPECT_EQ(card->onBoard(), 2);
        EXPECT_EQ(card->sortOrder(), ++sortOrder);
        EXPECT_EQ(card->beatCardNumber(), 0);
        EXPECT_GE(card->pageNumber(), sections.beginningPageNumberForBoardBeat(card->currentBeatSection()));
        EXPECT_LE(card->pageNumber(), sections.endingPageNumberForBoardBeat(card->currentBeatSection()));
    }
}

TEST_P(SampleStory, CharactersLocationsAndColoursOnCardsAllResolve)
{
    ASSERT_GE(story().characters().size(), 3u);
    for (const auto& character : story().characters()) {
        SCOPED_TRACE(character->characterName().toStdString());
        EXPECT_FALSE(character->description().isEmpty());
        EXPECT_FALSE(character->wants().isEmpty());
        EXPECT_FALSE(character->needs().isEmpty());
    }
    ASSERT_GE(story().sceneLocations().size(), 3u);

    ASSERT_FALSE(story().sceneCardCharacters().empty());
    std::set<std::int64_t> charactersOnCards;
    for (const auto& link : story().sceneCardCharacters()) {
        EXPECT_NE(story().sceneCardForSceneCardID(link->sceneCardID()), nullptr);
        ASSERT_NE(story().characterForCharacterID(link->characterID()), nullptr);
        EXPECT_EQ(link->characterName(), story().characterForCharacterID(link->characterID())->characterName());
        charactersOnCards.insert(link->characterID());
    }
    EXPECT_EQ(charactersOnCards.size(), story().characters().size()) << "every character appears in a scene";

    int withLocation = 0;
    int colouredBeyondBeats = 0;
    for (const auto* cards : {&story().sceneCards(), &story().litterBox()}) {
        for (const auto& card : *cards) {
            if (card->sceneLocationID() != 0) {
                ++withLocation;
                EXPECT_NE(story().locationForLocationID(card->sceneLocationID()), nullptr);
            }
            for (int slot = 1; slot <= 6; ++slot) {
                const std::int64_t colour = card->colorLegendID(slot);
                if (colour != 0) {
                    EXPECT_NE(story().colorForColorCodeID(colour), nullptr) << "slot " << slot;
                }
                if (colour != 0 && (slot > 1 || card->beatCardNumber() == 0))
                    ++colouredBeyondBeats;
            }
        }
    }
    EXPECT_GT(withLocation, 0);
    EXPECT_GT(colouredBeyondBeats, 0);
}

TEST_P(SampleStory, EverySetupIsPaidOffLaterInTheStory)
{
    ASSERT_FALSE(story().sceneSetups().empty());
    ASSERT_FALSE(story().scenePayoffs().empty());
    EXPECT_FALSE(story().anyUnlinkedSetups());
    EXPECT_FALSE(story().anyUnlinkedPayoffs());
    for (const auto& setup : story().sceneSetups()) {
        SCOPED_TRACE(setup->sceneSetup().toStdString());
        const ScenePayoffdb* payoff = story().payoffForPayoffID(setup->scenePayoffID());
        ASSERT_NE(payoff, nullptr);
        EXPECT_EQ(setup->scenePayoff(), payoff->scenePayoff());
        const SceneCarddb* setupCard = story().sceneCardForSceneCardID(setup->sceneCardID());
        const SceneCarddb* payoffCard = story().sceneCardForSceneCardID(payoff->sceneCardID());
        ASSERT_NE(setupCard, nullptr);
        ASSERT_NE(payoffCard, nullptr);
        EXPECT_EQ(setupCard->onBoard(), 1);
        EXPECT_EQ(payoffCard->onBoard(), 1);
        EXPECT_LT(setupCard->sortOrder(), payoffCard->sortOrder()) << "a pay-off never comes before its set-up";
    }
}

TEST_P(SampleStory, StickyNotesAndScriptedScenesAreThere)
{
    ASSERT_FALSE(story().stickyNotes().empty());
    for (const auto& note : story().stickyNotes()) {
        EXPECT_NE(note->title(), "New Note Card");
        EXPECT_FALSE(note->textNote().isEmpty());
        EXPECT_GE(note->color(), 1);
        EXPECT_LE(note->color(), 10);
    }

    const auto elementOf = [&](const ScriptPartdb& part) {
        const ScriptElementdb* element = story().elementForElementID(part.elementTypeID());
        return element ? element->elementType() : QString();
    };
    int scripted = 0;
    for (const auto* cards : {&story().sceneCards(), &story().litterBox()}) {
        for (const auto& card : *cards) {
            card->loadScriptParts();
            const auto& parts = card->scriptParts();
            ASSERT_FALSE(parts.empty()) << card->heading().toStdString() << " has no script paragraph";
            for (std::size_t i = 0; i < parts.size(); ++i)
                EXPECT_EQ(parts[i]->sortOrder(), static_cast<std::int64_t>(i) + 1);
            if (parts.size() == 1) {
                EXPECT_EQ(elementOf(*parts[0]), "Action");
                continue;
            }
            ++scripted;
            // The card's heading is printed above its script, which does not repeat it.
            EXPECT_FALSE(elementOf(*parts[0]) == "Scene Heading" && parts[0]->scriptText() == card->heading())
                << card->heading().toStdString();
            for (std::size_t i = 0; i < parts.size(); ++i) {
                EXPECT_FALSE(parts[i]->scriptText().isEmpty());
                if (elementOf(*parts[i]) == "Dialogue") {
                    ASSERT_GT(i, 0u) << "dialogue follows its speaker";
                    EXPECT_EQ(elementOf(*parts[i - 1]), "Character") << "dialogue follows its speaker";
                }
            }
        }
    }
    EXPECT_GE(scripted, 2);
}

INSTANTIATE_TEST_SUITE_P(BothSamples, SampleStory, ::testing::Values(kBalloonRace, kKesslerPass),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("BalloonRace") : std::string("KesslerPass");
                         });

namespace {

struct PngSize
{
    bool complete = false;
    quint32 width = 0;
    quint32 height = 0;
};

// Reads the size from the IHDR chunk (big-endian, as QDataStream reads by default) and
// whether the file is a whole PNG: its signature first, its IEND chunk last.
PngSize pngSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QDataStream in(bytes);
    in.skipRawData(8);
    quint32 length = 0;
    QByteArray type(4, '\0');
    PngSize size;
    in >> length;
    in.readRawData(type.data(), 4);
    in >> size.width >> size.height;
    size.complete = bytes.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)) && length == 13 && type == "IHDR" &&
                    bytes.size() > 12 && bytes.mid(bytes.size() - 8, 4) == "IEND";
    return size;
}

} // namespace

TEST(ApplicationImages, IconAndSplashArePngsOfTheirSizes)
{
    const PngSize icon = pngSize(QStringLiteral(":/images/VantoraIcon.png"));
    EXPECT_TRUE(icon.complete);
    EXPECT_EQ(icon.width, 256u);
    EXPECT_EQ(icon.height, 256u);

    const PngSize splash = pngSize(QStringLiteral(":/images/Splash.png"));
    EXPECT_TRUE(splash.complete);
    EXPECT_EQ(splash.width, 480u);
    EXPECT_EQ(splash.height, 300u);
}

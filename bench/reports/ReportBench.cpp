// The reports' cost, each next to a floor that paints the same texts (and pictures) to a PDF
// writer in fixed boxes without any layout: a text report of 200 blocks laid out (measured,
// split at page breaks) and painted to a PDF file, the biographies of 50 characters with their
// pictures, a script of 1,500 paragraphs and the details of 1,000 scene cards.

#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "reports/ReportPainter.h"
#include "reports/ReportText.h"
#include "reports/SceneCardReports.h"
#include "reports/StoryReport.h"
#include "reports/StoryReports.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

constexpr int kBlocks = 200;

// Texts of one to twelve sentences, a few with line feeds and parentheses.
const QStringList& blockTexts()
{
    static const QStringList texts = [] {
        QStringList made;
        const QString sentence = QStringLiteral("The storm closes the pass before the smugglers reach the hut, "
                                                "and Mara (who knows the mountain) must decide whom to trust. ");
        for (int block = 0; block < kBlocks; ++block) {
            QString text;
            for (int count = 0; count <= block % 12; ++count)
                text += sentence + (count % 4 == 3 ? QStringLiteral("\n") : QString());
            made.append(text);
        }
        return made;
    }();
    return texts;
}

std::unique_ptr<StoryReport> layOut(const Screenplaydb& story)
{
    auto report = std::make_unique<StoryReport>(story, QStringLiteral("BENCHMARK"));
    const QFont font = ReportText::systemFont(10);
    for (int block = 0; block < kBlocks; ++block) {
        report->info().minLineSpace = block % 5 == 0 ? 3 : 0;
        report->addText(blockTexts().at(block), font, true);
    }
    report->finish();
    return report;
}

// Builds the report and writes it to a PDF file once per iteration.
void layOutAndWrite(benchmark::State& state, const std::function<std::unique_ptr<StoryReport>()>& build)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.pdf"));
    std::int64_t pages = 0;
    for (auto _ : state) {
        const std::unique_ptr<StoryReport> report = build();
        if (ReportPainter::writePdf(report->view(), report->title(), path).outcome != PrintResult::Printed) {
            state.SkipWithError("the report could not be written");
            return;
        }
        pages = report->view().pageCount();
    }
    state.counters["pages"] = double(pages);
}

void BM_TextReport200LaidOutAndPainted(benchmark::State& state)
{
    Screenplaydb story;
    story.setScreenplayTitle(QStringLiteral("Kessler Pass"));
    layOutAndWrite(state, [&story] { return layOut(story); });
}
BENCHMARK(BM_TextReport200LaidOutAndPainted)->Unit(benchmark::kMillisecond);

void BM_TextReport200LayoutOnly(benchmark::State& state)
{
    Screenplaydb story;
    for (auto _ : state)
        benchmark::DoNotOptimize(layOut(story));
}
BENCHMARK(BM_TextReport200LayoutOnly)->Unit(benchmark::kMillisecond);

// Paints onto a PDF writer in memory with the report font, in points, as the floors do.
void paintFloorPdf(const std::function<void(QPainter&, QPdfWriter&)>& paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(pageLayoutForPaper(QSizeF(612, 792)));
    QPainter painter(&writer);
    const qreal scale = writer.logicalDpiY() / 72.0;
    painter.scale(scale, scale);
    painter.setFont(ReportText::systemFont(10));
    paint(painter, writer);
    painter.end();
    benchmark::DoNotOptimize(buffer.data().size());
}

// Floor: the same texts drawn by QPainter into fixed boxes of a PDF writer, six to a page,
// with no measuring and no page breaks of their own.
void BM_Floor_SameTextsPaintedWithoutLayout(benchmark::State& state)
{
    for (auto _ : state) {
        paintFloorPdf([](QPainter& painter, QPdfWriter& writer) {
            for (int block = 0; block < kBlocks; ++block) {
                if (block > 0 && block % 6 == 0)
                    writer.newPage();
                const QRectF box(45, 94 + (block % 6) * 110, 537, 110);
                painter.drawText(box, Qt::TextWordWrap, blockTexts().at(block));
            }
        });
    }
}
BENCHMARK(BM_Floor_SameTextsPaintedWithoutLayout)->Unit(benchmark::kMillisecond);

// A new story file made as the program makes one (its element formats included), open.
struct BenchStory {
    QTemporaryDir folder;
    DatabaseConnection connection;
    Screenplaydb story;

    BenchStory()
    {
        const QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
        const QString path = folder.filePath(QStringLiteral("Story.vtrsf"));
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master);
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
        Toolkit().populateDefaults(master, path);
        connection = StoryFile::open(path);
        story.initWithDatabase(connection.get());
        story.hydrate();
    }

    SceneCarddb& addCard(int index)
    {
        auto card = std::make_unique<SceneCarddb>();
        card->setHeading(QStringLiteral("INT. MOUNTAIN HUT %1 - NIGHT").arg(index));
        card->setPageNumber(index + 1);
        card->setPercentageHorizontal(float(index % 100) / 100);
        card->setCurrentBeatSection(1 + index % 20);
        card->setDescription(blockTexts().at(index % kBlocks));
        card->setNotes(blockTexts().at((index + 7) % kBlocks));
        card->insertIntoDatabase(&story);
        story.sceneCards().push_back(std::move(card));
        return *story.sceneCards().back();
    }
};

// A script of about 120 pages: 100 scenes of 15 paragraphs each.
struct ScriptStory : BenchStory {
    ScriptStory()
    {
        const char* pattern[] = {"Action", "Character", "Parenthetical", "Dialogue", "Action"};
        for (int scene = 0; scene < 100; ++scene) {
            SceneCarddb& card = addCard(scene);
            for (int paragraph = 0; paragraph < 15; ++paragraph) {
                const char* type = pattern[paragraph % 5];
                auto part = std::make_unique<ScriptPartdb>();
                part->setSceneCardID(card.sceneCardID());
                part->setSortOrder(paragraph + 1);
                part->setElementTypeID(story.elementForElementType(QLatin1String(type))->scriptElementID());
                QString text = QStringLiteral("MARA");
                if (paragraph % 5 == 2)
                    text = QStringLiteral("(quietly)");
                else if (paragraph % 5 == 3)
                    text = QStringLiteral("We go at first light, before the storm closes the pass behind us.");
                else if (paragraph % 5 != 1)
                    text = blockTexts().at((scene + paragraph) % 12).left(260);
                part->setScriptText(text);
                card.scriptParts().push_back(std::move(part));
            }
        }
    }
};

void BM_Script1500ParagraphsLaidOutAndPainted(benchmark::State& state)
{
    ScriptStory script;
    layOutAndWrite(state, [&script] { return SceneCardReports::script(script.story); });
}
BENCHMARK(BM_Script1500ParagraphsLaidOutAndPainted)->Unit(benchmark::kMillisecond);

void BM_Details1000CardsLaidOutAndPainted(benchmark::State& state)
{
    BenchStory cards;
    for (int index = 0; index < 1000; ++index)
        cards.addCard(index);
    layOutAndWrite(state, [&cards] { return SceneCardReports::details(cards.story); });
}
BENCHMARK(BM_Details1000CardsLaidOutAndPainted)->Unit(benchmark::kMillisecond)->Iterations(1);

// Floor: the script's 1,500 paragraphs drawn by QPainter at their indents, 40 lines to a page,
// with no measuring.
void BM_Floor_ScriptParagraphsPaintedWithoutLayout(benchmark::State& state)
{
    ScriptStory script;
    for (auto _ : state) {
        paintFloorPdf([&script](QPainter& painter, QPdfWriter& writer) {
            painter.setFont(ReportText::scriptFont(12));
            int line = 0;
            for (const std::unique_ptr<SceneCarddb>& card : script.story.sceneCards())
                for (const std::unique_ptr<ScriptPartdb>& part : card->scriptParts()) {
                    if (line > 0 && line % 40 == 0)
                        writer.newPage();
                    const ScriptElementdb* element = script.story.elementForElementID(part->elementTypeID());
                    const QRectF box(element->leftIndent() * 72, 72 + (line % 40) * 16,
                                     (element->rightIndent() - element->leftIndent()) * 72, 60);
                    painter.drawText(box, Qt::TextWordWrap, part->scriptText());
                    ++line;
                }
        });
    }
}
BENCHMARK(BM_Floor_ScriptParagraphsPaintedWithoutLayout)->Unit(benchmark::kMillisecond);

// A story file of 50 characters, each with its details filled in and one picture attachment,
// which is also the character's own picture.
struct CharacterStory {
    QTemporaryDir folder;
    DatabaseConnection connection;
    Screenplaydb story;

    CharacterStory()
    {
        const QString path = folder.filePath(QStringLiteral("Characters.vtrsf"));
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
        connection = StoryFile::open(path);
        story.initWithDatabase(connection.get());
        story.hydrate();
        for (int index = 0; index < 50; ++index) {
            auto character = std::make_unique<Characterdb>();
            character->setCharacterName(QStringLiteral("Character %1").arg(index));
            character->setGender(index % 2 ? QStringLiteral("F") : QStringLiteral("M"));
            character->setAge(QString::number(20 + index));
            character->setDescription(blockTexts().at(index));
            character->setWants(blockTexts().at(index + 1));
            character->setNeeds(blockTexts().at(index + 2));
            character->setNeedsFixing1(QStringLiteral("Trusts no one."));
            character->setNeedsFixing1Notes(blockTexts().at(index + 3));
            character->setNotes(blockTexts().at(index + 4));
            character->insertIntoDatabase(&story);
            auto attachment = std::make_unique<AttachedObjectdb>();
            attachment->setTitle(QStringLiteral("Portrait %1").arg(index));
            attachment->insertIntoDatabase(&story);
            attachment->saveThumbnail(thumbnail(index));
            auto link = std::make_unique<CharacterObjectdb>();
            link->setAttachedObjectID(attachment->attachedObjectID());
            link->setCharacterID(character->characterID());
            link->setPrimaryDisplayFlag(1);
            link->setDescription(QStringLiteral("As she looked the winter before."));
            character->characterObjects().push_back(link.get());
            story.characterObjects().push_back(std::move(link));
            story.attachedObjects().push_back(std::move(attachment));
            story.characters().push_back(std::move(character));
        }
    }

    static QByteArray thumbnail(int index)
    {
        QImage image(128, 128, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(index * 7 % 360, 200, 200));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
        return bytes;
    }
};

void BM_Biographies50WithPictures(benchmark::State& state)
{
    CharacterStory characters;
    layOutAndWrite(state, [&characters] { return StoryReports::charactersBiography(characters.story); });
}
BENCHMARK(BM_Biographies50WithPictures)->Unit(benchmark::kMillisecond);

// Floor: the same texts and the hundred pictures drawn by QPainter to a PDF writer in fixed
// places, two characters to a page, with no measuring.
void BM_Floor_BiographyTextsAndPicturesPaintedWithoutLayout(benchmark::State& state)
{
    CharacterStory characters;
    for (auto _ : state) {
        paintFloorPdf([&characters](QPainter& painter, QPdfWriter& writer) {
            int index = 0;
            for (const std::unique_ptr<Characterdb>& character : characters.story.characters()) {
                if (index > 0 && index % 2 == 0)
                    writer.newPage();
                const qreal top = 94 + (index % 2) * 330;
                for (int copy = 0; copy < 2; ++copy) {
                    const QImage picture = QImage::fromData(characters.story.displayImageForCharacter(*character));
                    painter.drawImage(QRectF(30 + copy * 40, top, 36, 36), picture);
                }
                const QString text = character->characterName() + QLatin1Char('\n') + character->description()
                    + QLatin1Char('\n') + character->wants() + QLatin1Char('\n') + character->needs()
                    + QLatin1Char('\n') + character->needsFixing1Notes() + QLatin1Char('\n') + character->notes();
                painter.drawText(QRectF(85, top, 497, 320), Qt::TextWordWrap, text);
                ++index;
            }
        });
    }
}
BENCHMARK(BM_Floor_BiographyTextsAndPicturesPaintedWithoutLayout)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

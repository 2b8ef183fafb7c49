// The reports' cost, each next to a floor that paints the same texts (and pictures) to a PDF
// writer in fixed boxes without any layout: a text report of 200 blocks laid out (measured,
// split at page breaks) and painted to a PDF file, and the biographies of 50 characters with
// their pictures.

#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "reports/ReportPainter.h"
#include "reports/ReportText.h"
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

// The report engine's cost: a text report of 200 blocks laid out (measured, split at page
// breaks) and painted to a PDF file, next to a floor that paints the same texts to a PDF
// writer in fixed boxes without any layout.

#include "model/Screenplaydb.h"
#include "reports/ReportPainter.h"
#include "reports/ReportText.h"
#include "reports/StoryReport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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

void BM_TextReport200LaidOutAndPainted(benchmark::State& state)
{
    Screenplaydb story;
    story.setScreenplayTitle(QStringLiteral("Kessler Pass"));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.pdf"));
    std::int64_t pages = 0;
    for (auto _ : state) {
        const std::unique_ptr<StoryReport> report = layOut(story);
        if (ReportPainter::writePdf(report->view(), report->title(), path).outcome != PrintResult::Printed) {
            state.SkipWithError("the report could not be written");
            return;
        }
        pages = report->view().pageCount();
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_TextReport200LaidOutAndPainted)->Unit(benchmark::kMillisecond);

void BM_TextReport200LayoutOnly(benchmark::State& state)
{
    Screenplaydb story;
    for (auto _ : state)
        benchmark::DoNotOptimize(layOut(story));
}
BENCHMARK(BM_TextReport200LayoutOnly)->Unit(benchmark::kMillisecond);

// Floor: the same texts drawn by QPainter into fixed boxes of a PDF writer, six to a page,
// with no measuring and no page breaks of their own.
void BM_Floor_SameTextsPaintedWithoutLayout(benchmark::State& state)
{
    const QFont font = ReportText::systemFont(10);
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(pageLayoutForPaper(QSizeF(612, 792)));
        QPainter painter(&writer);
        const qreal scale = writer.logicalDpiY() / 72.0;
        painter.scale(scale, scale);
        painter.setFont(font);
        for (int block = 0; block < kBlocks; ++block) {
            if (block > 0 && block % 6 == 0) {
                writer.newPage();
            }
            const QRectF box(45, 94 + (block % 6) * 110, 537, 110);
            painter.drawText(box, Qt::TextWordWrap, blockTexts().at(block));
        }
        painter.end();
        benchmark::DoNotOptimize(buffer.data().size());
    }
}
BENCHMARK(BM_Floor_SameTextsPaintedWithoutLayout)->Unit(benchmark::kMillisecond);

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

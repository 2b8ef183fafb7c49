// The reports' cost, each next to a floor that does the same work the plain way: the same
// texts measured once and drawn where they fit on pages with the report's bands (logo, story
// title, report name, genre, date, rule, "Page N of M", the pages counted first), a new page when
// the next text does not fit, each picture decoded once, the PDF written to a file. A text
// report of 200 blocks, the biographies of 50 characters with their pictures, a script of 1,500
// paragraphs and the details report of the generated stories of 100, 1,000 and 10,000 cards
// (bench/support/StoryGenerator.h), whose PDF sizes are counted beside each other.
#include "../support/StoryGenerator.h"

#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
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
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextLayout>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <unordered_map>

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

void BM_TextReport200(benchmark::State& state)
{
    Screenplaydb story;
    story.setScreenplayTitle(QStringLiteral("Kessler Pass"));
    layOutAndWrite(state, [&story] { return layOut(story); });
}
BENCHMARK(BM_TextReport200)->Unit(benchmark::kMillisecond);

void BM_TextReport200LayoutOnly(benchmark::State& state)
{
    Screenplaydb story;
    for (auto _ : state)
        benchmark::DoNotOptimize(layOut(story));
}
BENCHMARK(BM_TextReport200LayoutOnly)->Unit(benchmark::kMillisecond);

// Floor: the same 200 texts laid out in lines of the report's width and font, once each, and
// the lines dealt onto the pages' bodies: a text that reaches a page's foot goes on below the
// next page's header, three lines kept together where the work keeps them, 5 points and a rule
// after each. Nothing is drawn.
void BM_TextReport200LayoutOnly_Floor(benchmark::State& state)
{
    Screenplaydb story;
    const StoryReport frame(story, QStringLiteral("BENCHMARK"));
    const PageGeometry page(frame.paper(), frame.info());
    const QFont font = ReportText::systemFont(10);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    for (auto _ : state) {
        float y = page.bodyTop(0);
        std::int64_t p = 0;
        for (int block = 0; block < kBlocks; ++block) {
            std::vector<float> lines;
            for (const QString& paragraph : blockTexts().at(block).split(QLatin1Char('\n'))) {
                QTextLayout layout(paragraph, font);
                layout.setTextOption(option);
                layout.beginLayout();
                for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                    line.setLineWidth(page.textWidth());
                    lines.push_back(float(line.height()));
                }
                layout.endLayout();
            }
            if (block % 5 == 0 && y + 3 * lines.front() > page.limit(p))
                y = page.bodyTop(++p);
            for (const float height : lines) {
                if (y + height > page.limit(p))
                    y = page.bodyTop(++p);
                y += height;
            }
            y += 5;
        }
        benchmark::DoNotOptimize(y);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_TextReport200LayoutOnly_Floor)->Unit(benchmark::kMillisecond);

// Paints onto a PDF writer that writes the file `path`, with the report font, in points, as the
// floors do; answers the file's size in bytes.
qint64 paintFloorPdf(const QString& path, const std::function<void(QPainter&, QPdfWriter&)>& paint)
{
    {
        QPdfWriter writer(path);
        writer.setPageLayout(pageLayoutForPaper(QSizeF(612, 792)));
        QPainter painter(&writer);
        const qreal scale = writer.logicalDpiY() / 72.0;
        painter.scale(scale, scale);
        painter.setFont(ReportText::systemFont(10));
        paint(painter, writer);
    }
    return QFileInfo(path).size();
}

// The bands of a report page as the floors draw them: the logo, the story's title, the
// report's name, the genre and the date over a rule, the logline under it when there is one,
// and "Page N of M" at the foot.
struct FloorBands {
    QString storyTitle;
    QString reportTitle;
    QString genre;
    QString logline;

    void draw(QPainter& painter, int page, int pages) const
    {
        static const QImage logo(QStringLiteral(":/images/VantoraIcon.png"));
        static const QString date = QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"));
        const QFont regular = painter.font();
        painter.drawImage(QRectF(30, 20, 64, 64), logo);
        painter.setFont(ReportText::boldSystemFont(15));
        painter.drawText(QRectF(100, 30, 412, 20), Qt::AlignCenter, storyTitle);
        painter.drawText(QRectF(100, 50, 412, 20), Qt::AlignCenter, reportTitle);
        painter.setFont(ReportText::systemFont(12));
        painter.drawText(QRectF(100, 70, 412, 18), Qt::AlignCenter, genre);
        painter.setFont(ReportText::boldSystemFont(10));
        painter.drawText(QRectF(470, 55, 34, 14), Qt::AlignLeft, QStringLiteral("Date: "));
        painter.setFont(ReportText::systemFont(10));
        painter.drawText(QRectF(504, 55, 78, 14), Qt::AlignLeft, date);
        painter.drawLine(QLineF(30, 91, 582, 91));
        if (!logline.isEmpty())
            painter.drawText(QRectF(30, 93, 552, 20), Qt::TextWordWrap, logline);
        painter.drawText(QRectF(30, 754, 552, 18), Qt::AlignCenter,
                         QStringLiteral("Page %1 of %2").arg(page).arg(pages));
        painter.setFont(regular);
    }
};

// A floor's pages: texts go down a letter page between `top` and `bottom` points (72 and 720
// unless a floor gives its report's bands), each measured once; one that does not fit starts
// the next page. A flow that only counts pages draws nothing; a drawing flow calls `onPage`
// with each page's number as the page starts.
class FloorFlow
{
public:
    FloorFlow(QPainter& painter, QPdfWriter& writer, qreal top = 72, qreal bottom = 720, bool drawing = true,
              std::function<void(int)> onPage = {})
        : painter_(painter)
        , writer_(writer)
        , top_(top)
        , bottom_(bottom)
        , drawing_(drawing)
        , onPage_(std::move(onPage))
        , y_(top)
    {
        if (drawing_ && onPage_)
            onPage_(page_);
    }

    // Draws `text` `width` wide at `left` (in the bold of the painter's font for a heading) and
    // answers its box.
    QRectF text(qreal left, qreal width, const QString& text, bool bold = false)
    {
        const QFont regular = painter_.font();
        if (bold) {
            QFont heading = regular;
            heading.setBold(true);
            painter_.setFont(heading);
        }
        const QRectF needed = painter_.boundingRect(QRectF(left, 0, width, 10000), Qt::TextWordWrap, text);
        room(needed.height());
        const QRectF box(left, y_, width, needed.height());
        if (drawing_)
            painter_.drawText(box, Qt::TextWordWrap, text);
        y_ += needed.height();
        if (bold)
            painter_.setFont(regular);
        return box;
    }
    // Draws `text` `width` wide at `left` on a grid of `pitch` points a line, as a typed page
    // sets it, and answers the number of lines.
    int gridText(qreal left, qreal width, const QString& text, qreal pitch)
    {
        QTextLayout layout(text, painter_.font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        int lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, pitch * lines++));
        }
        layout.endLayout();
        room(pitch * lines);
        if (drawing_)
            layout.draw(&painter_, QPointF(left, y_));
        y_ += pitch * lines;
        return lines;
    }
    // Keeps `height` points on this page, starting the next one when they do not fit.
    void room(qreal height)
    {
        if (y_ + height > bottom_ && y_ > top_) {
            ++page_;
            if (drawing_) {
                writer_.newPage();
                if (onPage_)
                    onPage_(page_);
            }
            y_ = top_;
        }
    }
    qreal y() const { return y_; }
    void skip(qreal height) { y_ += height; }
    bool drawing() const { return drawing_; }
    int pages() const { return page_; }

private:
    QPainter& painter_;
    QPdfWriter& writer_;
    qreal top_;
    qreal bottom_;
    bool drawing_;
    std::function<void(int)> onPage_;
    qreal y_;
    int page_ = 1;
};

// Each picture of a floor decoded once, by its key, however often it is drawn.
class PictureMemo
{
public:
    const QImage& operator()(std::int64_t key, const std::function<QByteArray()>& bytes)
    {
        auto found = pictures_.find(key);
        if (found == pictures_.end())
            found = pictures_.emplace(key, QImage::fromData(bytes())).first;
        return found->second;
    }

private:
    std::unordered_map<std::int64_t, QImage> pictures_;
};

// Runs a floor's layout twice, as a report with "Page N of M" must: once counting its pages,
// once drawing them under their bands, between the bands' `top` and `bottom`.
int countThenDraw(QPainter& painter, QPdfWriter& writer, const FloorBands& bands, qreal top, qreal bottom,
                  const std::function<void(FloorFlow&)>& layOut)
{
    FloorFlow counting(painter, writer, top, bottom, false);
    layOut(counting);
    const int pages = counting.pages();
    FloorFlow flow(painter, writer, top, bottom, true, [&](int page) { bands.draw(painter, page, pages); });
    layOut(flow);
    return pages;
}

// Floor: the same texts measured and drawn down the report's pages, a rule under each, into a
// PDF file.
void BM_TextReport200_Floor(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("floor.pdf"));
    const FloorBands bands{QStringLiteral("Kessler Pass"), QStringLiteral("BENCHMARK"), QString(), QString()};
    int pages = 0;
    for (auto _ : state) {
        paintFloorPdf(path, [&](QPainter& painter, QPdfWriter& writer) {
            pages = countThenDraw(painter, writer, bands, 94, 754, [&](FloorFlow& flow) {
                for (int block = 0; block < kBlocks; ++block) {
                    if (block % 5 == 0)
                        flow.room(36);
                    flow.text(30, 552, blockTexts().at(block));
                    if (flow.drawing())
                        painter.drawLine(QLineF(30, flow.y() + 5, 582, flow.y() + 5));
                    flow.skip(5);
                }
            });
        });
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_TextReport200_Floor)->Unit(benchmark::kMillisecond);

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

void BM_Script1500(benchmark::State& state)
{
    ScriptStory script;
    layOutAndWrite(state, [&script] { return SceneCardReports::script(script.story); });
}
BENCHMARK(BM_Script1500)->Unit(benchmark::kMillisecond);


// Floor: the script's 100 scene headings and 1,500 paragraphs laid out once each and drawn at
// their elements' indents in the script face on the 12-point grid, down the pages under the
// script's bands, a blank line after the paragraphs that take one, into a PDF file.
void BM_Script1500_Floor(benchmark::State& state)
{
    ScriptStory script;
    Screenplaydb& story = script.story;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("floor.pdf"));
    const FloorBands bands{story.screenplayTitle(), QString(), story.genre(), QString()};
    const ScriptElementdb* heading = story.elementForElementType(QStringLiteral("Scene Heading"));
    std::vector<std::int64_t> spaced;
    for (const char* type : {"Action", "Dialogue", "Transition"})
        spaced.push_back(story.elementForElementType(QLatin1String(type))->scriptElementID());
    int pages = 0;
    for (auto _ : state) {
        paintFloorPdf(path, [&](QPainter& painter, QPdfWriter& writer) {
            pages = countThenDraw(painter, writer, bands, 94, 754, [&](FloorFlow& flow) {
                painter.setFont(ReportText::scriptFont(12));
                for (const std::unique_ptr<SceneCarddb>& card : story.sceneCards()) {
                    flow.room(36);
                    flow.gridText(heading->leftIndent() * 72, (heading->rightIndent() - heading->leftIndent()) * 72,
                                  card->heading(), 12);
                    flow.skip(12);
                    for (const std::unique_ptr<ScriptPartdb>& part : card->scriptParts()) {
                        const ScriptElementdb* element = story.elementForElementID(part->elementTypeID());
                        flow.gridText(element->leftIndent() * 72,
                                      (element->rightIndent() - element->leftIndent()) * 72, part->scriptText(), 12);
                        if (std::find(spaced.begin(), spaced.end(), part->elementTypeID()) != spaced.end())
                            flow.skip(12);
                    }
                }
                painter.setFont(ReportText::systemFont(10));
            });
        });
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_Script1500_Floor)->Unit(benchmark::kMillisecond);

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

void BM_Biographies50(benchmark::State& state)
{
    CharacterStory characters;
    layOutAndWrite(state, [&characters] { return StoryReports::charactersBiography(characters.story); });
}
BENCHMARK(BM_Biographies50)->Unit(benchmark::kMillisecond);

// Floor: the biographies' characters in name order, each with its name beside its picture, the
// gender and age row, every field under its label, its attachments beside their thumbnails and a
// rule, measured and drawn down the report's pages, each picture decoded once, into a PDF file.
void BM_Biographies50_Floor(benchmark::State& state)
{
    CharacterStory characters;
    Screenplaydb& story = characters.story;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("floor.pdf"));
    const FloorBands bands{story.screenplayTitle(), QStringLiteral("CHARACTER BIOGRAPHIES"), story.genre(),
                           QString()};
    const QStringList ordinals{QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third"),
                               QStringLiteral("Fourth"), QStringLiteral("Fifth"), QStringLiteral("Sixth")};
    int pages = 0;
    for (auto _ : state) {
        std::vector<const Characterdb*> byName;
        for (const std::unique_ptr<Characterdb>& character : story.characters())
            byName.push_back(character.get());
        std::stable_sort(byName.begin(), byName.end(), [](const Characterdb* a, const Characterdb* b) {
            return QString::compare(a->characterName(), b->characterName(), Qt::CaseInsensitive) < 0;
        });
        PictureMemo pictureOf;
        paintFloorPdf(path, [&](QPainter& painter, QPdfWriter& writer) {
            pages = countThenDraw(painter, writer, bands, 94, 754, [&](FloorFlow& flow) {
                for (const Characterdb* c : byName) {
                    flow.room(48);
                    if (flow.drawing())
                        painter.drawImage(QRectF(30, flow.y(), 36, 36), pictureOf(c->characterID(), [&] {
                                              return story.displayImageForCharacter(*c);
                                          }));
                    flow.text(85, 497, c->characterName(), true);
                    flow.skip(24);
                    flow.text(85, 497, QStringLiteral("Gender: ") + c->gender() + QStringLiteral("    Age: ") + c->age());
                    const std::array<std::pair<QString, QStringList>, 10> fields{{
                        {QStringLiteral("Description:"), {c->description()}},
                        {QStringLiteral("Wants:"), {c->wants()}},
                        {QStringLiteral("Needs:"), {c->needs()}},
                        {ordinals[0], {c->needsFixing1(), c->needsFixing1Notes()}},
                        {ordinals[1], {c->needsFixing2(), c->needsFixing2Notes()}},
                        {ordinals[2], {c->needsFixing3(), c->needsFixing3Notes()}},
                        {ordinals[3], {c->needsFixing4(), c->needsFixing4Notes()}},
                        {ordinals[4], {c->needsFixing5(), c->needsFixing5Notes()}},
                        {ordinals[5], {c->needsFixing6(), c->needsFixing6Notes()}},
                        {QStringLiteral("Notes:"), {c->notes()}},
                    }};
                    for (const auto& [label, values] : fields) {
                        flow.text(30, 552, label.endsWith(QLatin1Char(':'))
                                               ? label
                                               : label + QStringLiteral(" Thing That Needs Fixing:"),
                                  true);
                        for (const QString& value : values)
                            if (!value.isEmpty())
                                flow.text(30, 552, value);
                    }
                    flow.text(30, 552, QStringLiteral("Attachments:"), true);
                    for (const CharacterObjectdb* link : c->characterObjects()) {
                        const AttachedObjectdb* attachment = story.attachmentForID(link->attachedObjectID());
                        flow.room(38);
                        if (flow.drawing() && attachment)
                            painter.drawImage(QRectF(45, flow.y(), 36, 36),
                                              pictureOf(-attachment->attachedObjectID(), [&] {
                                                  return attachment->getThumbnail().value_or(QByteArray());
                                              }));
                        const qreal top = flow.y();
                        flow.text(100, 482, (attachment ? attachment->title() : QString()) + QLatin1Char('\n') +
                                                link->description());
                        flow.skip(std::max(0.0, top + 38 - flow.y()));
                    }
                    if (flow.drawing())
                        painter.drawLine(QLineF(30, flow.y() + 8, 582, flow.y() + 8));
                    flow.skip(17);
                }
            });
        });
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_Biographies50_Floor)->Unit(benchmark::kMillisecond);

// --- The details report of the generated stories ---------------------------------------------

// The generated story of each size, made once and kept open.
struct GeneratedStory {
    QTemporaryDir folder;
    DatabaseConnection connection;
    Screenplaydb story;

    explicit GeneratedStory(int cards)
    {
        const QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master);
        connection = StoryFile::open(StoryGenerator::generate(folder.path(), master, cards));
        story.initWithDatabase(connection.get());
        story.hydrate();
    }

    static GeneratedStory& ofSize(int cards)
    {
        static std::map<int, std::unique_ptr<GeneratedStory>> made;
        std::unique_ptr<GeneratedStory>& held = made[cards];
        if (!held)
            held = std::make_unique<GeneratedStory>(cards);
        return *held;
    }
};

void BM_DetailsReport(benchmark::State& state)
{
    GeneratedStory& generated = GeneratedStory::ofSize(static_cast<int>(state.range(0)));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("details.pdf"));
    std::int64_t pages = 0;
    for (auto _ : state) {
        const std::unique_ptr<StoryReport> report = SceneCardReports::details(generated.story);
        if (ReportPainter::writePdf(report->view(), report->title(), path).outcome != PrintResult::Printed) {
            state.SkipWithError("the report could not be written");
            return;
        }
        pages = report->view().pageCount();
    }
    state.counters["pages"] = double(pages);
    state.counters["pdf_kb"] = double(QFileInfo(path).size()) / 1024.0;
}

// Floor: every card's texts, with the report's labels, measured and drawn down the pages in the
// report's order, with the 36-point pictures of its characters and attachments, each picture
// decoded once and drawn as the same image wherever it shows. The pages are the report's: the
// same bands, and on each the logo, the title, the report's name, the date, a rule and "Page N
// of M", for which the texts are measured once to count the pages before they are drawn.
void BM_DetailsReport_Floor(benchmark::State& state)
{
    GeneratedStory& generated = GeneratedStory::ofSize(static_cast<int>(state.range(0)));
    Screenplaydb& story = generated.story;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("floor.pdf"));
    const FloorBands bands{story.screenplayTitle(), QStringLiteral("SCENE CARD DETAILS"), story.genre(), QString()};
    qint64 size = 0;
    int pages = 0;
    for (auto _ : state) {
        size = paintFloorPdf(path, [&](QPainter& painter, QPdfWriter& writer) {
            std::unordered_map<std::int64_t, std::vector<const SceneCardCharacterdb*>> cast;
            for (const auto& link : story.sceneCardCharacters())
                cast[link->sceneCardID()].push_back(link.get());
            std::unordered_map<std::int64_t, std::vector<const SceneCardObjectdb*>> attached;
            for (const auto& link : story.sceneCardObjects())
                attached[link->sceneCardID()].push_back(link.get());
            std::unordered_map<std::int64_t, QString> setups;
            std::unordered_map<std::int64_t, QString> payoffs;
            std::unordered_map<std::int64_t, const ScenePayoffdb*> payoffByID;
            for (const auto& payoff : story.scenePayoffs()) {
                payoffByID.try_emplace(payoff->scenePayoffID(), payoff.get());
                payoffs[payoff->sceneCardID()] += payoff->scenePayoff() + QLatin1Char('\n');
            }
            for (const auto& setup : story.sceneSetups()) {
                const auto paid = payoffByID.find(setup->scenePayoffID());
                setups[setup->sceneCardID()] += setup->sceneSetup() + QLatin1Char('\n') +
                    (paid == payoffByID.end() ? QStringLiteral("NO PAY-OFF") : paid->second->scenePayoff()) +
                    QLatin1Char('\n');
            }
            std::unordered_map<std::int64_t, QString> places;
            for (const auto& location : story.sceneLocations())
                places.try_emplace(location->sceneLocationID(), location->location());
            PictureMemo pictureOf;
            const auto layOut = [&](FloorFlow& flow) {
            for (const auto& card : story.sceneCards()) {
                flow.text(45, 537, card->heading() + QLatin1Char(' ') + QString::number(card->pageNumber()), true);
                flow.text(45, 537, QStringLiteral("Beat: ") +
                                       story.boardSections().beatLabelForBoardBeat(card->currentBeatSection()) +
                                       QStringLiteral("\nLocation: ") + places[card->sceneLocationID()] +
                                       QStringLiteral("\nStart Date/Time:   End Date/Time:"));
                flow.text(45, 537, card->description());
                const QRectF change = flow.text(75, 507, card->emotionalChange() + QLatin1Char('\n') + card->conflict());
                if (flow.drawing())
                    painter.drawText(QRectF(45, change.y(), 30, change.height()), Qt::AlignLeft,
                                     QStringLiteral("+/-\n><"));
                const QRectF notes = flow.text(81, 501, card->notes());
                if (flow.drawing())
                    painter.drawText(QRectF(45, notes.y(), 36, 14), Qt::AlignLeft, QStringLiteral("Notes"));
                flow.text(45, 537, QStringLiteral("Set-ups\n") + setups[card->sceneCardID()]);
                flow.text(45, 537, QStringLiteral("Pay-offs\n") + payoffs[card->sceneCardID()]);
                flow.text(45, 537, QStringLiteral("Characters"));
                for (const SceneCardCharacterdb* link : cast[card->sceneCardID()]) {
                    const Characterdb* character = story.characterForCharacterID(link->characterID());
                    if (!character)
                        continue;
                    flow.room(36);
                    if (flow.drawing())
                        painter.drawImage(QRectF(45, flow.y(), 36, 36),
                                          pictureOf(character->characterID(),
                                                    [&] { return story.displayImageForCharacter(*character); }));
                    flow.text(100, 482, character->characterName() + QLatin1Char('\n') + character->description());
                }
                flow.text(45, 537, QStringLiteral("Attachments"));
                for (const SceneCardObjectdb* link : attached[card->sceneCardID()]) {
                    const AttachedObjectdb* attachment = story.attachmentForID(link->attachedObjectID());
                    if (!attachment)
                        continue;
                    flow.room(36);
                    if (flow.drawing())
                        painter.drawImage(QRectF(60, flow.y(), 36, 36),
                                          pictureOf(-attachment->attachedObjectID(), [&] {
                                              return attachment->getThumbnail().value_or(QByteArray());
                                          }));
                    flow.text(115, 467, attachment->title() + QLatin1Char('\n') + link->description());
                }
            }
            };
            pages = countThenDraw(painter, writer, bands, 94, 752, layOut);
        });
    }
    state.counters["pages"] = double(pages);
    state.counters["pdf_kb"] = double(size) / 1024.0;
}

void storySizes(benchmark::internal::Benchmark* bench)
{
    for (const int cards : StoryGenerator::kSizes)
        bench->Arg(cards);
    bench->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_DetailsReport)->Apply(storySizes);
BENCHMARK(BM_DetailsReport_Floor)->Apply(storySizes);

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

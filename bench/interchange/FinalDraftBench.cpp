// Importing a feature-length Final Draft script into a new story file, part by part, beside
// two floors measured in the same run: the XML reader alone walking the same bytes, and a new
// story file receiving the same rows through plain prepared statements in one transaction.
// Then the import of a 120-page script saved the way the screenwriting program saves one
// today (no scene pages, no character list: pages laid out, characters taken from the cues),
// beside the stream reader alone reading the same file.
#include "interchange/FinalDraftImport.h"
#include "interchange/NewStoryFile.h"
#include "interchange/XMLParsedScript.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "support/SavedScripts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QVariant>
#include <QXmlStreamReader>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sqlite3.h>

namespace {

constexpr int kPages = 120;
constexpr int kScenes = 60;

QString element(const QString& type, const QString& text)
{
    return QStringLiteral("    <Paragraph Type=\"%1\">\n      <Text>%2</Text>\n    </Paragraph>\n").arg(type, text);
}

// A 120-page script of 60 scenes, two pages each: actions, dialogue with parentheticals and
// extensions, a dual-dialogue block in every third scene and a transition at each scene's end.
QByteArray featureScript()
{
    const QStringList names = {"MARA", "OLLIE", "JUNE", "DR. VOSS", "THE CAPTAIN", "KIT", "RAMON", "ELSIE"};
    QString content;
    for (int scene = 0; scene < kScenes; ++scene) {
        const int page = 1 + scene * 2;
        content += QStringLiteral("    <Paragraph Number=\"%1\" Type=\"Scene Heading\">\n"
                                  "      <SceneProperties Page=\"%2\" Title=\"Scene %1 summary\"/>\n"
                                  "      <Text>%3. PLACE %1 - %4</Text>\n    </Paragraph>\n")
                       .arg(scene + 1)
                       .arg(page)
                       .arg(scene % 3 == 0 ? QStringLiteral("EXT") : QStringLiteral("INT"),
                            scene % 2 == 0 ? QStringLiteral("DAY") : QStringLiteral("NIGHT"));
        content += element(QStringLiteral("Action"),
                           QStringLiteral("The light changes over the square as the crowd thins and the rain starts."));
        for (int exchange = 0; exchange < 6; ++exchange) {
            const QString& speaker = names.at((scene + exchange) % names.size());
            content += element(QStringLiteral("Character"),
                               exchange == 2 ? speaker + QStringLiteral(" (V.O.)") : speaker);
            if (exchange % 2 == 0)
                content += element(QStringLiteral("Parenthetical"), QStringLiteral("(under her breath)"));
            content += element(QStringLiteral("Dialogue"),
                               QStringLiteral("We were never meant to stay here this long, and you know it."));
            content += element(QStringLiteral("Action"), QStringLiteral("A pause. Somewhere a door slams."));
        }
        if (scene % 3 == 1) {
            content += QStringLiteral("    <Paragraph Type=\"General\">\n      <DualDialogue>\n") +
                       element(QStringLiteral("Character"), names.at(scene % names.size())) +
                       element(QStringLiteral("Dialogue"), QStringLiteral("Now!")) +
                       element(QStringLiteral("Character"), names.at((scene + 1) % names.size())) +
                       element(QStringLiteral("Dialogue"), QStringLiteral("Not yet!")) +
                       QStringLiteral("      </DualDialogue>\n    </Paragraph>\n");
        }
        content += element(QStringLiteral("Transition"), QStringLiteral("CUT TO:"));
    }
    QString pages = QStringLiteral("  <LockedPages>\n");
    for (int page = 1; page <= kPages; ++page)
        pages += QStringLiteral("    <LockedPage PageNumber=\"%1\" Position=\"%2\"/>\n").arg(page).arg(page * 1400);
    pages += QStringLiteral("  </LockedPages>\n");
    QString smartType = QStringLiteral("  <SmartType>\n    <Characters>\n");
    for (const QString& name : names)
        smartType += QStringLiteral("      <Character>%1</Character>\n").arg(name);
    smartType += QStringLiteral("    </Characters>\n    <Locations>\n");
    for (int scene = 1; scene <= kScenes; ++scene)
        smartType += QStringLiteral("      <Location>PLACE %1</Location>\n").arg(scene);
    smartType += QStringLiteral("    </Locations>\n  </SmartType>\n");
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
                           "<FinalDraft DocumentType=\"Script\" Template=\"No\" Version=\"1\">\n  <Content>\n") +
            content + QStringLiteral("  </Content>\n") + pages + smartType + QStringLiteral("</FinalDraft>\n"))
        .toUtf8();
}

struct Fixture {
    QTemporaryDir folder;
    QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
    QString scriptPath = folder.filePath(QStringLiteral("Feature.fdx"));
    QByteArray bytes = featureScript();

    Fixture()
    {
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master);
        QFile file(scriptPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
};

Fixture& fixture()
{
    static Fixture shared;
    return shared;
}

void reportScriptSize(benchmark::State& state, const XMLParsedScript& script)
{
    state.counters["paragraphs"] = static_cast<double>(script.paragraphs()->size());
    state.counters["bytes"] = static_cast<double>(fixture().bytes.size());
}

void BM_ReadScript(benchmark::State& state)
{
    for (auto _ : state) {
        XMLParsedScript script;
        script.parseScriptData(fixture().bytes);
        benchmark::DoNotOptimize(script.paragraphs());
        state.PauseTiming();
        reportScriptSize(state, script);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadScript)->Unit(benchmark::kMillisecond);

// Floor for reading: the stream reader walking every token of the same bytes.
void BM_ReadScript_Floor(benchmark::State& state)
{
    for (auto _ : state) {
        QXmlStreamReader reader(fixture().bytes);
        qint64 tokens = 0;
        while (!reader.atEnd()) {
            reader.readNext();
            ++tokens;
        }
        benchmark::DoNotOptimize(tokens);
    }
}
BENCHMARK(BM_ReadScript_Floor)->Unit(benchmark::kMillisecond);

void BM_NewStoryFileOnly(benchmark::State& state)
{
    const QString target = fixture().folder.filePath(QStringLiteral("Empty.vtrsf"));
    for (auto _ : state) {
        NewStoryFile file(target);
        file.create(fixture().master);
        file.commit();
    }
}
BENCHMARK(BM_NewStoryFileOnly)->Unit(benchmark::kMillisecond);

// Runs one prepared statement once with its values bound in order: texts as texts, the rest as
// numbers.
void insertOnce(sqlite3_stmt* insert, const std::vector<QVariant>& values)
{
    for (std::size_t index = 0; index < values.size(); ++index) {
        const int at = static_cast<int>(index) + 1;
        const QVariant& value = values[index];
        if (value.typeId() == QMetaType::QString) {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(insert, at, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        } else if (value.typeId() == QMetaType::Double) {
            sqlite3_bind_double(insert, at, value.toDouble());
        } else {
            sqlite3_bind_int64(insert, at, value.toLongLong());
        }
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
}

// Floor: the same new file made the plain way: the template copied into a folder beside the
// target, the story's row with all its columns, the master's colour codes, the first logline,
// fifteen beats, fifty-five checklist answers and fifteen script formats inserted with plain
// prepared statements in one transaction, and the file renamed into place.
void BM_NewStoryFileOnly_Floor(benchmark::State& state)
{
    const QString target = fixture().folder.filePath(QStringLiteral("EmptyFloor.vtrsf"));
    for (auto _ : state) {
        QTemporaryDir folder(fixture().folder.filePath(QStringLiteral(".floor-XXXXXX")));
        const QString working = QDir(folder.path()).filePath(QStringLiteral("EmptyFloor.vtrsf"));
        QFile::copy(QString::fromLatin1(StoryFile::kStoryTemplate), working);
        QFile::setPermissions(working, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        std::vector<std::vector<QVariant>> colours;
        {
            sqlite3* master = nullptr;
            sqlite3_open_v2(QFile::encodeName(fixture().master).constData(), &master, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt* select = nullptr;
            sqlite3_prepare_v2(master, "SELECT Description,RedValue,GreenValue,BlueValue,AlphaValue FROM ColorCode", -1,
                               &select, nullptr);
            while (sqlite3_step(select) == SQLITE_ROW)
                colours.push_back({QVariant(1), QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0))),
                                   sqlite3_column_int64(select, 1), sqlite3_column_int64(select, 2),
                                   sqlite3_column_int64(select, 3), sqlite3_column_int64(select, 4)});
            sqlite3_finalize(select);
            sqlite3_close(master);
        }
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(working).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        const auto run = [db](const char* sql, const std::vector<std::vector<QVariant>>& rows) {
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &insert, nullptr);
            for (const auto& row : rows)
                insertOnce(insert, row);
            sqlite3_finalize(insert);
        };
        // The story's 47 columns: texts where the row holds texts, numbers elsewhere.
        const char* const kinds = "tttitttitttiiiiiiiiiiiiiitiiiiiiiiiiiiiiiiddiii";
        std::vector<QVariant> row;
        for (const char* kind = kinds; *kind; ++kind)
            row.push_back(*kind == 't' ? QVariant(QStringLiteral("EmptyFloor")) : *kind == 'd' ? QVariant(0.01) : QVariant(1));
        run("INSERT INTO Screenplay (ScreenplayGUID,VantoraVersion,ScreenplayTitle,PageCount,GeneralNotes,Genre,"
            "CreateDate,ProgressStage,OwnerSerialNumber,OwnerFirstName,OwnerLastName,ReturnDestination,ReviewType,"
            "BoardWidth,BoardHeight,WindowState,BoardZoomFactor,LogLineSplitterDistance,GeneralNotesSplitterDistance,"
            "BeatsSplitterDistance,BoardSplitterDistance,ParentWindowHeight,ParentWindowWidth,GeneralNotesHeight,"
            "GeneralNotesWidth,LastModifiedDate,BoardView,BigSceneView,BigSceneSceneCardID,BoardListSortMethod,"
            "BoardListFilterColorID,BoardListFilterCharacterID,BoardListFilterLocationID,StandardFontSetting,"
            "R3x5IncludeNotes,R3x5IncludeCharacters,R4x6IncludeNotes,R4x6IncludeCharacters,A3x5IncludeNotes,"
            "A3x5IncludeCharacters,ABCIncludeNotes,ABCIncludeCharacters,GreenlightChecklistPercentageHorizontal,"
            "GreenlightChecklistPercentageVertical,BeatSectionShowing,BeatSectionCharacterID,BeatSectionLocationID) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            {row});
        run("INSERT INTO ColorCode (ScreenplayID,Description,RedValue,GreenValue,BlueValue,AlphaValue) "
            "VALUES (?,?,?,?,?,?)",
            colours);
        run("INSERT INTO Logline (ScreenplayID,Logline,CurrentLoglineFlag) VALUES (?,?,?)",
            {{QVariant(1), QVariant(QString()), QVariant(1)}});
        std::vector<std::vector<QVariant>> beats;
        for (int number = 1; number <= 15; ++number)
            beats.push_back({QVariant(1), QVariant(number), QVariant(QString())});
        run("INSERT INTO Beat (ScreenplayID,BeatNumber,Description) VALUES (?,?,?)", beats);
        std::vector<std::vector<QVariant>> questions;
        for (int number = 1; number <= 55; ++number)
            questions.push_back({QVariant(1), QVariant(number), QVariant(QStringLiteral("N"))});
        run("INSERT INTO GreenlightChecklistQuestion (ScreenplayID,QuestionNumber,Answer) VALUES (?,?,?)", questions);
        std::vector<std::vector<QVariant>> formats;
        for (int format = 0; format < 15; ++format)
            formats.push_back({QVariant(QStringLiteral("Action")), QVariant(1.5), QVariant(1.0), QVariant(QStringLiteral("Left"))});
        run("INSERT INTO ScriptElement (ElementType,LeftIndent,RightIndent,Alignment) VALUES (?,?,?,?)", formats);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        std::rename(QFile::encodeName(working).constData(), QFile::encodeName(target).constData());
    }
}
BENCHMARK(BM_NewStoryFileOnly_Floor)->Unit(benchmark::kMillisecond);

// The whole import after the panels: read, check, new file, conversion, put in place.
void importIntoNewStory(benchmark::State& state, const QString& scriptPath, const QString& target,
                        const QString& master)
{
    for (auto _ : state) {
        XMLParsedScript script;
        if (FinalDraftImport::readScript(scriptPath, script, ScriptImportEntry::NewStory) ||
            FinalDraftImport::makeStoryFromScript(script, scriptPath, target, master)) {
            state.SkipWithError("the script was refused");
            return;
        }
    }
}

void BM_ImportScriptIntoNewStory(benchmark::State& state)
{
    importIntoNewStory(state, fixture().scriptPath, fixture().folder.filePath(QStringLiteral("Imported.vtrsf")),
                       fixture().master);
}
BENCHMARK(BM_ImportScriptIntoNewStory)->Unit(benchmark::kMillisecond);

void execute(sqlite3* db, const char* sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Floor for the whole import: the script's bytes read and every XML token walked, then a new
// story file and the rows the import makes (cards, script paragraphs, characters, locations,
// links), inserted with plain prepared statements in one transaction.
void BM_ImportScriptIntoNewStory_Floor(benchmark::State& state)
{
    XMLParsedScript script;
    script.parseScriptData(fixture().bytes);
    std::int64_t parts = 0;
    for (const XMLScriptParagraph& paragraph : *script.paragraphs())
        if (paragraph.paragraphType != QLatin1StringView("Scene Heading") &&
            paragraph.paragraphType != QLatin1StringView("DualDialogue"))
            ++parts;
    const QString target = fixture().folder.filePath(QStringLiteral("Floor.vtrsf"));
    for (auto _ : state) {
        QFile source(fixture().scriptPath);
        source.open(QIODevice::ReadOnly);
        QXmlStreamReader reader(source.readAll());
        qint64 tokens = 0;
        while (!reader.atEnd()) {
            reader.readNext();
            ++tokens;
        }
        benchmark::DoNotOptimize(tokens);
        NewStoryFile file(target);
        file.create(fixture().master);
        {
            DatabaseConnection connection = StoryFile::open(file.workingPath());
            sqlite3* db = connection.get();
            execute(db, "BEGIN");
            sqlite3_stmt* card = nullptr;
            sqlite3_stmt* part = nullptr;
            sqlite3_stmt* name = nullptr;
            sqlite3_prepare_v2(db,
                               "INSERT INTO SceneCard (Heading, Description, SortOrder, PageNumber) VALUES (?,?,?,?)",
                               -1, &card, nullptr);
            sqlite3_prepare_v2(db, "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) "
                                   "VALUES (?,?,?,?)", -1, &part, nullptr);
            sqlite3_prepare_v2(db, "INSERT INTO Character (CharacterName) VALUES (?)", -1, &name, nullptr);
            for (int scene = 1; scene <= kScenes; ++scene) {
                sqlite3_bind_text(card, 1, "INT. PLACE - DAY", -1, SQLITE_STATIC);
                sqlite3_bind_text(card, 2, "Scene summary", -1, SQLITE_STATIC);
                sqlite3_bind_int64(card, 3, scene);
                sqlite3_bind_int64(card, 4, scene * 2);
                sqlite3_step(card);
                sqlite3_reset(card);
            }
            for (std::int64_t index = 1; index <= parts; ++index) {
                sqlite3_bind_int64(part, 1, 1 + index % kScenes);
                sqlite3_bind_int64(part, 2, index);
                sqlite3_bind_int64(part, 3, 2);
                sqlite3_bind_text(part, 4, "We were never meant to stay here this long, and you know it.", -1,
                                  SQLITE_STATIC);
                sqlite3_step(part);
                sqlite3_reset(part);
            }
            for (int index = 0; index < 8 + kScenes + 3 * kScenes; ++index) {
                sqlite3_bind_text(name, 1, "NAME", -1, SQLITE_STATIC);
                sqlite3_step(name);
                sqlite3_reset(name);
            }
            sqlite3_finalize(card);
            sqlite3_finalize(part);
            sqlite3_finalize(name);
            execute(db, "COMMIT");
        }
        file.commit();
    }
    state.counters["parts"] = static_cast<double>(parts);
}
BENCHMARK(BM_ImportScriptIntoNewStory_Floor)->Unit(benchmark::kMillisecond);

struct SavedFeature {
    QTemporaryDir folder;
    QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
    QString scriptPath = folder.filePath(QStringLiteral("Harbour Lights.fdx"));

    SavedFeature()
    {
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master);
        QFile file(scriptPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(SavedScripts::featureScript());
    }
};

SavedFeature& savedFeature()
{
    static SavedFeature shared;
    return shared;
}

// The import's own work on the file: its bytes read, parsed and checked, every scene's page
// laid out. Writing the story file is measured below, beside its own floor.
void BM_ImportSavedFeature(benchmark::State& state)
{
    for (auto _ : state) {
        XMLParsedScript script;
        if (FinalDraftImport::readScript(savedFeature().scriptPath, script, ScriptImportEntry::NewStory)) {
            state.SkipWithError("the script was refused");
            return;
        }
        const std::vector<std::int64_t> pages = FinalDraftImport::laidOutHeadingPages(
            *script.paragraphs(), static_cast<std::int64_t>(script.pageOffsets()->size()));
        benchmark::DoNotOptimize(pages.data());
        state.counters["paragraphs"] = static_cast<double>(script.paragraphs()->size());
        state.counters["last page"] = static_cast<double>(*std::max_element(pages.begin(), pages.end()));
    }
}
BENCHMARK(BM_ImportSavedFeature)->Unit(benchmark::kMillisecond);

// Floor: the same file's bytes read and walked by the stream reader alone, every element's
// name, attributes and text looked at.
void BM_ImportSavedFeature_Floor(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(savedFeature().scriptPath);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the script cannot be read");
            return;
        }
        QXmlStreamReader reader(file.readAll());
        qsizetype seen = 0;
        while (!reader.atEnd()) {
            switch (reader.readNext()) {
            case QXmlStreamReader::StartElement:
                seen += reader.name().size() + reader.attributes().size();
                break;
            case QXmlStreamReader::Characters:
                seen += reader.text().size();
                break;
            default:
                break;
            }
        }
        benchmark::DoNotOptimize(seen);
    }
}
BENCHMARK(BM_ImportSavedFeature_Floor)->Unit(benchmark::kMillisecond);

// The whole import after the panels, into a new story file: read, check, new file from the
// template, conversion with pages laid out and characters from the cues, put in place.
void BM_ImportSavedFeatureIntoNewStory(benchmark::State& state)
{
    importIntoNewStory(state, savedFeature().scriptPath,
                       savedFeature().folder.filePath(QStringLiteral("Imported.vtrsf")), savedFeature().master);
}
BENCHMARK(BM_ImportSavedFeatureIntoNewStory)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Importing a Final Draft script into a new story file, each step beside its floor measured in
// the same run. The floors read the same bytes with the stream reader alone into plain structs
// (every paragraph's type, number, text, scene properties and dual-dialogue lines, the locked
// pages, the listed characters and locations), lay the script out on pages with a plain
// word-wrapping line count where the import lays it out, and write the same rows (cards,
// script paragraphs, characters, locations, the cards' characters, the story's page count) into
// a new story file with plain prepared statements in one transaction.
// The scripts: a feature-length one made here with its scene pages and lists, and a 120-page one
// saved the way the screenwriting program saves one today (no scene pages, no character list:
// pages laid out, characters taken from the cues), the one the tests write.
#include "../support/FloorNewStory.h"
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
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
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

// --- The floors' means ---------------------------------------------------------------------------

// A script as a floor reads it.
struct FloorParagraph {
    QString type;
    QString number;
    QString text;
    QString page;
    QString title;
    // A dual-dialogue block's paragraphs: type and text.
    std::vector<std::pair<QString, QString>> lines;
};

struct FloorScript {
    QString documentType;
    std::vector<FloorParagraph> paragraphs;
    std::vector<std::pair<QString, std::int64_t>> lockedPages;
    std::vector<QString> characters;
    std::vector<QString> locations;
    bool wellFormed = false;
};

// One pass of the stream reader over `bytes`: the paragraphs of the script's content (title
// page, header and footer left out), with their attributes and text, and the lists.
FloorScript readFloorScript(const QByteArray& bytes)
{
    FloorScript script;
    QXmlStreamReader reader(bytes);
    QString* text = nullptr;
    std::vector<QString>* list = nullptr;
    bool dual = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QStringView name = reader.name();
            const QXmlStreamAttributes attributes = reader.attributes();
            if (name == u"Paragraph") {
                const QString type = attributes.value(QLatin1StringView("Type")).toString();
                if (dual)
                    script.paragraphs.back().lines.emplace_back(type, QString());
                else
                    script.paragraphs.push_back(
                        {type, attributes.value(QLatin1StringView("Number")).toString(), {}, {}, {}, {}});
            } else if (name == u"Text" && !script.paragraphs.empty()) {
                FloorParagraph& paragraph = script.paragraphs.back();
                text = dual && !paragraph.lines.empty() ? &paragraph.lines.back().second : &paragraph.text;
            } else if (name == u"SceneProperties" && !script.paragraphs.empty()) {
                script.paragraphs.back().page = attributes.value(QLatin1StringView("Page")).toString();
                script.paragraphs.back().title = attributes.value(QLatin1StringView("Title")).toString();
                reader.skipCurrentElement();
            } else if (name == u"DualDialogue") {
                dual = true;
            } else if (name == u"LockedPage") {
                script.lockedPages.emplace_back(attributes.value(QLatin1StringView("PageNumber")).toString(),
                                                attributes.value(QLatin1StringView("Position")).toLongLong());
            } else if (name == u"Characters") {
                list = &script.characters;
            } else if (name == u"Locations") {
                list = &script.locations;
            } else if ((name == u"Character" || name == u"Location") && list) {
                text = &list->emplace_back();
            } else if (name == u"FinalDraft") {
                script.documentType = attributes.value(QLatin1StringView("DocumentType")).toString();
            } else if (name == u"TitlePage" || name == u"HeaderAndFooter") {
                reader.skipCurrentElement();
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (text)
                text->append(reader.text());
            break;
        case QXmlStreamReader::EndElement: {
            const QStringView name = reader.name();
            if (name == u"Text" || name == u"Character" || name == u"Location")
                text = nullptr;
            else if (name == u"DualDialogue")
                dual = false;
            else if (name == u"Characters" || name == u"Locations")
                list = nullptr;
            break;
        }
        default:
            break;
        }
    }
    script.wellFormed = !reader.hasError();
    return script;
}

// Lines `text` takes wrapped at `width` characters, words kept whole (a longer one runs over).
int floorLines(const QString& text, int width)
{
    int lines = 1;
    int column = 0;
    int word = 0;
    for (const QChar character : text) {
        if (character == u'\n') {
            ++lines;
            column = word = 0;
        } else if (character == u' ') {
            column += 1;
            word = 0;
        } else {
            ++column;
            ++word;
            if (column > width) {
                ++lines;
                column = word <= width ? word : 1;
            }
        }
    }
    return lines;
}

// Width in characters and blank lines before, by paragraph type: Courier at ten characters an
// inch, six lines an inch, 54 lines a page.
std::pair<int, int> floorElement(const QString& type)
{
    if (type == u"Scene Heading")
        return {60, 2};
    if (type == u"Character")
        return {38, 1};
    if (type == u"Dialogue")
        return {35, 0};
    if (type == u"Parenthetical")
        return {25, 0};
    if (type == u"Transition")
        return {20, 1};
    return {60, 1};
}

// The page each heading of `script` starts on once laid out (0 for other paragraphs), scaled to
// its locked pages: a heading kept with the paragraph after it, a dual-dialogue block as tall as
// its taller column, an act starting a page.
std::vector<std::int64_t> floorHeadingPages(const FloorScript& script)
{
    constexpr int kLines = 54;
    std::vector<int> pageOf(script.paragraphs.size(), 0);
    int page = 1;
    int line = 0;
    for (std::size_t index = 0; index < script.paragraphs.size(); ++index) {
        const FloorParagraph& paragraph = script.paragraphs[index];
        if (paragraph.type == u"New Act" && line > 0) {
            ++page;
            line = 0;
        }
        int height = 0;
        int before = 1;
        if (!paragraph.lines.empty()) {
            std::array<int, 2> columns{};
            int column = -1;
            for (const auto& [type, text] : paragraph.lines) {
                column += type == u"Character" && column < 1 ? 1 : 0;
                columns[static_cast<std::size_t>(std::max(column, 0))] +=
                    floorLines(text, 28) + (type == u"Character" ? 1 : 0);
            }
            height = std::max(columns[0], columns[1]);
        } else {
            const auto [width, blank] = floorElement(paragraph.type);
            height = floorLines(paragraph.text, width);
            before = blank;
        }
        int needed = line == 0 ? height : before + height;
        // A heading keeps the first line after it on its page.
        if (paragraph.type == u"Scene Heading")
            needed += 2;
        if (line + needed > kLines && line > 0) {
            ++page;
            line = 0;
        }
        pageOf[index] = paragraph.type == u"Scene Heading" ? page : 0;
        line += line == 0 ? height : before + height;
        if (paragraph.type == u"End of Act") {
            ++page;
            line = 0;
        }
    }
    const std::int64_t locked = static_cast<std::int64_t>(script.lockedPages.size());
    const int found = std::max(page - (line == 0 ? 1 : 0), 1);
    std::vector<std::int64_t> pages(pageOf.size(), 0);
    for (std::size_t index = 0; index < pageOf.size(); ++index)
        if (pageOf[index] > 0)
            pages[index] = std::min<std::int64_t>(locked, 1 + (pageOf[index] - 1) * locked / found);
    return pages;
}

QByteArray bytesOfFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Floor for reading: the stream reader reading the same bytes into plain structs.
void BM_ReadScript_Floor(benchmark::State& state)
{
    for (auto _ : state) {
        const FloorScript script = readFloorScript(fixture().bytes);
        benchmark::DoNotOptimize(script.paragraphs.data());
        state.counters["paragraphs"] = static_cast<double>(script.paragraphs.size());
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
    countImportedRows(state, target);
}

void BM_ImportScriptIntoNewStory(benchmark::State& state)
{
    importIntoNewStory(state, fixture().scriptPath, fixture().folder.filePath(QStringLiteral("Imported.vtrsf")),
                       fixture().master);
}
BENCHMARK(BM_ImportScriptIntoNewStory)->Unit(benchmark::kMillisecond);

// The name a cue speaks under: with a character list, the text before any bracket; without
// one, the cue in capitals without the bracketed extensions at its end.
QString floorSpeaker(const QString& cue, bool listed)
{
    QString name = cue.trimmed();
    if (listed) {
        const qsizetype bracket = name.indexOf(u'(');
        return (bracket >= 0 ? name.left(bracket) : name).trimmed().toUpper();
    }
    while (name.endsWith(u')') && name.lastIndexOf(u'(') >= 0)
        name = name.left(name.lastIndexOf(u'(')).trimmed();
    return name.toUpper();
}

// The story's element type of a script paragraph type ("" for none: headings go to cards).
QString floorElementType(const QString& type)
{
    if (type == u"General" || type == u"Shot")
        return QStringLiteral("Action");
    if (type == u"Scene Heading")
        return QString();
    return type;
}

// A whole import done the plain way: the file read into structs and checked (a script of 4 to
// 1,000 locked pages), the pages of headings that name none laid out, a new story file from the
// template, and in one transaction the characters (listed, or the speakers of the cues), the
// locations, a card for each heading with its script paragraphs and its characters, and the
// story's page count and board width; then the file put in place.
bool floorImport(const QString& scriptPath, const QString& target, const QString& master)
{
    const FloorScript script = readFloorScript(bytesOfFile(scriptPath));
    const auto lockedPages = static_cast<std::int64_t>(script.lockedPages.size());
    if (!script.wellFormed || script.documentType != u"Script" || lockedPages < 4 || lockedPages > 1000)
        return false;
    std::map<QString, std::int64_t> lockedPageOf;
    for (std::size_t index = 0; index < script.lockedPages.size(); ++index)
        lockedPageOf.try_emplace(script.lockedPages[index].first, static_cast<std::int64_t>(index) + 1);
    const auto namesNoPage = [&](const FloorParagraph& each) {
        return each.type == u"Scene Heading" && !lockedPageOf.count(each.page);
    };
    const bool unnamed = std::any_of(script.paragraphs.begin(), script.paragraphs.end(), namesNoPage);
    const std::vector<std::int64_t> laidOut = unnamed ? floorHeadingPages(script) : std::vector<std::int64_t>();
    return writeFloorStory(target, master, [&](sqlite3* db, const auto& elements) {
        FloorStatement character(db, "INSERT INTO Character (ScreenplayID, CharacterName) VALUES (1, ?)");
        FloorStatement location(db, "INSERT INTO SceneLocation (ScreenplayID, Location) VALUES (1, ?)");
        FloorStatement card(db, "INSERT INTO SceneCard (ScreenplayID, Heading, Description, SceneNumber, SortOrder, "
                                "PageNumber, OnBoard, PositionLeft) VALUES (1, ?, ?, ?, ?, ?, 1, ?)");
        FloorStatement part(db, "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) "
                                "VALUES (?, ?, ?, ?)");
        FloorStatement link(db, "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (?, ?)");
        const bool listed = !script.characters.empty();
        std::map<QString, std::int64_t> cast;
        const auto addCharacter = [&](const QString& name) {
            if (!name.isEmpty() && !cast.count(name))
                cast.emplace(name, character.bind(1, name).step());
        };
        if (listed) {
            for (const QString& name : script.characters)
                addCharacter(name.trimmed().toUpper());
        } else {
            for (const FloorParagraph& paragraph : script.paragraphs) {
                if (paragraph.type == u"Character")
                    addCharacter(floorSpeaker(paragraph.text, false));
                for (const auto& [type, text] : paragraph.lines)
                    if (type == u"Character")
                        addCharacter(floorSpeaker(text, false));
            }
        }
        for (const QString& name : script.locations)
            location.bind(1, name.toUpper()).step();
        // The cards: each heading's paragraphs are kept until the next heading, then written.
        struct PendingPart {
            QString type;
            QString text;
        };
        std::int64_t cards = 0;
        std::int64_t parts = 0;
        std::vector<PendingPart> pending;
        const FloorParagraph* heading = nullptr;
        std::int64_t headingPage = 1;
        const auto storeCard = [&] {
            const std::int64_t key = card.bind(1, heading ? heading->text : QString())
                                   .bind(2, heading ? heading->title : QString())
                                   .bind(3, heading ? heading->number : QString())
                                   .bind(4, ++cards)
                                   .bind(5, headingPage)
                                   .bind(6, 4 + (headingPage - 1) * 1566 / lockedPages)
                                   .step();
            std::set<std::int64_t> linked;
            for (const PendingPart& each : pending) {
                const auto element = elements.find(each.type);
                part.bind(1, key).bind(2, ++parts).bind(3, element == elements.end() ? 0 : element->second);
                part.bind(4, each.text).step();
                if (!each.type.endsWith(u"Character"))
                    continue;
                const auto speaker = cast.find(floorSpeaker(each.text, listed));
                if (speaker != cast.end() && linked.insert(speaker->second).second)
                    link.bind(1, key).bind(2, speaker->second).step();
            }
            pending.clear();
        };
        for (std::size_t index = 0; index < script.paragraphs.size(); ++index) {
            const FloorParagraph& paragraph = script.paragraphs[index];
            if (paragraph.type == u"Scene Heading") {
                // What comes before the first heading lies on its card, the heading in its place.
                if (heading)
                    storeCard();
                else if (!pending.empty())
                    pending.push_back({paragraph.type, paragraph.text});
                heading = &paragraph;
                const auto named = lockedPageOf.find(paragraph.page);
                headingPage = named != lockedPageOf.end() ? named->second : std::max<std::int64_t>(1, laidOut[index]);
                continue;
            }
            if (!paragraph.lines.empty()) {
                bool right = false;
                int cues = 0;
                for (const auto& [type, text] : paragraph.lines) {
                    right = right || (type == u"Character" && ++cues == 2);
                    pending.push_back({(right ? QStringLiteral("DDR-") : QStringLiteral("DDL-")) + type, text});
                }
                continue;
            }
            if (const QString type = floorElementType(paragraph.type); !type.isEmpty())
                pending.push_back({type, paragraph.text});
        }
        if (heading || !pending.empty())
            storeCard();
        FloorStatement story(db, "UPDATE Screenplay SET PageCount = ?, BoardWidth = ?");
        story.bind(1, lockedPages).bind(2, std::int64_t{10 * 270 + 8}).step();
    });
}

// Floor for the whole import, on the same script.
void floorImportIntoNewStory(benchmark::State& state, const QString& scriptPath, const QString& target,
                             const QString& master)
{
    for (auto _ : state) {
        if (!floorImport(scriptPath, target, master)) {
            state.SkipWithError("the floor refused the script");
            return;
        }
    }
    countImportedRows(state, target);
}

void BM_ImportScriptIntoNewStory_Floor(benchmark::State& state)
{
    floorImportIntoNewStory(state, fixture().scriptPath, fixture().folder.filePath(QStringLiteral("Floor.vtrsf")),
                            fixture().master);
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

// Floor: the same file's bytes read into plain structs, checked (a script of 4 to 1,000 locked
// pages), and every heading's page laid out.
void BM_ImportSavedFeature_Floor(benchmark::State& state)
{
    for (auto _ : state) {
        const FloorScript script = readFloorScript(bytesOfFile(savedFeature().scriptPath));
        const auto lockedPages = script.lockedPages.size();
        if (!script.wellFormed || script.documentType != u"Script" || lockedPages < 4 || lockedPages > 1000) {
            state.SkipWithError("the floor refused the script");
            return;
        }
        const std::vector<std::int64_t> pages = floorHeadingPages(script);
        benchmark::DoNotOptimize(pages.data());
        state.counters["paragraphs"] = static_cast<double>(script.paragraphs.size());
        state.counters["last page"] = static_cast<double>(*std::max_element(pages.begin(), pages.end()));
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

void BM_ImportSavedFeatureIntoNewStory_Floor(benchmark::State& state)
{
    floorImportIntoNewStory(state, savedFeature().scriptPath,
                            savedFeature().folder.filePath(QStringLiteral("Floor.vtrsf")), savedFeature().master);
}
BENCHMARK(BM_ImportSavedFeatureIntoNewStory_Floor)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

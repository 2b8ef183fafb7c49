#pragma once

// A story file of any number of cards for the benchmarks, the same for every benchmark binary:
// cards spread over the seventeen board beats with their places stored, texts of varied length,
// colour stripes, a location, a short script, two characters each, set-ups paid off a few cards
// later, worded as writers word them (WriterTexts.h), and pictures (every character has a
// portrait, every tenth card a primary attachment with a thumbnail). One card in a hundred lies
// in the Litter Box.

#include "WriterTexts.h"
#include "model/ColorCodedb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace StoryGenerator {

// The card counts every benchmark of a story's size runs at.
constexpr std::array<int, 3> kSizes{100, 1000, 10000};
// The stored board size of every generated story.
constexpr int kBoardWidth = 4000;
constexpr int kBoardHeight = 1200;
// The seventeen board beats that have a row.
constexpr std::array<int, 17> kBoardBeats{1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 19, 20};

// A JPEG picture, different for each index.
inline QByteArray picture(int index, int side = 128)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(index * 37 % 360, 160, 220));
    QPainter painter(&image);
    painter.setBrush(QColor::fromHsv(index * 53 % 360, 220, 120));
    painter.drawEllipse(side / 4, side / 4, side / 2, side / 2);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

// One to eight sentences.
inline QString sentences(int index)
{
    static const QStringList parts{
        QStringLiteral("Mara reaches the hut before the storm closes the pass."),
        QStringLiteral("The smugglers argue over the last of the coffee."),
        QStringLiteral("A letter nobody meant her to read lies open on the table."),
        QStringLiteral("Jonah lies about where he was the night the bridge burned."),
        QStringLiteral("Outside, the dogs will not stop barking."),
    };
    QString text;
    for (int count = 0; count <= index % 8; ++count)
        text += parts.at((index + count) % parts.size()) + QLatin1Char(' ');
    return text.trimmed();
}

namespace Detail {

// One prepared statement, stepped once per row.
class Insert
{
public:
    Insert(sqlite3* db, const char* sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Insert() { sqlite3_finalize(statement_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& bind(int column, std::int64_t value)
    {
        sqlite3_bind_int64(statement_, column, value);
        return *this;
    }
    Insert& bind(int column, double value)
    {
        sqlite3_bind_double(statement_, column, value);
        return *this;
    }
    Insert& bind(int column, const QString& text)
    {
        const QByteArray bytes = text.toUtf8();
        sqlite3_bind_text(statement_, column, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& bindBlob(int column, const QByteArray& bytes)
    {
        sqlite3_bind_blob(statement_, column, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // Answers the new row's id.
    std::int64_t run()
    {
        if (sqlite3_step(statement_) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
        return sqlite3_last_insert_rowid(db_);
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

inline void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

// The story's rows, in one transaction; the statements are finalized before the story closes.
inline void insertRows(sqlite3* db, std::int64_t screenplay, const std::vector<std::int64_t>& elements,
                       const std::vector<std::int64_t>& colorCodes, int cards, WriterTexts::Typing typing)
{
    using Detail::Insert;
    Detail::exec(db, "BEGIN");

    Insert attachment(db, "INSERT INTO AttachedObject (ScreenplayID, Title, Thumbnail, MimeType) VALUES (?,?,?,?)");
    const auto addPicture = [&](const QString& title, int index) {
        return attachment.bind(1, screenplay)
            .bind(2, title)
            .bindBlob(3, picture(index))
            .bind(4, QStringLiteral("image/jpeg"))
            .run();
    };

    Insert character(db, "INSERT INTO Character (ScreenplayID, CharacterName, Description) VALUES (?,?,?)");
    Insert portrait(db, "INSERT INTO CharacterObject (CharacterID, AttachedObjectID, PrimaryDisplayFlag) "
                        "VALUES (?,?,1)");
    std::vector<std::int64_t> characters;
    const int characterCount = std::max(10, cards / 20);
    for (int index = 0; index < characterCount; ++index) {
        const std::int64_t id = character.bind(1, screenplay)
                                    .bind(2, QStringLiteral("CHARACTER %1").arg(index))
                                    .bind(3, sentences(index))
                                    .run();
        portrait.bind(1, id).bind(2, addPicture(QStringLiteral("Portrait %1").arg(index), index)).run();
        characters.push_back(id);
    }

    Insert location(db, "INSERT INTO SceneLocation (ScreenplayID, Location) VALUES (?,?)");
    std::vector<std::int64_t> locations;
    for (int index = 0; index < std::max(5, cards / 50); ++index)
        locations.push_back(location.bind(1, screenplay).bind(2, QStringLiteral("PLACE %1").arg(index)).run());

    Insert card(db, "INSERT INTO SceneCard (ScreenplayID, Heading, Description, Notes, EmotionalChange, "
                    "EmotionalChangeType, Conflict, PageNumber, PositionLeft, PositionTop, PercentageHorizontal, "
                    "PercentageVertical, OnBoard, SortOrder, CurrentBeatSection, SceneLocationID, ColorLegend1ID, "
                    "ColorLegend3ID) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    Insert part(db, "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) VALUES (?,?,?,?)");
    Insert cast(db, "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID, Description) VALUES (?,?,?)");
    Insert thumbnail(db, "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID, PrimaryDisplayFlag, "
                         "Description) VALUES (?,?,1,?)");
    std::vector<std::int64_t> cardIDs;
    cardIDs.reserve(static_cast<std::size_t>(cards));
    const double rowWidth = kBoardWidth - 8.0;
    for (int index = 0; index < cards; ++index) {
        const int beat = kBoardBeats[static_cast<std::size_t>(index) % kBoardBeats.size()];
        const int row = beat <= 7 ? 0 : beat <= 12 ? 1 : beat <= 17 ? 2 : 3;
        const double horizontal = static_cast<double>(index % 23) / 23.0;
        const double vertical = 0.02 + row * 0.25 + static_cast<double>(index % 3) * 0.02;
        const std::int64_t colour = colorCodes.empty() ? 0 : colorCodes[static_cast<std::size_t>(index) % colorCodes.size()];
        const std::int64_t id =
            card.bind(1, screenplay)
                .bind(2, QStringLiteral("INT. ROOM %1 - %2").arg(index).arg(index % 2 ? "DAY" : "NIGHT"))
                .bind(3, sentences(index))
                .bind(4, sentences(index + 3))
                .bind(5, QStringLiteral("Hope to doubt"))
                .bind(6, std::int64_t{index % 3})
                .bind(7, QStringLiteral("Mara against the smugglers"))
                .bind(8, std::int64_t{1 + index * 120 / std::max(1, cards)})
                .bind(9, static_cast<std::int64_t>(4 + horizontal * rowWidth))
                .bind(10, static_cast<std::int64_t>(4 + vertical * kBoardHeight))
                .bind(11, horizontal)
                .bind(12, vertical)
                .bind(13, std::int64_t{index % 100 == 99 ? 2 : 1})
                .bind(14, std::int64_t{index + 1})
                .bind(15, std::int64_t{beat})
                .bind(16, locations[static_cast<std::size_t>(index) % locations.size()])
                .bind(17, index % 4 == 0 ? colour : std::int64_t{0})
                .bind(18, index % 7 == 0 ? colour : std::int64_t{0})
                .run();
        cardIDs.push_back(id);
        for (int paragraph = 0; paragraph < 4; ++paragraph)
            part.bind(1, id)
                .bind(2, std::int64_t{paragraph + 1})
                .bind(3, elements[static_cast<std::size_t>(paragraph)])
                .bind(4, paragraph == 1 ? QStringLiteral("MARA") : sentences(index + paragraph))
                .run();
        for (int each = 0; each < 2; ++each)
            cast.bind(1, id)
                .bind(2, characters[static_cast<std::size_t>(index * 2 + each) % characters.size()])
                .bind(3, QStringLiteral("Wants out"))
                .run();
        if (index % 10 == 0)
            thumbnail.bind(1, id)
                .bind(2, addPicture(QStringLiteral("Still %1").arg(index), index + 1000))
                .bind(3, QStringLiteral("The room as we found it"))
                .run();
    }

    // A set-up on every fifth card, paid off three cards later.
    Insert payoff(db, "INSERT INTO ScenePayoff (SceneCardID, ScenePayoff) VALUES (?,?)");
    Insert setup(db, "INSERT INTO SceneSetup (SceneCardID, SceneSetup, ScenePayoffID) VALUES (?,?,?)");
    for (int index = 0; index + 3 < cards; index += 5) {
        const std::int64_t paid = payoff.bind(1, cardIDs[static_cast<std::size_t>(index + 3)])
                                      .bind(2, WriterTexts::payoff(index, typing))
                                      .run();
        setup.bind(1, cardIDs[static_cast<std::size_t>(index)])
            .bind(2, WriterTexts::setup(index, typing))
            .bind(3, paid)
            .run();
    }
    Detail::exec(db, "COMMIT");
}

} // namespace Detail

// Raises the story at `path` to at least `setups` set-ups and as many pay-offs, each new set-up
// linked to a new pay-off three cards later (the cards taken in turn), and to at least
// `characters` characters. The set-ups and pay-offs are typed as `typing` says.
inline void raise(const QString& path, int setups, int characters,
                  WriterTexts::Typing typing = WriterTexts::Typing::AsInScripts)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("the story could not be opened");
    }
    const auto count = [db](const char* sql) {
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &query, nullptr);
        const int found = sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int(query, 0) : 0;
        sqlite3_finalize(query);
        return found;
    };
    std::vector<std::int64_t> cards;
    {
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, "SELECT SceneCardID FROM SceneCard ORDER BY SceneCardID", -1, &query, nullptr);
        while (sqlite3_step(query) == SQLITE_ROW)
            cards.push_back(sqlite3_column_int64(query, 0));
        sqlite3_finalize(query);
    }
    const std::int64_t screenplay = count("SELECT ScreenplayID FROM Screenplay");
    Detail::exec(db, "BEGIN");
    {
        Detail::Insert payoff(db, "INSERT INTO ScenePayoff (SceneCardID, ScenePayoff) VALUES (?,?)");
        Detail::Insert setup(db, "INSERT INTO SceneSetup (SceneCardID, SceneSetup, ScenePayoffID) VALUES (?,?,?)");
        Detail::Insert character(db, "INSERT INTO Character (ScreenplayID, CharacterName, Description) VALUES (?,?,?)");
        const auto cardAt = [&cards](int index) {
            return cards.empty() ? std::int64_t{0} : cards[static_cast<std::size_t>(index) % cards.size()];
        };
        for (int index = count("SELECT count(*) FROM SceneSetup"); index < setups; ++index) {
            const std::int64_t paid = payoff.bind(1, cardAt(index + 3))
                                          .bind(2, WriterTexts::payoff(index, typing))
                                          .run();
            setup.bind(1, cardAt(index))
                .bind(2, WriterTexts::setup(index, typing))
                .bind(3, paid)
                .run();
        }
        for (int index = count("SELECT count(*) FROM Character"); index < characters; ++index)
            character.bind(1, screenplay)
                .bind(2, QStringLiteral("CHARACTER %1").arg(index))
                .bind(3, QStringLiteral("Wants out of the valley before the snow, %1").arg(index))
                .run();
    }
    Detail::exec(db, "COMMIT");
    sqlite3_close(db);
}

// Makes `folder`/Story<cards>.vtrsf (replacing one made before) from the program's template and
// the master file at `masterPath`, and answers its path. The set-ups and pay-offs are typed as
// `typing` says.
inline QString generate(const QString& folder, const QString& masterPath, int cards,
                        WriterTexts::Typing typing = WriterTexts::Typing::AsInScripts)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Story%1.vtrsf").arg(cards));
    QFile::remove(path);
    if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path) ||
        !Toolkit().populateDefaults(masterPath, path))
        throw std::runtime_error("the story template could not be copied");
    Screenplaydb story;
    story.initWithFile(path);
    story.hydrate();
    story.setWindowState(101110);
    story.setParentWindowWidth(1400);
    story.setParentWindowHeight(900);
    story.setLogLineSplitterDistance(13);
    story.setBeatsSplitterDistance(20);
    story.setGeneralNotesSplitterDistance(80);
    story.setBoardSplitterDistance(80);
    story.setBoardSize(kBoardWidth, kBoardHeight);
    story.save();
    const std::int64_t screenplay = story.screenplayID();
    std::vector<std::int64_t> elements;
    for (const char* type : {"Action", "Character", "Dialogue", "Action"}) {
        const ScriptElementdb* element = story.elementForElementType(QString::fromLatin1(type));
        elements.push_back(element ? element->scriptElementID() : 0);
    }
    std::vector<std::int64_t> colorCodes;
    for (const auto& code : story.colorCodes())
        colorCodes.push_back(code->colorCodeID());
    sqlite3* db = story.database();
    Detail::insertRows(db, screenplay, elements, colorCodes, cards, typing);
    story.closeDatabase();
    return path;
}

} // namespace StoryGenerator

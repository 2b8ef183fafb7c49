#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class ArchivedFields;
class ArchivedObject;

// The project file of the program's earlier versions 1 and 2 (extension vtr): a keyed archive
// whose top object is a Screenplay holding the story's fields and its scene cards, set-ups and
// pay-offs. Integers are 32-bit, positions and fractions 32-bit floats, as they were archived.
namespace PreviousVersion {

// The first and last page of each of the four board sections of an earlier version.
struct PageRanges {
    std::int32_t section1From = 0;
    std::int32_t section1To = 0;
    std::int32_t section2From = 0;
    std::int32_t section2To = 0;
    std::int32_t section3From = 0;
    std::int32_t section3To = 0;
    std::int32_t section4From = 0;
    std::int32_t section4To = 0;

    // The sections of a story of `pages` pages as the earlier versions divided it.
    static PageRanges initWithPages(std::int32_t pages);
};

struct SceneCard {
    std::int32_t sceneCardID = 0;
    QString heading = QStringLiteral("SCENE HEADING");
    QString description = QStringLiteral("Scene Description");
    QString notes = QStringLiteral("Notes");
    // Lines separated by line feeds; leading tabs tell the paragraph types.
    QString script;
    QString emotionalChange = QStringLiteral("Emotional Change");
    QString conflict = QStringLiteral("Conflict");
    std::int32_t pageNumber = 1;
    float positionLeft = 0.0f;
    float positionTop = 428.0f;
    float positionWidth = 0.0f;
    // Fraction of the board row's width.
    float positionPercentage = 0.0f;
    // Colour-code ids of the six slots, 0 = none.
    std::array<std::int32_t, 6> colorKeys{};
    // On the board, or in the Litter Box.
    bool onBoard = true;

    // Decoded from the fields of an archived card: a key that is missing gives 0, NO or no text,
    // except the script, which is then empty.
    static SceneCard decode(const ArchivedFields& fields);
    // 1 when this card's sort key (section base plus left position, the section taken from the
    // page by `ranges`) is at least the other's, else -1.
    int sortSceneCards(const SceneCard& other, const PageRanges& ranges) const;
};

struct SceneSetup {
    std::int32_t sceneSetupID = 0;
    std::int32_t sceneCardID = 0;
    QString sceneSetup;
    // The linked pay-off, 0 = none.
    std::int32_t payOffID = 0;

    static SceneSetup decode(const ArchivedFields& fields);
};

struct ScenePayoff {
    std::int32_t scenePayoffID = 0;
    std::int32_t sceneCardID = 0;
    QString scenePayoff;

    static ScenePayoff decode(const ArchivedFields& fields);
};

struct Screenplay {
    // Nothing when the archive has no title.
    std::optional<QString> screenPlayTitle = QString();
    QString logLine;
    QString genre;
    float formWidth = 0.0f;
    std::array<QString, 15> beats;
    std::vector<SceneCard> sceneCards;
    std::vector<SceneSetup> sceneSetups;
    std::vector<ScenePayoff> scenePayoffs;
    std::int32_t pageCount = 110;
    // Lines separated by line feeds.
    QString generalNotes;
    // Only version 2 projects hold a page count; version 1 projects count 100 pages and their
    // cards' fractions and scripts are not used.
    bool isVersion2 = true;

    static Screenplay decode(const ArchivedObject& archived);
};

// Reads a project file (binary or XML property list). Throws ArchiveError with a plain message
// when the file is no such project or is damaged.
Screenplay readProject(const QByteArray& bytes);

} // namespace PreviousVersion

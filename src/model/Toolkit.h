#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "DateUtilities.h"

// Stateless helper whose operations callers invoke on a fresh instance: Toolkit().op(...).
// Each subsystem defines its own operations in a source file of its own folder.
class QFont;
class SceneCarddb;
class Screenplaydb;
class XMLParsedScript;
struct NewStoryDefaults;
struct sqlite3;

class Toolkit
{
public:
    // --- dates (model) ---
    // Stored text "yyyy-MM-dd HH:mm:ss" shown with a display pattern; "" for the no-date value
    // or a text that is not a stored date.
    QString convertDateString(const QString& storedText, const QString& displayPattern) const;
    // Display text back to the stored form: "0001-01-01 00:00:00" for "", nothing when the
    // text does not fit the pattern.
    std::optional<QString> convertDateStringForSaving(const QString& displayText, const QString& displayPattern) const;
    // The date of a "MM/dd/yyyy" text, or nothing.
    std::optional<DateUtilities::DateTime> dateFromString(const QString& text) const;

    // --- new stories (model) ---
    // Fills a freshly copied, empty story file with the rows every story needs: its
    // Screenplay row (title from the file name), the master file's colour codes renumbered
    // 1, 2, 3..., one current logline, fifteen beats, fifty-five greenlight answers and the
    // fifteen script element formats. All or nothing: answers false, and leaves the file
    // without any of these rows, when the story cannot be opened or a write fails. An
    // unreadable master file only means no colour codes.
    bool populateDefaults(const QString& masterPath, const QString& storyPath) const;
    // The same rows, written on an open connection to the story file at `storyPath` in one
    // transaction, with the owner's names of `defaults` in the story's row. Raises DatabaseError,
    // the file then left as it was.
    void writeNewStoryRows(sqlite3* database, const QString& storyPath, const NewStoryDefaults& defaults) const;

    // Puts the fifteen beat cards on the board of a story that has none, each with one empty
    // "Action" paragraph, plus the optional suggestion cards chosen by `options` (set-up,
    // debate, fun and games, bad guys, five-step finale). All or nothing.
    void addInitialBeatCardsForScreenplay(Screenplaydb& story, const std::array<bool, 5>& options) const;
    // Those cards as they are made, in creation order with their sort orders, each placed on the
    // story's board (the cards of one page laid out together), none stored.
    std::vector<std::unique_ptr<SceneCarddb>> initialBeatCards(const Screenplaydb& story,
                                                               const std::array<bool, 5>& options) const;

    // --- script interchange (interchange) ---
    // Writes a read script into the story as one transaction: page count and board, element
    // formats, characters, locations, one scene card per scene heading with its script
    // paragraphs and character links, the cards spread along their rows, the board's width.
    // The script must hold 4 to 1000 locked pages. A failed write raises DatabaseError and
    // leaves the file as it was; the story in memory must then be loaded again.
    bool processFinalDraft8Script(const XMLParsedScript& script, Screenplaydb& story) const;
    // Writes the story's board cards and their script as a Final Draft 8/9 script file, in one
    // piece (a temporary file replaced in one step). Sorts the story's board cards by their
    // place on the board. Answers false, with the reason in `error`, when the file could not
    // be written; an older file at the path is then left as it was.
    bool exportScreenplay(Screenplaydb& story, const QString& path, QString* error = nullptr) const;
    // The whole story as plain text: title, loglines, page count, genre, beats, characters,
    // locations, set-ups, pay-offs, the board's scenes, the Litter Box's, attachments, notes
    // and the greenlight checklist with each question's mark. Writes nothing.
    QString buildTextStringForScreenplay(Screenplaydb& story) const;
    // The script of the board's cards as plain text: the title, then per card its heading and
    // the script paragraphs it holds in memory, indented with tabs by their element type.
    // Writes nothing.
    QString buildTextStringForScript(Screenplaydb& story) const;

    // --- report text (reports) ---
    // The height in points of a text laid out in `width` points with `font`: alignment 0 wraps
    // at word boundaries, 1 (right) and 2 (centred) give one line per paragraph however narrow
    // the width, any other value wraps with the natural alignment. An empty text measures 0.
    float heightForText(const QString& text, float width, const QFont& font, std::int64_t alignment) const;
    // The same without a paragraph style.
    float heightForString(const QString& text, const QFont& font, float width) const;
    // How many leading characters of a text too high for `height` form its first piece: the
    // piece ends where a laid-out line ends (after a space or a hyphen, before a line feed; inside
    // a word only when the word is longer than a line) and holds at least the first line, so a
    // page loop always makes progress. See ReportText::fittingLength.
    std::int64_t splitText(const QString& text, float height, float width, const QFont& font,
                           std::int64_t alignment) const;

    // --- web services (web) ---
    // The text between the first "<tag>" and the first "</tag>" after it; "" when either is
    // missing.
    QString valueForTag(const QString& tag, const QString& text) const;

    // --- the cloud store (web, CloudToolkit.cpp) ---
    // Each call is synchronous. The environment "LIVE" reaches the live service. Answers are
    // the result element's text, unescaped, or "ERROR" when the call could not be made or sent.
    // The MiscInfo call: "field 0|storage user name|storage password".
    QString getFTPInfo(const QString& accountNumber, const QString& environment) const;
    // The PrepForUpload and PrepForDownload calls with (account number, user name, password).
    QString prepForUpload(const QStringList& credentials, const QString& environment) const;
    QString prepForDownload(const QStringList& credentials, const QString& environment) const;
    // The stored files: "SUCCESS" and their names, or ("ERROR" or "NOFILES", the message to show).
    QStringList getFileNamesInCloud(const QString& accountNumber, const QString& environment) const;
    // The credentials for an upload: MiscInfo's three fields, or ("ERROR", the message to show).
    QStringList getInfoForUpload(const QString& accountNumber, const QString& environment) const;
    // Removes one stored file: the CleanUp answer (beginning with "SUCCESS" when it was removed),
    // "ERROR", or the message of a refused account.
    QString deleteFile(const QString& fileName, const QString& accountNumber, const QString& environment) const;
};

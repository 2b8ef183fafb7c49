#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class XMLParsedScript;
struct XMLScriptParagraph;

// The two ways a Final Draft script comes in: as a new story file, or into the story that is
// open in a window. Each words its refusals in its own way.
enum class ScriptImportEntry { NewStory, OpenStory };

// A refusal or failure to show in an alert.
struct ImportRefusal {
    QString title;
    QString message;
};

namespace FinalDraftImport {

// The page counts a script may have (every locked page counts, inserted pages included).
inline constexpr std::size_t kFewestPages = 4;
inline constexpr std::size_t kMostPages = 1000;

// Reads the script file into `script` (one pass) and checks it: a well-formed Final Draft
// script of type "Script" with 4 to 1000 locked pages. Answers the refusal to show, or
// nothing when the script can be converted.
std::optional<ImportRefusal> readScript(const QString& scriptPath, XMLParsedScript& script, ScriptImportEntry entry);

// Makes the story file at `targetPath` from a checked script: the template with the
// new-story defaults, the title taken from the script's file name, the converted script. The
// file is built aside and put at the path only when complete; on any failure nothing is left
// behind, a file that stood at the path is kept, and the answer says what went wrong.
std::optional<ImportRefusal> makeStoryFromScript(const XMLParsedScript& script, const QString& scriptPath,
                                                 const QString& targetPath, const QString& masterPath);

// The page each scene heading of a script starts on when the script is laid out on screenplay
// pages, scaled to its `lockedPages`; 0 for every other paragraph. The conversion takes these
// pages for the headings that name no locked page of their own.
std::vector<std::int64_t> laidOutHeadingPages(const std::vector<XMLScriptParagraph>& paragraphs,
                                              std::int64_t lockedPages);

} // namespace FinalDraftImport

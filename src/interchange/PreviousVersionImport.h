#pragma once

#include "FinalDraftImport.h"
#include "model/CharacterLinks.h"

#include <QString>

#include <optional>

class Screenplaydb;

namespace PreviousVersion {

struct Screenplay;

// Writes a read project into a story that has the new-story defaults: the story row, the
// general notes as a grid of sticky notes, the logline and beats, the scene cards under their
// archived ids with the script of a version 2 project and its characters, the set-ups and
// pay-offs under their archived ids. The caller runs it in one transaction.
void writeProjectIntoStory(const Screenplay& project, Screenplaydb& story);

// Makes the story file at `targetPath` from the project file at `projectPath`. The file is
// built aside and put at the path only when complete; an unreadable project, or any failure,
// leaves nothing behind (a file that stood at the path is kept) and answers the alert to show.
std::optional<ImportRefusal> makeStoryFromProject(const QString& projectPath, const QString& targetPath,
                                                  const QString& masterPath);

using CharacterLinks::characterNameForCue;

} // namespace PreviousVersion

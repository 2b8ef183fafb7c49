#pragma once

#include <QStringList>

// The genres the genre box offers, in the order it offers them. Each has an advice page
// "GENRE<NAME>" and a tip page "GENRE<NAME>POPUP" (see AutoTips::genreKeyPart). A story may
// still hold a genre outside this list, written by an older version or another tool.
const QStringList& storyGenres();

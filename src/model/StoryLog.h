#pragma once

#include <QLoggingCategory>

// Warnings of the story file and its records ("vantora.story"). Shown by default;
// QT_LOGGING_RULES="vantora.story.warning=false" silences them.
Q_DECLARE_LOGGING_CATEGORY(lcStory)

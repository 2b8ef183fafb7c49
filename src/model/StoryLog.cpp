#include "StoryLog.h"

Q_LOGGING_CATEGORY(lcStory, "vantora.story")

#include "AppLog.h"

// Info and above by default: a normal start prints nothing.
Q_LOGGING_CATEGORY(lcApp, "vantora.app", QtInfoMsg)

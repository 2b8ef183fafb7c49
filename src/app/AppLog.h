#pragma once

#include <QLoggingCategory>

// Warnings of the application and its windows ("vantora.app"): failures shown to the user,
// and failures that could not be shown. Shown by default; QT_LOGGING_RULES can silence them.
Q_DECLARE_LOGGING_CATEGORY(lcApp)

#pragma once

#include <QLoggingCategory>

// Messages of the application and its windows ("vantora.app"). Warnings (failures shown to
// the user, and failures that could not be shown) are shown by default; the trace of what
// the windows do (debug level) only when asked for, with
// QT_LOGGING_RULES="vantora.app.debug=true". Either can be silenced the same way.
Q_DECLARE_LOGGING_CATEGORY(lcApp)

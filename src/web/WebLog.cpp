#include "web/WebLog.h"

Q_LOGGING_CATEGORY(lcWeb, "vantora.web")

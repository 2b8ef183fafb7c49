#pragma once

#include <QLoggingCategory>

// Messages of the web services and the cloud exchange ("vantora.web"): addresses that are not
// used, and the upload's queue reporting its ends.
Q_DECLARE_LOGGING_CATEGORY(lcWeb)

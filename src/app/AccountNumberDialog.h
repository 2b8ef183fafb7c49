#pragma once

#include <QString>

#include <optional>

class QWidget;

// Asks for an account number of the web services in a small modal dialog over `parent` that
// explains what the number is for: a line to type it in, "OK" (only once something is typed)
// and "Cancel". The number typed, trimmed; nothing when the user cancels.
std::optional<QString> askForAccountNumber(QWidget* parent, const QString& explanation);

#pragma once

#include <QString>

namespace XMLTextFilter {

// The text without the characters that XML 1.0 does not allow in a document: control
// characters other than tab, line feed and carriage return, U+FFFE, U+FFFF and halves of
// surrogate pairs that stand alone. Everything else is kept as it is.
QString allowedText(const QString& text);

} // namespace XMLTextFilter

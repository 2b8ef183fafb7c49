#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "DateUtilities.h"

// Small text helpers shared by the whole application.
namespace StringUtilities {

// A new random UUID in the standard 36-character form, upper-case hexadecimal.
QString stringWithUUID();
// A 22-character identifier made from the 16 bytes of a new random UUID.
QString stringWithUniqueID();
// The same encoding applied to the given 16 bytes.
QString uniqueIDFromBytes(const unsigned char (&bytes)[16]);
// The temporary folder with a new UUID as last path component.
QString pathWithUniqueNameForTemporaryFile();
// "MM/dd/yyyy" text of a date; "" when there is none.
QString dateStringForSavingFromDate(const std::optional<DateUtilities::DateTime>& date);
// "&lt;" -> "<", then "&gt;" -> ">", then "&amp;" -> "&".
QString stringByReplacingEscapes(const QString& text);
QString stringByReplacingHTMLCharacter(const QString& text, char16_t character, char ascii);
// ":" becomes "-", and / ? < > \ * | ^ become blanks.
QString stringByStrippingIllegalFileNameCharacters(const QString& text);
// The stored date `text` shown with `pattern`; "" for an empty text or the no-date value.
QString dateStringForDisplayWithFormat(const QString& text, const QString& pattern);
QString dateStringForSavingFromFormat(const QString& text, const QString& pattern);
// Text between the first "<tag>" and the first "</tag>" that follows it (case-sensitive);
// "" when either is missing.
QString valueForTag(const QString& text, const QString& tag);
// The whole number the text begins with, after blanks and an optional sign ("12b" -> 12,
// "-3" -> -3, "" or "x" -> 0). A number too long to hold saturates at a trillion.
std::int64_t leadingInteger(const QString& text);
// Case-insensitive search for "<TAG>" and "</TAG>" from `start`; "" when either is missing.
QString getValueForTag(const QString& text, const QString& tag, qsizetype start);

} // namespace StringUtilities

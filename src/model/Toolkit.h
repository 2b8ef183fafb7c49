#pragma once

#include <QString>

#include <optional>

#include "DateUtilities.h"

// Stateless helper whose operations callers invoke on a fresh instance: Toolkit().op(...).
// Each subsystem defines its own operations in a source file of its own folder.
class Toolkit
{
public:
    // --- dates (model) ---
    // Stored text "yyyy-MM-dd HH:mm:ss" shown with a display pattern; "" for the no-date value
    // or a text that is not a stored date.
    QString convertDateString(const QString& storedText, const QString& displayPattern) const;
    // Display text back to the stored form: "0001-01-01 00:00:00" for "", nothing when the
    // text does not fit the pattern.
    std::optional<QString> convertDateStringForSaving(const QString& displayText, const QString& displayPattern) const;
    // The date of a "MM/dd/yyyy" text, or nothing.
    std::optional<DateUtilities::DateTime> dateFromString(const QString& text) const;
};

#include "Toolkit.h"

using namespace DateUtilities;

QString Toolkit::convertDateString(const QString& storedText, const QString& displayPattern) const
{
    if (storedText == QLatin1String(kNoDate))
        return QString(QLatin1String(""));
    const auto parsed = parse(storedText, QString::fromLatin1(kStoredFormat));
    if (!parsed)
        return QString(QLatin1String(""));
    return format(*parsed, displayPattern);
}

std::optional<QString> Toolkit::convertDateStringForSaving(const QString& displayText,
                                                           const QString& displayPattern) const
{
    if (displayText.isEmpty())
        return QString::fromLatin1(kNoDate);
    const auto parsed = parse(displayText, displayPattern);
    if (!parsed)
        return std::nullopt;
    return format(*parsed, QString::fromLatin1(kStoredFormat));
}

std::optional<DateTime> Toolkit::dateFromString(const QString& text) const
{
    return DateUtilities::dateFromString(text);
}

#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

// Dates travel as text in a few fixed patterns built from the tokens yyyy, MM, dd, HH, mm and
// ss with literal separators. Parsing and formatting here are independent of the locale, the
// calendar settings and the time zone: a stored "2013-03-10 02:30:00" means that wall-clock
// time whatever the machine's daylight-saving rules say.
namespace DateUtilities {

inline constexpr const char* kStoredFormat = "yyyy-MM-dd HH:mm:ss";
inline constexpr const char* kNoDate = "0001-01-01 00:00:00";
inline constexpr const char* kDisplayDateFormat = "MM/dd/yyyy";
inline constexpr const char* kDisplayDateTimeFormat = "MM/dd/yyyy HH:mm";

// A wall-clock date and time without a time zone.
struct DateTime {
    QDate date;
    QTime time{0, 0};
    bool operator==(const DateTime&) const = default;
    auto operator<=>(const DateTime& other) const
    {
        if (auto byDate = date.toJulianDay() <=> other.date.toJulianDay(); byDate != 0)
            return byDate;
        return time.msecsSinceStartOfDay() <=> other.time.msecsSinceStartOfDay();
    }
};

// Reads `text` exactly in `pattern`; nothing when it does not fit or names no real date/time.
std::optional<DateTime> parse(const QString& text, const QString& pattern);
QString format(const DateTime& value, const QString& pattern);

// The current wall-clock date and time of this machine.
DateTime now();

// Weekday of a date in the Gregorian calendar, 1 (Sunday) to 7 (Saturday).
int weekday(const QDate& date);
std::optional<DateTime> dateFromString(const QString& text);     // "MM/dd/yyyy"
std::optional<DateTime> timeFromString(const QString& text);     // "MM/dd/yyyy HH:mm:ss"
std::optional<DateTime> dateTimeFromTimeString(const QString& text); // "HH:mm:ss", on 2000-01-01
// The date with hour and minute taken from "H:M"; the date unchanged for an empty time text
// or a text without ":".
DateTime dateTimeFromDate(const DateTime& date, const QString& timeString);
// Calendar days from `from`'s day to `to`'s day, plus 1 (the same day answers 1).
qint64 daysToDate(const DateTime& from, const DateTime& to);
// The date at the start of its day.
DateTime justDateFromDate(const DateTime& value);

} // namespace DateUtilities

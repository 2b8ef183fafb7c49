#include "DateUtilities.h"

#include "StringUtilities.h"

#include <algorithm>

namespace DateUtilities {

namespace {

struct Fields {
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    bool hasDate = false;
};

// Length and target of a token at `at` of `pattern`, or 0 for a literal character.
int tokenAt(const QString& pattern, qsizetype at, int*& target, Fields& fields)
{
    static const struct {
        const char* token;
        int Fields::*field;
    } tokens[] = {{"yyyy", &Fields::year}, {"MM", &Fields::month},  {"dd", &Fields::day},
                  {"HH", &Fields::hour},   {"mm", &Fields::minute}, {"ss", &Fields::second}};
    for (const auto& candidate : tokens) {
        const QLatin1String token(candidate.token);
        if (pattern.mid(at, token.size()) == token) {
            target = &(fields.*candidate.field);
            return static_cast<int>(token.size());
        }
    }
    return 0;
}

} // namespace

std::optional<DateTime> parse(const QString& text, const QString& pattern)
{
    Fields fields;
    qsizetype position = 0;
    for (qsizetype at = 0; at < pattern.size();) {
        int* target = nullptr;
        const int width = tokenAt(pattern, at, target, fields);
        if (width == 0) {
            if (position >= text.size() || text.at(position) != pattern.at(at))
                return std::nullopt;
            ++position;
            ++at;
            continue;
        }
        if (position + width > text.size())
            return std::nullopt;
        int value = 0;
        for (int digit = 0; digit < width; ++digit) {
            const QChar c = text.at(position + digit);
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            value = value * 10 + c.digitValue();
        }
        *target = value;
        position += width;
        at += width;
    }
    if (position != text.size())
        return std::nullopt;
    const QDate date(fields.year, fields.month, fields.day);
    const QTime time(fields.hour, fields.minute, fields.second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return DateTime{date, time};
}

QString format(const DateTime& value, const QString& pattern)
{
    const Fields fields{value.date.year(), value.date.month(), value.date.day(),
                        value.time.hour(), value.time.minute(), value.time.second(), true};
    QString result;
    for (qsizetype at = 0; at < pattern.size();) {
        Fields scratch = fields;
        int* target = nullptr;
        const int width = tokenAt(pattern, at, target, scratch);
        if (width == 0) {
            result += pattern.at(at++);
            continue;
        }
        result += QStringLiteral("%1").arg(*target, width, 10, QLatin1Char('0'));
        at += width;
    }
    return result;
}

DateTime now()
{
    const QDateTime current = QDateTime::currentDateTime();
    const QTime time = current.time();
    return DateTime{current.date(), QTime(time.hour(), time.minute(), time.second())};
}

int weekday(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

std::optional<DateTime> dateFromString(const QString& text)
{
    return parse(text, QString::fromLatin1(kDisplayDateFormat));
}

std::optional<DateTime> timeFromString(const QString& text)
{
    return parse(text, QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

std::optional<DateTime> dateTimeFromTimeString(const QString& text)
{
    auto time = parse(text, QStringLiteral("HH:mm:ss"));
    if (time)
        time->date = QDate(2000, 1, 1);
    return time;
}

DateTime dateTimeFromDate(const DateTime& date, const QString& timeString)
{
    const qsizetype colon = timeString.indexOf(QLatin1Char(':'));
    if (timeString.isEmpty() || colon < 0)
        return date;
    // Anything outside a clock's range stays outside it (and so makes no time).
    auto clockPart = [](const QString& part) {
        return static_cast<int>(std::clamp<std::int64_t>(StringUtilities::leadingInteger(part), -1, 100));
    };
    const QTime time(clockPart(timeString.left(colon)), clockPart(timeString.mid(colon + 1)), 0);
    return DateTime{date.date, time.isValid() ? time : date.time};
}

qint64 daysToDate(const DateTime& from, const DateTime& to)
{
    return from.date.daysTo(to.date) + 1;
}

DateTime justDateFromDate(const DateTime& value)
{
    return DateTime{value.date, QTime(0, 0)};
}

} // namespace DateUtilities

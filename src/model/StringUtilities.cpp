#include "StringUtilities.h"

#include "Toolkit.h"

#include <QDir>
#include <QUuid>

#include <algorithm>

namespace StringUtilities {

QString stringWithUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString uniqueIDFromBytes(const unsigned char (&b)[16])
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789$_";
    QString result;
    result.reserve(22);
    for (int i = 0; i < 15; i += 3) {
        const unsigned x = b[i], y = b[i + 1], z = b[i + 2];
        result += QLatin1Char(alphabet[x >> 2]);
        result += QLatin1Char(alphabet[(x & 48) | (y >> 4)]);
        result += QLatin1Char(alphabet[(y & 60) | (z >> 6)]);
        result += QLatin1Char(alphabet[z & 63]);
    }
    result += QLatin1Char(alphabet[b[15] >> 2]);
    result += QLatin1Char(static_cast<char>('a' + (b[15] & 3)));
    return result;
}

QString stringWithUniqueID()
{
    const QByteArray raw = QUuid::createUuid().toRfc4122();
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(raw.at(i));
    return uniqueIDFromBytes(bytes);
}

QString pathWithUniqueNameForTemporaryFile()
{
    return QDir(QDir::tempPath()).filePath(stringWithUUID());
}

QString dateStringForSavingFromDate(const std::optional<DateUtilities::DateTime>& date)
{
    if (!date)
        return QString(QLatin1String(""));
    return DateUtilities::format(*date, QString::fromLatin1(DateUtilities::kDisplayDateFormat));
}

QString stringByReplacingEscapes(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("&lt;"), QLatin1String("<"));
    result.replace(QLatin1String("&gt;"), QLatin1String(">"));
    result.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return result;
}

QString stringByReplacingHTMLCharacter(const QString& text, char16_t character, char ascii)
{
    QString result = text;
    result.replace(QChar(character), QChar(QLatin1Char(ascii)));
    return result;
}

QString stringByStrippingIllegalFileNameCharacters(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char(':'), QLatin1Char('-'));
    for (const char c : {'/', '?', '<', '>', '\\', '*', '|', '^'})
        result.replace(QLatin1Char(c), QLatin1Char(' '));
    return result;
}

QString dateStringForDisplayWithFormat(const QString& text, const QString& pattern)
{
    if (text.isEmpty() || text == QLatin1String(DateUtilities::kNoDate))
        return QString(QLatin1String(""));
    return Toolkit().convertDateString(text.size() >= 20 ? text.left(19) : text, pattern);
}

QString dateStringForSavingFromFormat(const QString& text, const QString& pattern)
{
    return Toolkit().convertDateStringForSaving(text, pattern).value_or(QString());
}

QString valueForTag(const QString& text, const QString& tag)
{
    const QString opening = QStringLiteral("<%1>").arg(tag);
    const QString closing = QStringLiteral("</%1>").arg(tag);
    const qsizetype start = text.indexOf(opening);
    if (start < 0)
        return QString(QLatin1String(""));
    const qsizetype valueStart = start + opening.size();
    // Both tags are searched from the start: a closing tag met before the opening one has
    // ended leaves no value.
    const qsizetype end = text.indexOf(closing);
    if (end < valueStart)
        return QString(QLatin1String(""));
    return text.mid(valueStart, end - valueStart);
}

std::int64_t leadingInteger(const QString& text)
{
    constexpr std::int64_t kSaturated = 1'000'000'000'000;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i)
        value = std::min(kSaturated, value * 10 + (text.at(i).unicode() - '0'));
    return negative ? -value : value;
}

QString getValueForTag(const QString& text, const QString& tag, qsizetype start)
{
    const QString upper = tag.toUpper();
    const QString opening = QStringLiteral("<%1>").arg(upper);
    const QString closing = QStringLiteral("</%1>").arg(upper);
    const qsizetype begin = text.indexOf(opening, start, Qt::CaseInsensitive);
    if (begin < 0)
        return QString(QLatin1String(""));
    const qsizetype valueStart = begin + opening.size();
    const qsizetype end = text.indexOf(closing, valueStart, Qt::CaseInsensitive);
    if (end < 0)
        return QString(QLatin1String(""));
    return text.mid(valueStart, end - valueStart);
}

} // namespace StringUtilities

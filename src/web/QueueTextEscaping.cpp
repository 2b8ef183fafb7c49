#include "web/QueueTextEscaping.h"

namespace {

constexpr std::int32_t kLineBreakCode = 13;
constexpr qsizetype kCodeDigits = 5;

bool isPunctuation(int code)
{
    return (code >= 33 && code <= 47) || (code >= 58 && code <= 64) || (code >= 91 && code <= 96)
           || (code >= 123 && code <= 126);
}

bool travelsUnchanged(char16_t unit)
{
    return unit == u' ' || (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z')
           || (unit >= u'0' && unit <= u'9');
}

std::int32_t valueIn(const std::vector<ASCIICharacter>& table, const QString& text)
{
    for (const ASCIICharacter& entry : table) {
        if (entry.c == text)
            return entry.v;
    }
    return 0;
}

QString charIn(const std::vector<ASCIICharacter>& table, std::int32_t value)
{
    for (const ASCIICharacter& entry : table) {
        if (entry.v == value)
            return entry.c;
    }
    return {};
}

// The code written after a "%" at `position`, or -1 when the five characters there are not
// all digits or name no UTF-16 unit.
int codeAt(const QString& text, qsizetype position)
{
    if (text.size() - position - 1 < kCodeDigits)
        return -1;
    int code = 0;
    for (qsizetype i = position + 1; i <= position + kCodeDigits; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < u'0' || unit > u'9')
            return -1;
        code = code * 10 + (unit - u'0');
    }
    return code <= 0xFFFF ? code : -1;
}

} // namespace

ASCIIConversion::ASCIIConversion()
{
    const QString lineBreak(QLatin1Char('\n'));
    punctuation_.push_back({lineBreak, kLineBreakCode});
    asciiValues_.push_back({lineBreak, kLineBreakCode});
    for (int code = 32; code <= 126; ++code) {
        const ASCIICharacter entry{QString(QChar(code)), code};
        asciiValues_.push_back(entry);
        if (isPunctuation(code))
            punctuation_.push_back(entry);
    }
}

std::int32_t ASCIIConversion::valueForPunctuation(const QString& text) const { return valueIn(punctuation_, text); }
QString ASCIIConversion::charForPunctuation(std::int32_t value) const { return charIn(punctuation_, value); }
std::int32_t ASCIIConversion::valueForChar(const QString& text) const { return valueIn(asciiValues_, text); }
QString ASCIIConversion::charForValue(std::int32_t value) const { return charIn(asciiValues_, value); }

namespace QueueTextEscaping {

QString encode(const QString& text)
{
    const ASCIIConversion table;
    QString result;
    result.reserve(text.size() * 2);
    for (const QChar unit : text) {
        if (travelsUnchanged(unit.unicode())) {
            result.append(unit);
            continue;
        }
        std::int32_t code = table.valueForPunctuation(QString(unit));
        if (code == 0)
            code = unit.unicode();
        result.append(QStringLiteral("%%1").arg(code, kCodeDigits, 10, QLatin1Char('0')));
    }
    return result;
}

QString decode(const QString& text)
{
    const ASCIIConversion table;
    QString result;
    result.reserve(text.size());
    qsizetype position = 0;
    while (position < text.size()) {
        const QChar unit = text.at(position);
        const int code = unit == QLatin1Char('%') ? codeAt(text, position) : -1;
        if (code < 0) {
            result.append(unit);
            ++position;
            continue;
        }
        const QString punctuation = table.charForPunctuation(code);
        result.append(punctuation.isEmpty() ? QString(QChar(static_cast<char16_t>(code))) : punctuation);
        position += 1 + kCodeDigits;
    }
    return result;
}

} // namespace QueueTextEscaping

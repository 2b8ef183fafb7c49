#include "model/Toolkit.h"

#include "ReportText.h"

#include <QFont>

namespace {

bool isBreakCharacter(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char(':')
        || c == QLatin1Char('?') || c == QLatin1Char('.') || c == QLatin1Char('!');
}

// The longest prefix of `text` that fits, at least one character (never half of a surrogate
// pair): the cut of a leading run that holds no break.
qsizetype longestFittingPrefix(const QString& text, const Toolkit& toolkit, float height, float width,
                               const QFont& font, std::int64_t alignment)
{
    qsizetype fits = 0;
    qsizetype tooLong = text.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        if (toolkit.heightForText(text.left(middle), width, font, alignment) <= height)
            fits = middle;
        else
            tooLong = middle;
    }
    qsizetype length = qMax<qsizetype>(fits, 1);
    if (length < text.size() && text.at(length - 1).isHighSurrogate())
        ++length;
    return length;
}

} // namespace

float Toolkit::heightForText(const QString& text, float width, const QFont& font, std::int64_t alignment) const
{
    return ReportText::measure(text, width, font, ReportText::lineBreakForAlignment(alignment));
}

float Toolkit::heightForString(const QString& text, const QFont& font, float width) const
{
    return ReportText::measure(text, width, font, ReportText::LineBreak::Wrap);
}

std::int64_t Toolkit::splitText(const QString& text, float height, float width, const QFont& font,
                                std::int64_t alignment) const
{
    const auto fits = [&](qsizetype length) {
        return heightForText(text.left(length), width, font, alignment) <= height;
    };
    const float full = heightForText(text, width, font, alignment);
    // A proportional first guess keeps the growing to a few characters.
    const qsizetype guess = full > 0 ? qsizetype(height / full * float(text.size())) : 0;
    qsizetype length = qBound<qsizetype>(0, guess + 1, text.size());
    while (length < text.size() && fits(length))
        ++length;

    while (length > 0) {
        const QChar last = text.at(length - 1);
        if (last == QLatin1Char('(') || last == QLatin1Char('\n')) {
            --length;
            if (fits(length))
                return length;
            --length;
        } else if (isBreakCharacter(last)) {
            if (fits(length))
                return length;
            --length;
        } else {
            --length;
        }
    }
    // Nothing to break at: a text that starts with "(" or a line feed loses them at the break,
    // anything else is cut inside its first word.
    if (text.isEmpty() || text.front() == QLatin1Char('(') || text.front() == QLatin1Char('\n'))
        return 0;
    return longestFittingPrefix(text, *this, height, width, font, alignment);
}

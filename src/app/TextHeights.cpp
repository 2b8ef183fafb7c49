#include "TextHeights.h"

#include "BaseViewController.h"

#include <QChar>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Texts kept at most: past this many (texts edited and gone, at various font sizes), all are
// forgotten and measured again as they are asked for.
constexpr qsizetype kMostTexts = 200000;

// A line's last glyph may reach a little past its advance (a slanted f, a ligature): measured
// this much wider than its widest line, a text still breaks as it did.
constexpr int kOverhang = 1;

// A width no line of a sample of unwrapped lines reaches.
constexpr float kUnwrappedWidth = 1e6f;

// The lines the text has before any is wrapped: one, and one more after each line break.
int forcedLines(const QString& text)
{
    int lines = 1;
    for (const QChar c : text)
        if (c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            ++lines;
    return lines;
}

} // namespace

float TextHeights::height(const QString& text, const QFont& font, int width)
{
    if (!hasFont_ || !(font == font_) || texts_.size() > kMostTexts) {
        texts_.clear();
        unwrapped_.clear();
        advances_.clear();
        font_ = font;
        hasFont_ = true;
    }
    width = std::max(0, width);
    Spans& kept = texts_[text];
    for (const Span& span : kept.spans)
        if (span.narrowest <= width && width <= span.widest)
            return span.height;
    Span& span = kept.spans[kept.next];
    kept.next = static_cast<std::uint8_t>((kept.next + 1) % kept.spans.size());
    if (const std::optional<double> widest = widestLineAtMost(text); widest && *widest + kOverhang <= width) {
        span.height = unwrappedHeight(forcedLines(text));
        span.narrowest = static_cast<int>(std::ceil(*widest)) + kOverhang;
        span.widest = std::numeric_limits<int>::max();
        return span.height;
    }
    ++measured_;
    const BaseViewController::StringFit fit = BaseViewController::fitString(text, font, static_cast<float>(width));
    span.height = fit.height;
    span.narrowest = std::min(width, fit.widestLine + kOverhang);
    span.widest = fit.height == unwrappedHeight(forcedLines(text)) ? std::numeric_limits<int>::max() : width;
    return span.height;
}

std::optional<double> TextHeights::widestLineAtMost(const QString& text)
{
    if (advances_.empty()) {
        const QFontMetricsF metrics(font_);
        advances_.assign(256, -1);
        for (char16_t letter = 0x20; letter < 0x100; ++letter)
            if (letter < 0x7f || (letter >= 0xa0 && letter != 0xad))
                advances_[letter] = metrics.horizontalAdvance(QChar(letter));
    }
    if (text.isEmpty())
        return std::nullopt;
    double widest = 0;
    double line = 0;
    for (const QChar c : text) {
        const char16_t letter = c.unicode();
        if (letter == u'\n') {
            widest = std::max(widest, line);
            line = 0;
        } else if (letter < advances_.size() && advances_[letter] >= 0) {
            line += advances_[letter];
        } else {
            return std::nullopt;
        }
    }
    // Kerning and joined letters make a laid-out line a little narrower than its letters' own
    // advances, hardly ever wider: with this room to spare it is never wider.
    return std::max(widest, line) * 1.02 + 3;
}

float TextHeights::unwrappedHeight(int lines)
{
    const auto at = static_cast<std::size_t>(lines);
    if (at >= unwrapped_.size())
        unwrapped_.resize(at + 1, -1);
    if (unwrapped_[at] < 0) {
        QString sample(QLatin1Char('X'));
        for (int line = 1; line < lines; ++line)
            sample += QLatin1String("\nX");
        unwrapped_[at] = BaseViewController::heightForString(sample, font_, kUnwrappedWidth);
    }
    return unwrapped_[at];
}

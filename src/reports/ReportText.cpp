#include "ReportText.h"

#include "platform/ScreenplayFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QLoggingCategory>
#include <QPainter>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

#include <limits>

Q_LOGGING_CATEGORY(lcReportText, "vantora.reports.text")

namespace ReportText {

namespace {

QFont makeFont(const QString& family, int points, bool bold)
{
    QFont font(family);
    font.setPixelSize(points);
    font.setBold(bold);
    // The same advances on screen, in measuring and in PDF files.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

// The sans-serif face joins "ff", "fi" and "fl" into single ligature glyphs, which a PDF reader
// then gives back as one symbol: a search for "coffee" fails. Qt sets text without ligatures
// once it has letter spacing, so the reports' sans-serif text takes the least spacing Qt keeps
// (a 64th of a point a letter): every letter is its own glyph, kerning stays.
QFont withoutLigatures(QFont font)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0 / 64);
    return font;
}

// Warns once when a pinned family is not installed: reports then use a substitute and their
// line breaks may differ from machine to machine.
void checkFamily(const QString& family)
{
    static QStringList checked;
    if (checked.contains(family))
        return;
    checked.append(family);
    if (!QFontDatabase::families().contains(family))
        qCWarning(lcReportText) << "The report font" << family << "is not installed; a substitute is used.";
}

QTextOption optionFor(LineBreak lineBreak)
{
    QTextOption option;
    option.setWrapMode(lineBreak == LineBreak::Wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                                    : QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    return option;
}

// Lays one paragraph out in lines from y = 0; answers its height.
float layParagraph(QTextLayout& layout, float width, LineBreak lineBreak)
{
    layout.setTextOption(optionFor(lineBreak));
    layout.setCacheEnabled(true);
    float y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        if (lineBreak == LineBreak::Wrap)
            line.setLineWidth(qMax(width, 1.0f));
        else
            line.setLineWidth(std::numeric_limits<float>::max() / 4);
        line.setPosition(QPointF(0, y));
        y += float(line.height());
    }
    layout.endLayout();
    return y;
}

} // namespace

QString systemFamily()
{
    return QStringLiteral("DejaVu Sans");
}

QString scriptFamily()
{
    return ScreenplayFont::family();
}

QFont systemFont(int points)
{
    checkFamily(systemFamily());
    return withoutLigatures(makeFont(systemFamily(), points, false));
}

QFont boldSystemFont(int points)
{
    checkFamily(systemFamily());
    return withoutLigatures(makeFont(systemFamily(), points, true));
}

QFont scriptFont(int points)
{
    checkFamily(scriptFamily());
    return makeFont(scriptFamily(), points, false);
}

LineBreak lineBreakForAlignment(std::int64_t alignment)
{
    return alignment == 1 || alignment == 2 ? LineBreak::Truncate : LineBreak::Wrap;
}

float measure(const QString& text, float width, const QFont& font, LineBreak lineBreak)
{
    if (text.isEmpty())
        return 0;
    float height = 0;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        height += layParagraph(layout, width, lineBreak);
    }
    return height;
}

qsizetype fittingLength(const QString& text, float height, float width, const QFont& font, LineBreak lineBreak)
{
    float y = 0;
    qsizetype offset = 0;
    bool first = true;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layParagraph(layout, width, lineBreak);
        for (int index = 0; index < layout.lineCount(); ++index) {
            const QTextLine line = layout.lineAt(index);
            if (!first && y + float(line.height()) > height + 0.01f)
                return index == 0 ? offset - 1 : offset + line.textStart();
            if (first && y + float(line.height()) > height + 0.01f)
                return offset + line.textStart() + line.textLength();
            first = false;
            y += float(line.height());
        }
        offset += paragraph.size() + 1;
    }
    return text.size();
}

QString firstLines(const QString& text, int lines, float width, const QFont& font)
{
    const float room = float(lines) * singleLineHeight(width, font) + 0.01f;
    if (measure(text, width, font, LineBreak::Wrap) <= room)
        return text;
    const QString ellipsis(QChar(0x2026));
    // The lines that fit, shortened word by word (letter by letter in a text without spaces)
    // until the ellipsis fits after them on the last one.
    QString shown = text.left(fittingLength(text, room, width, font, LineBreak::Wrap));
    while (!shown.isEmpty()) {
        while (!shown.isEmpty() && shown.back().isSpace())
            shown.chop(1);
        if (measure(shown + ellipsis, width, font, LineBreak::Wrap) <= room)
            break;
        qsizetype end = shown.size();
        while (end > 0 && !shown.at(end - 1).isSpace())
            --end;
        if (end == 0)
            end = shown.size() - (shown.size() > 1 && shown.back().isLowSurrogate() ? 2 : 1);
        shown.truncate(end);
    }
    return shown + ellipsis;
}

CardHeading cardHeading(const QString& heading, float room, float width, const QFont& font)
{
    const qsizetype cut = fittingLength(heading, room, width, font, LineBreak::Wrap);
    if (cut >= heading.size())
        return {heading, QString()};
    // The break's line feeds and spaces go with it.
    return {heading.left(cut).trimmed(), heading.mid(cut).trimmed()};
}

float singleLineHeight(float width, const QFont& font)
{
    static QHash<QPair<QString, float>, float> heights;
    const QPair<QString, float> key(font.key(), width);
    const auto known = heights.constFind(key);
    if (known != heights.cend())
        return *known;
    const float height = measure(QStringLiteral("Bob"), width, font, LineBreak::Wrap);
    heights.insert(key, height);
    return height;
}

void draw(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, std::int64_t alignment,
          LineBreak lineBreak)
{
    if (text.isEmpty())
        return;
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(font);
    const float width = float(box.width());
    const QFontMetricsF metrics(font);
    float top = 0;
    bool first = true;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        const QString shown =
            lineBreak == LineBreak::Truncate ? metrics.elidedText(paragraph, Qt::ElideRight, width) : paragraph;
        QTextLayout layout(shown, font);
        layParagraph(layout, width, lineBreak);
        for (int index = 0; index < layout.lineCount(); ++index) {
            const QTextLine line = layout.lineAt(index);
            const float lineHeight = float(line.height());
            // A fraction of a point of rounding never costs a line.
            if (!first && top + lineHeight > float(box.height()) + 0.01f) {
                painter.restore();
                return;
            }
            first = false;
            float x = 0;
            if (alignment == 1)
                x = width - float(line.naturalTextWidth());
            else if (alignment == 2)
                x = (width - float(line.naturalTextWidth())) / 2;
            line.draw(&painter, box.topLeft() + QPointF(x, top - line.y()));
            top += lineHeight;
        }
    }
    painter.restore();
}

} // namespace ReportText

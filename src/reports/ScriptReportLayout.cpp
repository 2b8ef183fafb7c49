#include "ScriptReportLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace ScriptReportLayout {

namespace {

const QString kMore = QStringLiteral("(MORE)");
const QString kContinued = QStringLiteral("(CONT'D)");

bool partOfSpeech(Role role)
{
    return role == Role::Parenthetical || role == Role::Dialogue;
}

// The speaker of a cue, without a "(CONT'D)" it may already carry.
QString speakerOf(const QString& cue)
{
    QString name = cue.simplified();
    if (name.endsWith(kContinued, Qt::CaseInsensitive))
        name = name.left(name.size() - kContinued.size()).trimmed();
    return name;
}

// The fewest rows paragraph `index` needs on the page it starts: a heading with the next two
// lines of the scene, a cue with its parenthetical and first line of dialogue, a parenthetical
// with a line of dialogue, two lines of a longer action or speech, every line of the rest.
int minimumRows(const std::vector<Paragraph>& paragraphs, const std::vector<QStringList>& wrapped,
                std::size_t index)
{
    const int lines = int(wrapped[index].size());
    const bool hasNext = index + 1 < paragraphs.size();
    const Role next = hasNext ? paragraphs[index + 1].role : Role::Other;
    switch (paragraphs[index].role) {
    case Role::Heading:
        if (!hasNext || next == Role::Heading)
            return lines;
        return lines + (paragraphs[index].blankAfter ? 1 : 0) + minimumRows(paragraphs, wrapped, index + 1);
    case Role::Character:
    case Role::Parenthetical:
        return partOfSpeech(next) ? lines + minimumRows(paragraphs, wrapped, index + 1) : lines;
    case Role::Action:
    case Role::Dialogue:
        return std::min(lines, 2);
    case Role::Transition:
    case Role::Other:
        break;
    }
    return lines;
}

} // namespace

Role roleForElementType(const QString& elementType)
{
    QString type = elementType;
    if (type.startsWith(QLatin1String("DDL-")) || type.startsWith(QLatin1String("DDR-")))
        type = type.mid(4);
    if (type == QLatin1String("Scene Heading"))
        return Role::Heading;
    if (type == QLatin1String("Action"))
        return Role::Action;
    if (type == QLatin1String("Character"))
        return Role::Character;
    if (type == QLatin1String("Parenthetical"))
        return Role::Parenthetical;
    if (type == QLatin1String("Dialogue"))
        return Role::Dialogue;
    if (type == QLatin1String("Transition"))
        return Role::Transition;
    return Role::Other;
}

QStringList wrap(const QString& text, float width, const QFont& font)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        bool any = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(width, 1.0f));
            QString shown = paragraph.mid(line.textStart(), line.textLength());
            while (!shown.isEmpty() && shown.back().isSpace())
                shown.chop(1);
            lines.append(shown);
            any = true;
        }
        layout.endLayout();
        if (!any)
            lines.append(QString());
    }
    return lines;
}

Pages paginate(const std::vector<Paragraph>& paragraphs, int rowsPerPage, const QFont& font)
{
    const int rows = std::max(rowsPerPage, 3);
    std::vector<QStringList> wrapped;
    wrapped.reserve(paragraphs.size());
    for (const Paragraph& paragraph : paragraphs)
        wrapped.push_back(wrap(paragraph.text, paragraph.width, font));

    Pages pages;
    std::int64_t page = 0;
    int row = 0;
    int owed = 0; // blank lines owed to the paragraph before
    QString speaker;
    float cueLeft = 0;
    int speechEnd = 0; // the row under the speech's last line on this page

    const auto put = [&](float left, const QString& text) {
        pages.lines.push_back({page, row, left, text});
        ++row;
    };
    const auto newPage = [&] {
        ++page;
        row = 0;
    };
    // The speech goes on overleaf: "(MORE)" under its last line, the cue again with "(CONT'D)".
    const auto breakSpeech = [&](int moreRow) {
        if (moreRow < rows)
            pages.lines.push_back({page, moreRow, cueLeft, kMore});
        newPage();
        put(cueLeft, speaker + QLatin1Char(' ') + kContinued);
    };

    for (std::size_t index = 0; index < paragraphs.size(); ++index) {
        const Paragraph& paragraph = paragraphs[index];
        const QStringList& lines = wrapped[index];
        const bool inSpeech = partOfSpeech(paragraph.role) && !speaker.isEmpty();
        if (!inSpeech)
            speaker.clear();
        int gap = row == 0 ? 0 : owed + (paragraph.role == Role::Heading ? 1 : 0);
        if (row > 0 && row + gap + minimumRows(paragraphs, wrapped, index) > rows) {
            if (inSpeech)
                breakSpeech(speechEnd);
            else
                newPage();
            gap = 0;
        }
        row += gap;
        if (paragraph.role == Role::Character) {
            speaker = speakerOf(paragraph.text);
            cueLeft = paragraph.left;
        }
        const bool speechLines = inSpeech || paragraph.role == Role::Character;
        for (qsizetype line = 0; line < lines.size(); ++line) {
            const int left = int(lines.size() - line);
            if (inSpeech && row >= rows - 1 && left > rows - row && row > 0)
                breakSpeech(row);
            else if (row >= rows)
                newPage();
            put(paragraph.left, lines[line]);
        }
        if (speechLines)
            speechEnd = row;
        owed = paragraph.blankAfter ? 1 : 0;
        pages.pageCount = page + 1;
    }
    return pages;
}

} // namespace ScriptReportLayout

ScriptPageView::ScriptPageView(const QRectF& frame, QFont font, std::vector<ScriptReportLayout::Line> lines)
    : ReportElement(frame)
    , font_(std::move(font))
    , lines_(std::move(lines))
{
    // A typewriter face puts four fifths of its em above the baseline: each row holds the em of
    // its line.
    baseline_ = kEmAscent * ScriptReportLayout::kLinePitch;
}

float ScriptPageView::gridOffset(const QFont& font)
{
    // Some faces declare an ascent taller than their em (room for accents over capitals); the
    // grid starts that much lower, so that no line reaches above the page's body.
    const float ascent = float(QFontMetricsF(font).ascent());
    return std::max(0.0f, std::ceil(ascent - kEmAscent * ScriptReportLayout::kLinePitch));
}

void ScriptPageView::draw(QPainter& painter, const QRectF&) const
{
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(font_);
    for (const ScriptReportLayout::Line& line : lines_)
        painter.drawText(QPointF(line.left, float(line.row) * ScriptReportLayout::kLinePitch + baseline_),
                         line.text);
    painter.restore();
}

#include "StoryReport.h"

#include "BeatReportView.h"
#include "BlockOfTextView.h"
#include "ReportText.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

StoryReport::StoryReport(const Screenplaydb& story, const QString& title, QSizeF paper,
                         const std::function<void(ReportInfo&)>& prepare)
    : story_(story)
    , title_(title)
    , paper_(paper)
    , info_(std::make_unique<ReportInfo>())
{
    info_->reportTitle = title;
    if (prepare)
        prepare(*info_);
    view_ = std::make_unique<BaseReportView>(story_, paper_, *info_);
    y_ = float(info_->topMargin + info_->reportHeaderHeight);
}

float StoryReport::clearOfBands(float y) const
{
    const PageGeometry page(paper_, *info_);
    const std::int64_t p = page.pageOf(y);
    if (y < page.bodyTop(p))
        return page.bodyTop(p);
    if (y >= page.limit(p))
        return page.bodyTop(p + 1);
    return y;
}

BlockOfTextView& StoryReport::addText(const QString& text, const QFont& font, bool drawLineAfter)
{
    return place(std::make_unique<BlockOfTextView>(paper_, *info_, text, font, clearOfBands(y_), drawLineAfter),
                 true);
}

BlockOfTextView& StoryReport::textAt(float startY, const QString& text, const QFont& font, bool drawLineAfter)
{
    BlockOfTextView& block = place(
        std::make_unique<BlockOfTextView>(paper_, *info_, text, font, clearOfBands(startY), drawLineAfter), false);
    lastBottom_ = block.bottom();
    return block;
}

void StoryReport::setLayout(std::int64_t alignment, std::int64_t indent, std::int64_t keep)
{
    info_->textAlignment = alignment;
    info_->leftIndent = indent;
    info_->minLineSpace = keep;
}

BeatReportView& StoryReport::addBeat(const Beatdb& beat)
{
    return place(std::make_unique<BeatReportView>(story_, paper_, *info_, beat, clearOfBands(y_)), true);
}

std::int64_t StoryReport::valueIndent(const QString& label, const QFont& font, std::int64_t labelIndent,
                                      std::int64_t indent)
{
    const double width = QFontMetricsF(font).horizontalAdvance(label + QLatin1Char(' '));
    return std::max(indent, labelIndent + std::int64_t(std::ceil(width)));
}

void StoryReport::addRule(std::int64_t indent)
{
    const float left = float(info_->leftMargin + indent);
    const float width = float(paper_.width()) - float(info_->leftMargin + info_->rightMargin + indent);
    // The rule is drawn 2 points above the element's foot: 4 below the line above it.
    place(std::make_unique<SubBlockOfTextView>(QRectF(left, clearOfBands(y_), width, kRuleGap), QString(),
                                               ReportText::systemFont(10), 0, true),
          true);
}

void StoryReport::advanceTo(float bottom)
{
    y_ = bottom;
    lastBottom_ = bottom;
}

void StoryReport::keepRoom(float height)
{
    const PageGeometry page(paper_, *info_);
    const std::int64_t p = page.pageOf(y_);
    if (y_ + height > page.limit(p))
        y_ = page.bodyTop(p + 1);
}

void StoryReport::placeBoxes(float top, float bottom, const QColor& colour)
{
    const PageGeometry page(paper_, *info_);
    const float left = float(info_->leftMargin);
    for (std::int64_t p = page.pageOf(top); p <= page.pageOf(bottom); ++p) {
        const float from = p == page.pageOf(top) ? top : page.bodyTop(p) - 3;
        const float to = std::min(bottom, page.limit(p) + 2);
        if (to > from)
            view_->addBelow(
                std::make_unique<NoteReportBackgound>(QRectF(left, from, page.ruleWidth(), to - from), colour));
    }
}

void StoryReport::finish()
{
    view_->setPageCount(lastBottom_ ? view_->pageCountForBottom(*lastBottom_) : 1);
}

#include "StoryReport.h"

#include "BeatReportView.h"
#include "BlockOfTextView.h"

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

BlockOfTextView& StoryReport::addText(const QString& text, const QFont& font, bool drawLineAfter)
{
    return place(std::make_unique<BlockOfTextView>(paper_, *info_, text, font, y_, drawLineAfter), true);
}

BeatReportView& StoryReport::addBeat(const Beatdb& beat)
{
    return place(std::make_unique<BeatReportView>(story_, paper_, *info_, beat, y_), true);
}

void StoryReport::advanceTo(float bottom)
{
    y_ = bottom;
    lastBottom_ = bottom;
}

void StoryReport::finish()
{
    view_->setPageCount(lastBottom_ ? view_->pageCountForBottom(*lastBottom_) : 1);
}

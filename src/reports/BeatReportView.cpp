#include "BeatReportView.h"

#include "BlockOfTextView.h"
#include "ReportText.h"
#include "model/Beatdb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"

namespace {

// The description's width: the paper less the margins and the beat's own indent of 15.
float beatWidth(QSizeF paper, const ReportInfo& info)
{
    return float(paper.width()) - float(info.leftMargin + info.rightMargin) - 15;
}

} // namespace

BeatReportView::BeatReportView(const Screenplaydb& story, QSizeF paperSize, const ReportInfo& builderInfo,
                               const Beatdb& beat, float startY)
    : story_(story)
    , beat_(beat)
    , reportInfo_(builderInfo)
    , paperSize_(paperSize)
{
    const Toolkit toolkit;
    const QFont font = ReportText::systemFont(10);
    const PageGeometry page(paperSize_, reportInfo_);
    const float bw = beatWidth(paperSize_, reportInfo_);
    const float left = float(reportInfo_.leftMargin) + 15;
    float y = startY;
    const QString description = beat_.description();

    const float textHeight = toolkit.heightForText(description, bw, font, reportInfo_.textAlignment);
    beatHeight_ = qMax(textHeight + kLabelHeight + 10, kMinimumHeight);
    firstPartOfBeat_ = description;
    std::int64_t p = page.pageOf(y);
    // A description is cut only where more than 42 points are left for it under the label. With
    // less, the label does not stay alone at the page's foot: the whole beat starts on the next
    // page.
    const auto roomUnderLabel = [&] { return page.limit(p) - (y + kLabelHeight + 10); };
    if (!description.isEmpty() && y > page.bodyTop(p) && y + beatHeight_ > page.limit(p)
        && roomUnderLabel() <= kMinimumHeight) {
        y = page.bodyTop(p + 1);
        p = page.pageOf(y);
    }
    const float lim = page.limit(p);
    if (y + beatHeight_ > lim) {
        beatHeight_ = lim - y;
        const float space = roomUnderLabel();
        QString rest;
        if (space > kMinimumHeight) {
            const qsizetype cut = toolkit.splitText(description, space, bw, font, 0);
            firstPartOfBeat_ = description.left(cut);
            rest = restAfterBreak(description, cut, false);
        } else {
            firstPartOfBeat_.clear();
            rest = description;
        }
        if (!rest.isEmpty()) {
            const Continuation continuation{rest, y, p, left, bw, font, reportInfo_.textAlignment, false};
            beatHeight_ = continueOnFollowingPages(*this, continuation, page, beatHeight_) + 10;
        }
    }
    setFrame(QRectF(0, y, paperSize_.width(), beatHeight_));
}

QString BeatReportView::label() const
{
    return story_.boardSections().beatLabelForBeat(beat_.beatNumber());
}

void BeatReportView::draw(QPainter& painter, const QRectF&) const
{
    const float bw = beatWidth(paperSize_, reportInfo_);
    const float left = float(reportInfo_.leftMargin) + 15;
    const QFont font = ReportText::systemFont(10);
    ReportText::draw(painter, QRectF(left, 0, bw, kLabelHeight), label(), ReportText::boldSystemFont(10), 0,
                     ReportText::LineBreak::Wrap);
    const float height =
        qMax(Toolkit().heightForText(firstPartOfBeat_, bw, font, reportInfo_.textAlignment) + 10, 26.0f);
    ReportText::draw(painter, QRectF(left, kLabelHeight, bw, height), firstPartOfBeat_, font, 0,
                     ReportText::LineBreak::Wrap);
}

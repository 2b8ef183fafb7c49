#include "BlockOfTextView.h"

#include "model/Toolkit.h"

#include <QPainter>

QString restAfterBreak(const QString& text, qsizetype cut, bool dropLineFeeds)
{
    qsizetype start = qMin(cut, text.size());
    // The line feed at the cut is the break itself.
    if (start < text.size() && text.at(start) == QLatin1Char('\n'))
        ++start;
    while (dropLineFeeds && start < text.size() && text.at(start) == QLatin1Char('\n'))
        ++start;
    return text.mid(start);
}

float continueOnFollowingPages(ReportElement& block, Continuation continuation, const PageGeometry& page,
                                 float height)
{
    const Toolkit toolkit;
    QString& rest = continuation.rest;
    std::int64_t p = continuation.startPage;
    while (!rest.isEmpty()) {
        const float h = toolkit.heightForText(rest, continuation.width, continuation.font, continuation.alignment);
        height += page.gap();
        ++p;
        const float lim = page.limit(p);
        const float top = continuation.startY + height;
        if (top + h > lim) {
            const qsizetype cut = toolkit.splitText(rest, lim - top, continuation.width, continuation.font, 0);
            // The piece's box is H - B - FH high, more than a page body; its text, split to fit, stops
            // at the body's bottom.
            block.add(std::make_unique<SubBlockOfTextView>(
                QRectF(continuation.left, height, continuation.width, page.limit(0)), rest.left(cut),
                continuation.font));
            height += page.body();
            rest = restAfterBreak(rest, cut, continuation.dropLineFeeds);
        } else {
            block.add(std::make_unique<SubBlockOfTextView>(QRectF(continuation.left, height, continuation.width, h),
                                                           rest, continuation.font));
            height += h;
            rest.clear();
        }
    }
    return height;
}

SubBlockOfTextView::SubBlockOfTextView(const QRectF& frame, QString text, QFont font, std::int64_t textAlignment,
                                       bool drawLineAfter, ReportText::LineBreak lineBreak)
    : ReportElement(frame)
    , text_(std::move(text))
    , font_(std::move(font))
    , textAlignment_(textAlignment)
    , drawLineAfter_(drawLineAfter)
    , lineBreak_(lineBreak)
{
}

void SubBlockOfTextView::draw(QPainter& painter, const QRectF&) const
{
    const QRectF box(0, 0, frame().width(), frame().height());
    ReportText::draw(painter, box, text_, font_, textAlignment_, lineBreak_);
    if (drawLineAfter_)
        drawHorizontalLine(painter, 0, float(frame().height()) - 2, float(frame().width()));
}

BlockOfTextView::BlockOfTextView(QSizeF paperSize, const ReportInfo& builderInfo, const QString& text, QFont font,
                                 float startY, bool drawLineAfter)
    : paperSize_(paperSize)
    , reportInfo_(builderInfo)
    , firstPartOfText_(text)
    , font_(std::move(font))
    , drawLineAfter_(drawLineAfter)
{
    const Toolkit toolkit;
    const PageGeometry page(paperSize_, reportInfo_);
    const float tw = page.textWidth();
    const std::int64_t alignment = reportInfo_.textAlignment;
    float y = startY;

    totalTextHeight_ = toolkit.heightForText(text, tw, font_, alignment);
    firstPartHeight_ = totalTextHeight_;
    singleLineHeight_ = ReportText::singleLineHeight(tw, font_);
    totalTextHeight_ = qMax(totalTextHeight_, singleLineHeight_);

    std::int64_t p = page.pageOf(y);
    float lim = page.limit(p);
    if (reportInfo_.minLineSpace >= 2 && y + singleLineHeight_ * float(reportInfo_.minLineSpace) > lim) {
        y = page.bodyTop(p + 1);
        p = page.pageOf(y);
        lim = page.limit(p);
    }

    if (y + totalTextHeight_ > lim) {
        const float space = lim - y;
        totalTextHeight_ = space;
        QString rest;
        if (space <= singleLineHeight_) {
            firstPartOfText_.clear();
            firstPartHeight_ = 0;
            rest = text;
        } else {
            const qsizetype cut = toolkit.splitText(text, space, tw, font_, 0);
            firstPartOfText_ = text.left(cut);
            firstPartHeight_ = toolkit.heightForText(firstPartOfText_, tw, font_, alignment);
            rest = restAfterBreak(text, cut);
        }
        totalTextHeight_ = continueOnFollowingPages(*this, {rest, y, p, page.textLeft(), tw, font_, alignment, true},
                                                    page, totalTextHeight_);
    }
    if (drawLineAfter_)
        totalTextHeight_ += 5;
    setFrame(QRectF(0, y, paperSize_.width(), totalTextHeight_));
}

void BlockOfTextView::draw(QPainter& painter, const QRectF&) const
{
    const PageGeometry page(paperSize_, reportInfo_);
    const float tw = page.textWidth();
    const std::int64_t alignment = reportInfo_.textAlignment;
    const float height = qMax(singleLineHeight_, firstPartHeight_);
    ReportText::draw(painter, QRectF(page.textLeft(), 0, tw, height), firstPartOfText_, font_, alignment,
                     ReportText::lineBreakForAlignment(alignment));
    if (drawLineAfter_)
        drawHorizontalLine(painter, float(reportInfo_.leftMargin), float(frame().height()), page.ruleWidth());
}

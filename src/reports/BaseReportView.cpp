#include "BaseReportView.h"

#include "ReportText.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "platform/Platform.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

namespace {

// The logo, drawn at the same size on every page.
const QImage& logo()
{
    static const QImage image(QStringLiteral(":/images/VantoraIcon.png"));
    return image;
}

} // namespace

BaseReportView::BaseReportView(const Screenplaydb& story, QSizeF paperSize, ReportInfo& builderInfo)
    : PagedReportView(paperSize)
    , story_(story)
    , reportInfo_(builderInfo)
{
    reportInfo_.reportHeaderHeight = 0;
    reportInfo_.reportFooterHeight = 0;
    builderInfo.reportFooterHeight = 20;
    float measured = 0;
    if (builderInfo.includeLoglineInHeader) {
        const QFont font = ReportText::systemFont(10);
        loglineShown_ = ReportText::firstLines(currentLoglineText(), kLoglineLines, contentWidth(), font);
        measured = Toolkit().heightForText(loglineShown_, contentWidth(), font, reportInfo_.textAlignment);
    }
    loglineHeight_ = builderInfo.includeLoglineInHeader ? measured + 10 : 0;
    builderInfo.reportHeaderHeight = headerHeightForLogline(builderInfo.includeLoglineInHeader, measured);
}

std::int64_t BaseReportView::headerHeightForLogline(bool included, float measured)
{
    const double loglineHeight = included ? double(measured) + 10 : 0;
    return std::int64_t(loglineHeight + 58 + 6);
}

QString BaseReportView::currentLoglineText() const
{
    const Loglinedb* logline = story_.currentLogline();
    return logline ? logline->logline() : QString();
}

float BaseReportView::base(std::int64_t page) const
{
    return float(page) * float(paperSize().height()) + float(reportInfo_.topMargin);
}

float BaseReportView::contentWidth() const
{
    return float(paperSize().width()) - float(reportInfo_.leftMargin + reportInfo_.rightMargin);
}

QRectF BaseReportView::centredRow(std::int64_t page, float top, float height, float inset) const
{
    // The same inset on both sides keeps the text centred on the page.
    return QRectF(double(reportInfo_.leftMargin) + double(inset), double(base(page) + top),
                  double(qMax(contentWidth() - 2 * inset, 1.0f)), double(height));
}

QRectF BaseReportView::rectForScreenPlayTitle(std::int64_t page) const
{
    // The title's room: the rest of its row after the logo.
    const double left = rectForLogo(page).right() + 6;
    return QRectF(left, double(base(page)), qMax(paperSize().width() - double(reportInfo_.rightMargin) - left, 1.0),
                  20);
}

QRectF BaseReportView::rectForReportPageNumber(std::int64_t page) const
{
    const double y = double(page + 1) * paperSize().height() - double(reportInfo_.bottomMargin) - 18;
    return QRectF(reportInfo_.leftMargin, y, contentWidth(), 18);
}

// The report title and the genre stand between the logo and the date.
QRectF BaseReportView::rectForReportTitle(std::int64_t page) const
{
    return centredRow(page, 20, 20, kDateColumn);
}

QRectF BaseReportView::rectForGenre(std::int64_t page) const
{
    return centredRow(page, 40, 18, kDateColumn);
}

QRectF BaseReportView::rectForDateLabel(std::int64_t page) const
{
    return QRectF(paperSize().width() - double(reportInfo_.leftMargin) - double(kDateColumn), base(page) + 25,
                  double(dateLabelWidth()), 20);
}

QRectF BaseReportView::rectForReportDate(std::int64_t page) const
{
    const QRectF label = rectForDateLabel(page);
    return QRectF(label.right(), label.top(), paperSize().width() - double(reportInfo_.rightMargin) - label.right(),
                  20);
}

QString BaseReportView::dateLabel()
{
    return QStringLiteral("Date: ");
}

float BaseReportView::dateLabelWidth()
{
    return float(QFontMetricsF(ReportText::boldSystemFont(10)).horizontalAdvance(dateLabel()));
}

QRectF BaseReportView::rectForLogo(std::int64_t page) const
{
    return QRectF(reportInfo_.leftMargin, base(page) - 10, 64, 64);
}

QRectF BaseReportView::rectForLogline(std::int64_t page) const
{
    return QRectF(reportInfo_.leftMargin, base(page) + 63, contentWidth(), loglineHeight_);
}

QString BaseReportView::pageNumberText(std::int64_t page) const
{
    return QStringLiteral("Page %1 of %2").arg(page + 1).arg(pageCount());
}

void BaseReportView::addHeaderForPage(QPainter& painter, std::int64_t page) const
{
    using ReportText::LineBreak;
    const auto centred = [&](const QRectF& box, const QString& text, const QFont& font) {
        ReportText::draw(painter, box, text, font, 2, LineBreak::Truncate);
    };
    const auto plain = [&](const QRectF& box, const QString& text, const QFont& font) {
        ReportText::draw(painter, box, text, font, 0, LineBreak::Wrap);
    };
    // The story's title stands centred on the page, as the report title under it does, unless
    // the logo pushes it to the right; it is cut only where it runs past the right margin.
    const QFont titleFont = ReportText::boldSystemFont(15);
    const QString title = story_.screenplayTitle();
    const QRectF row = rectForScreenPlayTitle(page);
    const double titleWidth = qMin(QFontMetricsF(titleFont).horizontalAdvance(title), row.width());
    const double titleLeft = qBound(row.left(), (paperSize().width() - titleWidth) / 2, row.right() - titleWidth);
    ReportText::draw(painter, QRectF(titleLeft, row.top(), row.right() - titleLeft, row.height()), title, titleFont, 0,
                     LineBreak::Truncate);
    centred(rectForReportPageNumber(page), pageNumberText(page), ReportText::systemFont(10));
    centred(rectForReportTitle(page), reportInfo_.reportTitle, ReportText::boldSystemFont(15));
    centred(rectForGenre(page), story_.genre(), ReportText::systemFont(12));
    const float left = float(reportInfo_.leftMargin);
    const float rule = base(page) + 61;
    drawHorizontalLine(painter, left, rule, contentWidth());
    if (reportInfo_.includeLoglineInHeader)
        drawHorizontalLine(painter, left, rule + loglineHeight_, contentWidth());
    plain(rectForDateLabel(page), dateLabel(), ReportText::boldSystemFont(10));
    plain(rectForReportDate(page), Platform::clock().now().date.toString(QStringLiteral("MM/dd/yyyy")),
          ReportText::systemFont(10));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rectForLogo(page), logo());
    painter.restore();
    if (reportInfo_.includeLoglineInHeader)
        plain(rectForLogline(page), loglineShown_, ReportText::systemFont(10));
}

void BaseReportView::draw(QPainter& painter, const QRectF& area) const
{
    addHeaderForPage(painter, std::int64_t(area.y() / paperSize().height()));
}

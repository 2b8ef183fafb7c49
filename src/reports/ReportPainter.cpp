#include "ReportPainter.h"

#include "ReportElement.h"
#include "ReportProgress.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace ReportPainter {

bool paintPages(const PagedReportView& report, QPagedPaintDevice& device, int firstPage, int lastPage)
{
    const int first = qMax(firstPage, 1);
    const int last = int(qMin<std::int64_t>(lastPage, report.pageCount()));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The report is laid out in points; the device counts in its own dots.
    const qreal scale = qreal(device.logicalDpiY()) / 72.0;
    for (int page = first; page <= last; ++page) {
        // A writer who stops the report ends the job as a failed one.
        if (!ReportProgress::step(true, page - first, last - first + 1)) {
            painter.end();
            return false;
        }
        if (page > first && !device.newPage()) {
            painter.end();
            return false;
        }
        const QRectF band = report.rectForPage(page);
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -band.y());
        painter.setClipRect(band);
        report.paint(painter, band);
        painter.restore();
    }
    return painter.end();
}

PrintJob printJob(const PagedReportView& report, const QString& title)
{
    PrintJob job;
    job.title = title;
    job.paperSize = report.paperSize();
    job.pageCount = int(report.pageCount());
    job.paint = [&report](QPagedPaintDevice& device, int firstPage, int lastPage) {
        return paintPages(report, device, firstPage, lastPage);
    };
    return job;
}

PrintResult writePdf(const PagedReportView& report, const QString& title, const QString& path)
{
    return writePdfFile(printJob(report, title), path, 1, int(report.pageCount()));
}

} // namespace ReportPainter

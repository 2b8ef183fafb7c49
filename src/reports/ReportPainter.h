#pragma once

#include "platform/Platform.h"

#include <QString>

class PagedReportView;
class QPagedPaintDevice;

// Painting a laid-out report onto a paged device (a printer or a PDF writer), one page band at
// a time: page n shows the band (n - 1) x H to n x H of the report, clipped to it, scaled from
// points to the device's resolution.
namespace ReportPainter {

// Paints pages first to last (from 1, clamped to the report's pages); false when the device
// could not be painted on, could not start a new page or could not finish.
bool paintPages(const PagedReportView& report, QPagedPaintDevice& device, int firstPage, int lastPage);
// The print job of the report, titled `title`; the report must outlive the job.
PrintJob printJob(const PagedReportView& report, const QString& title);
// Writes every page of the report as a PDF file (tests, benchmarks, sample pages).
PrintResult writePdf(const PagedReportView& report, const QString& title, const QString& path);

} // namespace ReportPainter

#pragma once

#include <QString>

class PagedReportView;

// A laid-out report ready for the print panel: its pages and the name its print job carries.
class PrintedReport
{
public:
    virtual ~PrintedReport() = default;
    virtual const PagedReportView& pages() const = 0;
    // The report's title; empty for a report without one (the script, the index cards).
    virtual QString title() const = 0;
};

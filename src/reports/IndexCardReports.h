#pragma once

#include "PrintedReport.h"
#include "ReportElement.h"
#include "ReportInfo.h"

#include <memory>

class Screenplaydb;

// The scene cards printed on index card stock, one card per landscape sheet (3 x 5 inches:
// 360 x 216 points; 4 x 6 inches: 432 x 288): heading with its page number, description, the
// notes and the characters as the story's options say, the emotional change and conflict band
// at the sheet's foot and six colour swatches. A card whose text or band runs on repeats its
// heading and page number at the top of each further sheet.
class IndexCardReport : public PrintedReport
{
public:
    enum class Stock { ThreeByFive, FourBySix };

    IndexCardReport(Screenplaydb& story, Stock stock);

    const PagedReportView& pages() const override { return *view_; }
    QString title() const override { return QString(); }
    const ReportInfo& info() const { return *info_; }

private:
    std::unique_ptr<ReportInfo> info_;
    std::unique_ptr<FlippedReportView> view_;
};

namespace IndexCardReports {

std::unique_ptr<PrintedReport> threeByFive(Screenplaydb& story);
std::unique_ptr<PrintedReport> fourBySix(Screenplaydb& story);

} // namespace IndexCardReports

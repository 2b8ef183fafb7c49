#pragma once

#include "PrintedReport.h"
#include "ReportElement.h"
#include "ReportInfo.h"

#include <QFont>

#include <memory>

class SceneCarddb;
class Screenplaydb;

// The scene cards printed on pre-cut label stock: Avery 3 x 5 index cards (three slots of
// 352 x 216 points one above the other on a Letter sheet) or Avery business cards (ten slots
// of 252 x 143.5 in two columns of five rows). Every card starts in a slot of its own with its
// heading and page number; its description, and the notes and characters the story's options
// ask for, run on into further slots under the repeated heading; the emotional change and
// conflict band with six colour swatches sits at the foot of the card's last slot, a band taller
// than a slot running on from below the texts into further slots.
class CardSheetReport : public PrintedReport
{
public:
    enum class Stock { Avery3x5, BusinessCards };

    CardSheetReport(Screenplaydb& story, Stock stock, QSizeF documentPaper);

    const PagedReportView& pages() const override { return *view_; }
    QString title() const override { return QString(); }

private:
    float slotLeft(std::int64_t slot) const;
    float slotTop(std::int64_t slot) const;
    float slotHeight() const;
    float textWidth() const;
    // Takes the next slot for the card and puts its heading and page number at its top.
    void openSlot();
    // Lays a text of the card into the current slot and, as it needs, into further slots.
    void addText(QString text, const QFont& font);
    // The emotional change and conflict rows and the six swatches at the foot of the slot; a band
    // taller than a slot runs on into further slots under the repeated heading.
    void placeBand();
    QColor swatchColour(std::int64_t colorCodeID) const;

    Screenplaydb& story_;
    Stock stock_;
    QSizeF paper_;
    std::unique_ptr<ReportInfo> info_;
    std::unique_ptr<FlippedReportView> view_;
    const SceneCarddb* card_ = nullptr;
    // The card's heading as its slots show it, and what of a long one follows it in the first.
    QString heading_;
    QString headingRest_;
    std::int64_t counter_ = 0;
    // Avery: where the next text goes, and the sheet of the current slot.
    float currentY_ = 0;
    std::int64_t currentSheet_ = 0;
    // Business cards: where the next text goes within the slot, and the end of the last band.
    float yWithinSlot_ = 0;
    float bandY_ = 0;
    bool freshSlot_ = false;
    // How far below a slot's top the card's texts start, under its heading.
    float headingDepth_ = 0;
};

namespace CardSheetReports {

std::unique_ptr<PrintedReport> avery3x5(Screenplaydb& story);
std::unique_ptr<PrintedReport> businessCards(Screenplaydb& story);

} // namespace CardSheetReports

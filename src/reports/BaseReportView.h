#pragma once

#include "ReportElement.h"
#include "ReportInfo.h"

#include <QRectF>
#include <QString>

#include <cstdint>

class Screenplaydb;

// A printed report with the page header and footer of the story's reports. The view draws, on
// every page, what repeats: the story's title, the report's title, the genre, a rule, the date
// of printing with its label, the logo and, when asked, the story's current logline under a
// second rule; and "Page n of m" in the footer band. The content is its child elements, each
// kept clear of every page's header and footer bands.
//
// Made on the builder's settings, it keeps a copy of them (without the band heights) and
// writes the two band heights into the builder's object: the footer 20 and the header 64, or
// more with the logline. The header shows at most the first kLoglineLines lines of the logline,
// ending in "…" when it is cut, so that no logline crowds the body off the page. The logline is
// read when the view is made; the title and genre are read again whenever a page is drawn. The
// story must outlive the view.
class BaseReportView : public PagedReportView
{
public:
    BaseReportView(const Screenplaydb& story, QSizeF paperSize, ReportInfo& builderInfo);

    const ReportInfo& reportInfo() const { return reportInfo_; }
    float loglineHeight() const { return loglineHeight_; }
    // The most lines of the current logline that the header shows.
    static constexpr int kLoglineLines = 3;
    // The logline as the header shows it; empty when it shows none.
    const QString& loglineShown() const { return loglineShown_; }

    // The header height of a logline that measures `measured` points: 64, plus the logline
    // and 10 more when the header shows it, cut to a whole number.
    static std::int64_t headerHeightForLogline(bool included, float measured);

    // The width the date and its label take at the header's right, in points.
    static constexpr float kDateColumn = 110;
    // The label before the date, with the space that follows it, and its width in its font.
    static QString dateLabel();
    static float dateLabelWidth();

    // The rectangles of the header elements of page p (from 0).
    QRectF rectForScreenPlayTitle(std::int64_t page) const;
    QRectF rectForReportPageNumber(std::int64_t page) const;
    QRectF rectForReportTitle(std::int64_t page) const;
    QRectF rectForGenre(std::int64_t page) const;
    QRectF rectForDateLabel(std::int64_t page) const;
    QRectF rectForReportDate(std::int64_t page) const;
    QRectF rectForLogo(std::int64_t page) const;
    QRectF rectForLogline(std::int64_t page) const;
    // The page footer text of page p (from 0).
    QString pageNumberText(std::int64_t page) const;
    // The current logline's text, empty when the story has none.
    QString currentLoglineText() const;

    // Draws the header and footer of page p (from 0).
    void addHeaderForPage(QPainter& painter, std::int64_t page) const;

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    float base(std::int64_t page) const;
    // A row of the header from `top` below the page's top margin, kept `inset` points in from
    // both margins.
    QRectF centredRow(std::int64_t page, float top, float height, float inset) const;
    float contentWidth() const;

    const Screenplaydb& story_;
    ReportInfo reportInfo_;
    float loglineHeight_ = 0;
    QString loglineShown_;
};

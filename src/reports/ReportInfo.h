#pragma once

#include <QSizeF>
#include <QString>

#include <cstdint>

// The layout settings of one report: its title, the page margins, the indentation and
// alignment of text blocks, whether the page header shows the story's logline, how many lines
// a block keeps together at a page break, and the heights of the page header and footer bands.
// All lengths are points of the printed page (1/72 inch).
//
// Builders make one per report and change indent, alignment and keep-together between blocks;
// a text block copies the settings when it is made, so later changes never reach it. The
// paginated report view writes the two band heights into the builder's object.
class ReportInfo
{
public:
    QString reportTitle;
    std::int64_t topMargin = 30;
    std::int64_t bottomMargin = 20;
    std::int64_t leftMargin = 30;
    std::int64_t rightMargin = 30;
    std::int64_t leftIndent = 15;
    // 0 left (lines wrap at word boundaries), 1 right, 2 centred (no wrapping: each line is cut
    // off at its end when it does not fit).
    std::int64_t textAlignment = 0;
    bool includeLoglineInHeader = true;
    // Keep-together: a block whose first minLineSpace lines do not fit on the current page
    // starts on the next one. 0 and 1 have no such effect.
    std::int64_t minLineSpace = 0;
    std::int64_t reportHeaderHeight = 0;
    std::int64_t reportFooterHeight = 0;
};

// The page geometry that a set of layout settings gives on a paper of W x H points, for page p
// counted from 0. A report is one tall view in which page p is the band p x H to (p + 1) x H.
class PageGeometry
{
public:
    PageGeometry(QSizeF paper, const ReportInfo& info) : paper_(paper), info_(info) {}

    float width() const { return float(paper_.width()); }
    float height() const { return float(paper_.height()); }
    // The page that holds y (y / H cut toward zero).
    std::int64_t pageOf(float y) const { return std::int64_t(y / height()); }
    // The lowest y that text may reach on page p.
    float limit(std::int64_t p) const
    {
        return height() * float(p + 1) - float(info_.bottomMargin) - float(info_.reportFooterHeight);
    }
    // Where text starts on page p, below the header band.
    float bodyTop(std::int64_t p) const
    {
        return height() * float(p) + float(info_.topMargin) + float(info_.reportHeaderHeight);
    }
    // The distance from one page's limit to the next page's body top.
    float gap() const
    {
        return float(info_.reportFooterHeight + info_.bottomMargin + info_.topMargin + info_.reportHeaderHeight);
    }
    // The height of one page body.
    float body() const
    {
        return height() - float(info_.topMargin + info_.reportHeaderHeight + info_.reportFooterHeight
                                + info_.bottomMargin);
    }
    // Text width and left edge of an indented block.
    float textWidth() const
    {
        return width() - float(info_.leftMargin + info_.rightMargin + info_.leftIndent);
    }
    float textLeft() const { return float(info_.leftMargin + info_.leftIndent); }
    // The width between the two margins, where the rules run.
    float ruleWidth() const { return width() - float(info_.leftMargin + info_.rightMargin); }

private:
    QSizeF paper_;
    const ReportInfo& info_;
};

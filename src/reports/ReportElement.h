#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;

// One element of a laid-out report: a rectangle in its parent's coordinates (y grows
// downwards) that draws its own content and holds child elements, which it owns. A report is a
// tree of these, laid out completely as data before anything is painted; painting walks the
// tree for one page band at a time.
class ReportElement
{
public:
    explicit ReportElement(const QRectF& frame = QRectF());
    virtual ~ReportElement();
    ReportElement(const ReportElement&) = delete;
    ReportElement& operator=(const ReportElement&) = delete;

    const QRectF& frame() const { return frame_; }
    void setFrame(const QRectF& frame) { frame_ = frame; }

    // Adds a child drawn after (over) the children before it; answers it.
    template <typename Element>
    Element& add(std::unique_ptr<Element> child)
    {
        Element& added = *child;
        children_.push_back(std::move(child));
        return added;
    }
    // Adds a child drawn before (under) every other child, as coloured boxes behind text are.
    void addBelow(std::unique_ptr<ReportElement> child);
    const std::vector<std::unique_ptr<ReportElement>>& children() const { return children_; }

    // Paints this element and those of its descendants that meet `area`, a rectangle in this
    // element's own coordinates; the painter's origin is this element's top-left corner.
    void paint(QPainter& painter, const QRectF& area) const;

protected:
    // Draws the element's own content in its own coordinates.
    virtual void draw(QPainter& painter, const QRectF& area) const;

private:
    // The children meeting `area`, in drawing order.
    std::vector<const ReportElement*> childrenMeeting(const QRectF& area) const;

    QRectF frame_;
    std::vector<std::unique_ptr<ReportElement>> children_;
    // For an element of many children (a report's pages): the children by band of the height
    // painted, so that painting one page looks only at that page's children. Made at the first
    // paint and made again when the children or the band height change.
    mutable std::unordered_map<std::int64_t, std::vector<std::size_t>> bands_;
    mutable qreal bandHeight_ = 0;
    mutable std::size_t bandedChildren_ = 0;
};

// The root of a printed report: one tall element holding every page, each one paper height
// high, page n (from 1) being the band (n - 1) x H to n x H of the full width W.
class PagedReportView : public ReportElement
{
public:
    explicit PagedReportView(QSizeF paperSize);

    QSizeF paperSize() const { return paperSize_; }
    std::int64_t pageCount() const { return pageCount_; }
    // The number of pages; the view becomes that many paper heights high.
    void setPageCount(std::int64_t pageCount);
    // Pages 1 to pageCount.
    std::int64_t firstPage() const { return 1; }
    std::int64_t lastPage() const { return pageCount_; }
    QRectF rectForPage(std::int64_t page) const;
    // The page count that puts y on the last page: y / H cut toward zero, plus 1.
    std::int64_t pageCountForBottom(float bottom) const;

private:
    QSizeF paperSize_;
    std::int64_t pageCount_ = 1;
};

// A paged report without a page header or footer: the card layouts. It draws nothing of its
// own.
class FlippedReportView : public PagedReportView
{
public:
    using PagedReportView::PagedReportView;
};

// A rectangle outlined in black and filled with a colour: a coloured box behind a note's text,
// or a colour swatch of a scene card. The 1-point outline runs round the inset rectangle
// (1, 1, width - 2, height - 2) and the fill covers its inner half.
class NoteReportBackgound : public ReportElement
{
public:
    NoteReportBackgound(const QRectF& frame, const QColor& color);
    const QColor& backgroundColor() const { return backgroundColor_; }

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    QColor backgroundColor_;
};

// A picture scaled proportionally, up or down, to fit its frame and centred in it; an empty
// image leaves the frame empty.
class ReportImageView : public ReportElement
{
public:
    ReportImageView(const QRectF& frame, QImage image);
    const QImage& image() const { return image_; }
    // Where the picture lands in the element's own coordinates.
    QRectF imageRect() const;

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    QImage image_;
};

// A black line 1 point wide from (x, y) to (x + width, y).
void drawHorizontalLine(QPainter& painter, float x, float y, float width);

#include "ReportElement.h"

#include <QPainter>
#include <QPen>

ReportElement::ReportElement(const QRectF& frame)
    : frame_(frame)
{
}

ReportElement::~ReportElement() = default;

void ReportElement::addBelow(std::unique_ptr<ReportElement> child)
{
    children_.insert(children_.begin(), std::move(child));
}

void ReportElement::draw(QPainter&, const QRectF&) const
{
}

void ReportElement::paint(QPainter& painter, const QRectF& area) const
{
    draw(painter, area);
    for (const std::unique_ptr<ReportElement>& child : children_) {
        const QRectF& frame = child->frame();
        // A child of no height still draws (a rule under an empty block), so only its
        // vertical extent is compared with the band.
        if (frame.bottom() < area.top() || frame.top() > area.bottom())
            continue;
        painter.save();
        painter.translate(frame.topLeft());
        child->paint(painter, area.translated(-frame.topLeft()));
        painter.restore();
    }
}

PagedReportView::PagedReportView(QSizeF paperSize)
    : ReportElement(QRectF(QPointF(0, 0), paperSize))
    , paperSize_(paperSize)
{
}

void PagedReportView::setPageCount(std::int64_t pageCount)
{
    pageCount_ = qMax<std::int64_t>(pageCount, 1);
    setFrame(QRectF(frame().x(), frame().y(), frame().width(), double(pageCount_) * paperSize_.height()));
}

QRectF PagedReportView::rectForPage(std::int64_t page) const
{
    return QRectF(0, double(page - 1) * paperSize_.height(), paperSize_.width(), paperSize_.height());
}

std::int64_t PagedReportView::pageCountForBottom(float bottom) const
{
    return std::int64_t(bottom / float(paperSize_.height())) + 1;
}

NoteReportBackgound::NoteReportBackgound(const QRectF& frame, const QColor& color)
    : ReportElement(frame)
    , backgroundColor_(color)
{
}

void NoteReportBackgound::draw(QPainter& painter, const QRectF&) const
{
    const QRectF box(1, 1, frame().width() - 2, frame().height() - 2);
    painter.save();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.fillRect(box, backgroundColor_);
    painter.restore();
}

ReportImageView::ReportImageView(const QRectF& frame, QImage image)
    : ReportElement(frame)
    , image_(std::move(image))
{
}

QRectF ReportImageView::imageRect() const
{
    if (image_.isNull() || image_.width() == 0 || image_.height() == 0)
        return QRectF();
    QSizeF size = QSizeF(image_.size()).scaled(frame().size(), Qt::KeepAspectRatio);
    return QRectF(QPointF((frame().width() - size.width()) / 2, (frame().height() - size.height()) / 2), size);
}

void ReportImageView::draw(QPainter& painter, const QRectF&) const
{
    const QRectF target = imageRect();
    if (target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image_);
    painter.restore();
}

void drawHorizontalLine(QPainter& painter, float x, float y, float width)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(x, y), QPointF(x + width, y));
    painter.restore();
}

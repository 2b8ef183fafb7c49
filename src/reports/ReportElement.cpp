#include "ReportElement.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

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

namespace {

// Below this many children a plain look at each is cheaper than the bands.
constexpr std::size_t kBandedChildren = 64;

std::int64_t bandOf(qreal y, qreal height)
{
    return static_cast<std::int64_t>(std::floor(y / height));
}

} // namespace

std::vector<const ReportElement*> ReportElement::childrenMeeting(const QRectF& area) const
{
    // A child of no height still draws (a rule under an empty block), so only its vertical
    // extent is compared with the area.
    const auto meets = [&area](const ReportElement& child) {
        return !(child.frame().bottom() < area.top() || child.frame().top() > area.bottom());
    };
    std::vector<const ReportElement*> meeting;
    const qreal height = area.height();
    if (children_.size() < kBandedChildren || height <= 0) {
        for (const std::unique_ptr<ReportElement>& child : children_)
            if (meets(*child))
                meeting.push_back(child.get());
        return meeting;
    }
    if (bandHeight_ != height || bandedChildren_ != children_.size()) {
        bands_.clear();
        for (std::size_t index = 0; index < children_.size(); ++index) {
            const QRectF& frame = children_[index]->frame();
            const std::int64_t last = bandOf(std::max(frame.top(), frame.bottom()), height);
            for (std::int64_t band = bandOf(std::min(frame.top(), frame.bottom()), height); band <= last; ++band)
                bands_[band].push_back(index);
        }
        bandHeight_ = height;
        bandedChildren_ = children_.size();
    }
    std::vector<std::size_t> indices;
    for (std::int64_t band = bandOf(area.top(), height); band <= bandOf(area.bottom(), height); ++band)
        if (const auto found = bands_.find(band); found != bands_.end())
            indices.insert(indices.end(), found->second.begin(), found->second.end());
    // In drawing order, each once.
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (const std::size_t index : indices)
        if (meets(*children_[index]))
            meeting.push_back(children_[index].get());
    return meeting;
}

void ReportElement::paint(QPainter& painter, const QRectF& area) const
{
    draw(painter, area);
    for (const ReportElement* child : childrenMeeting(area)) {
        const QRectF& frame = child->frame();
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

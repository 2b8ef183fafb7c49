#include "SceneCardPainter.h"

#include "BoardImages.h"
#include "app/SmallViews.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>

#include <utility>

namespace {

const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kTitleBar(0xEC, 0xEA, 0xE4);
const QColor kCardEdge(0x8A, 0x86, 0x80);
// The red rule under an index card's heading.
const QColor kHeadingRule(0xD8, 0x44, 0x3C);
// Texts stand this far inside their fields, as in a text field without a frame.
constexpr int kTextInset = 2;
// The text area's margin on every side.
constexpr int kTextAreaMargin = 4;
// No card shows more of its text than this: the rest would lie below the card's edge.
constexpr qsizetype kLongestShownText = 4000;

QRect inset(const QRect& frame)
{
    return frame.adjusted(kTextInset, 0, -kTextInset, 0);
}

QString elided(const QFont& font, const QString& text, int width)
{
    // A single line: line breaks in a one-line field show as spaces.
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QFontMetrics(font).elidedText(line, Qt::ElideRight, std::max(0, width));
}

void centredText(QPainter& painter, const QRect& frame, const QString& text)
{
    painter.drawText(frame, Qt::AlignCenter, text);
}

} // namespace

QString fieldTextOrPlaceholder(const QString& text, const QString& placeholder)
{
    return text.isEmpty() ? placeholder : text;
}

SceneCardPainter::SceneCardPainter() = default;
SceneCardPainter::~SceneCardPainter() = default;
SceneCardPainter::SceneCardPainter(SceneCardPainter&&) noexcept = default;
SceneCardPainter& SceneCardPainter::operator=(SceneCardPainter&&) noexcept = default;

void SceneCardPainter::setLook(SceneCardLook look)
{
    look_ = std::move(look);
    lookChanged();
}

void SceneCardPainter::lookChanged()
{
    prepared_ = false;
}

void SceneCardPainter::releaseTextLines()
{
    textLines_.reset();
    textLinesReady_ = false;
}

QFont SceneCardPainter::fieldFont(const SceneCardLayout& layout, SceneCardPart part)
{
    return standardFont(layout.fontSize, part == SceneCardPart::Heading);
}

void SceneCardPainter::prepare(const SceneCardLayout& layout)
{
    if (prepared_ && preparedFontSize_ == layout.fontSize && preparedDescription_ == layout.description &&
        preparedHeading_ == layout.heading && preparedEmotionalChange_ == layout.emotionalChange &&
        preparedConflict_ == layout.conflict)
        return;
    if (!prepared_ || preparedFontSize_ != layout.fontSize) {
        regular_ = fieldFont(layout, SceneCardPart::Description);
        bold_ = fieldFont(layout, SceneCardPart::Heading);
    }
    prepared_ = true;
    preparedFontSize_ = layout.fontSize;
    preparedDescription_ = layout.description;
    preparedHeading_ = layout.heading;
    preparedEmotionalChange_ = layout.emotionalChange;
    preparedConflict_ = layout.conflict;
    elidedHeading_.reset();
    elidedEmotionalChange_.reset();
    elidedConflict_.reset();
    textLinesReady_ = false;
}

const QString& SceneCardPainter::elidedOnce(std::optional<QString>& held, const QFont& font, const QString& text,
                                            const QRect& field)
{
    if (!held)
        held = elided(font, text, inset(field).width());
    return *held;
}

const QString& SceneCardPainter::elidedHeading(const SceneCardLayout& layout)
{
    return elidedOnce(elidedHeading_, *bold_, look_.heading, layout.heading);
}

const QString& SceneCardPainter::elidedEmotionalChange(const SceneCardLayout& layout)
{
    return elidedOnce(elidedEmotionalChange_, *regular_, look_.emotionalChange, layout.emotionalChange);
}

const QString& SceneCardPainter::elidedConflict(const SceneCardLayout& layout)
{
    return elidedOnce(elidedConflict_, *regular_, look_.conflict, layout.conflict);
}

QTextLayout* SceneCardPainter::textLines(const SceneCardLayout& layout)
{
    if (textLinesReady_)
        return textLines_.get();
    textLinesReady_ = true;
    // The text area's lines, wrapped at its width, as many as fit its height.
    QString text = look_.text.left(kLongestShownText);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    textLines_ = std::make_unique<QTextLayout>(text, *regular_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    textLines_->setTextOption(option);
    // The shaped glyphs stay with the lines: without them every paint would shape the text again.
    textLines_->setCacheEnabled(true);
    const QRect area = layout.description.adjusted(kTextAreaMargin, kTextAreaMargin, -kTextAreaMargin, 0);
    textLines_->beginLayout();
    qreal y = 0;
    while (y < area.height()) {
        QTextLine line = textLines_->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(1, area.width()));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    textLines_->endLayout();
    return textLines_.get();
}

void SceneCardPainter::paint(QPainter& painter, const SceneCardLayout& layout, const QSize& area)
{
    prepare(layout);
    const SceneCardLook& look = look_;
    const QRect paper(QPoint(0, 0), area);
    // Only what shows through the painter's clip is drawn (a card under others shows little).
    const QRect visible = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() & paper : paper;
    const auto shows = [&visible](const QRect& frame) { return frame.intersects(visible); };
    // The pictures are resampled to their frames: at a density of 1.5 nearest pixels would leave steps.
    const bool wasSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(paper, kPaper);
    painter.fillRect(layout.titleBar, kTitleBar);
    painter.setPen(Qt::black);

    for (std::size_t index = 0; index < look.indicators.size(); ++index)
        if (shows(layout.indicatorFrame(static_cast<int>(index))))
            painter.drawPixmap(layout.indicatorFrame(static_cast<int>(index)),
                               boardImage(look.indicators[index].imageName));

    if (layout.framed) {
        const auto edited = [&look](SceneCardPart part) { return look.editedPart == part; };
        painter.setFont(*bold_);
        if (!edited(SceneCardPart::Heading) && shows(inset(layout.heading)))
            painter.drawText(inset(layout.heading), Qt::AlignLeft | Qt::AlignVCenter, elidedHeading(layout));
        painter.fillRect(layout.headingRule, kHeadingRule);
        painter.setFont(*regular_);
        if (shows(inset(layout.pageNumber)))
            painter.drawText(inset(layout.pageNumber), Qt::AlignRight | Qt::AlignVCenter, look.pageNumber);

        // Without a thumbnail the text area lies over the photo frame and hides it.
        if (layout.photoFrameShown && layout.thumbnailShown && !look.thumbnail.isNull() &&
            shows(layout.photoBackground)) {
            painter.setPen(kCardEdge);
            painter.drawRect(layout.photoBackground.adjusted(0, 0, -1, -1));
            painter.drawPixmap(layout.photoBackground.adjusted(1, 1, -1, -1), look.thumbnail);
            painter.setPen(Qt::black);
        }
        QTextLayout* lines =
            !edited(SceneCardPart::Description) && shows(layout.description) ? textLines(layout) : nullptr;
        if (lines) {
            // The last line may reach past the text area: it is cut at the area's bottom.
            const bool clipped = painter.hasClipping();
            const QRegion before = clipped ? painter.clipRegion() : QRegion();
            painter.setClipRect(layout.description, clipped ? Qt::IntersectClip : Qt::ReplaceClip);
            const QPointF origin = QPointF(layout.description.topLeft()) + QPointF(kTextAreaMargin, kTextAreaMargin);
            lines->draw(&painter, origin);
            if (clipped)
                painter.setClipRegion(before);
            else
                painter.setClipping(false);
        }

        for (const auto& [part, tab, letter] : {std::tuple{SceneCardPart::DescriptionTab, 1, QStringLiteral("D")},
                                                std::tuple{SceneCardPart::NotesTab, 2, QStringLiteral("N")}}) {
            if (!shows(layout.frame(part)))
                continue;
            const bool marked = look.selectedTab == tab;
            painter.fillRect(layout.frame(part), marked ? look.markedTab : QColor(Qt::white));
            painter.setPen(marked ? Qt::white : Qt::black);
            centredText(painter, layout.frame(part), letter);
        }
        painter.setPen(Qt::black);
        painter.fillRect(layout.emotionalChangeType, look.emotionalChangeType);
        if (shows(layout.emotionalChangeType))
            centredText(painter, layout.emotionalChangeType, QStringLiteral("+/-"));
        if (!edited(SceneCardPart::EmotionalChange) && shows(inset(layout.emotionalChange)))
            painter.drawText(inset(layout.emotionalChange), Qt::AlignLeft | Qt::AlignVCenter,
                             elidedEmotionalChange(layout));
        if (shows(layout.conflictLabel))
            centredText(painter, layout.conflictLabel, QStringLiteral("><"));
        if (!edited(SceneCardPart::Conflict) && shows(inset(layout.conflict)))
            painter.drawText(inset(layout.conflict), Qt::AlignLeft | Qt::AlignVCenter, elidedConflict(layout));
        for (std::size_t stripe = 0; stripe < look.stripes.size(); ++stripe)
            painter.fillRect(layout.stripes[stripe], look.stripes[stripe]);
    }

    painter.setPen(kCardEdge);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(paper.adjusted(0, 0, -1, -1));
    if (look.showsControls) {
        if (shows(layout.thumbTack))
            painter.drawPixmap(layout.thumbTack, boardImage(look.thumbTackImage));
        painter.setPen(Qt::black);
        painter.setFont(*regular_);
        if (shows(layout.advice))
            centredText(painter, layout.advice, QStringLiteral("?"));
        if (shows(layout.deleteButton))
            centredText(painter, layout.deleteButton, QStringLiteral("\u00D7"));
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

void paintSceneCard(QPainter& painter, const QRectF& target, Screenplaydb& story, const SceneCarddb& card,
                    std::int64_t zoom)
{
    // A zoom factor that gives no frames is drawn as the smallest card.
    if (zoom < 1 || zoom > 4)
        zoom = 1;
    SceneCardPainter drawing;
    SceneCardLook look = lookOfCard(story, card);
    look.showsControls = false;
    const bool hasThumbnail = !look.thumbnail.isNull();
    drawing.setLook(std::move(look));
    const SceneCardLayout layout = sceneCardLayout(zoom, cardSizeForZoom(zoom), false, hasThumbnail);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / layout.card.width(), target.height() / layout.card.height());
    painter.setClipRect(QRect(QPoint(0, 0), layout.card), Qt::IntersectClip);
    drawing.paint(painter, layout, layout.card);
    painter.restore();
}

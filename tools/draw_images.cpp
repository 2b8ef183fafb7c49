// Draws the pictures the program carries: draw_images <output-folder> writes there
//  - GenericCharacter.png and GenericLocation.png (128 x 128), the placeholders shown for a
//    character or a location that has no picture of its own;
//  - VantoraIcon.png (256 x 256), the application icon: three index cards pinned to a
//    corkboard by a red thumb tack;
//  - Splash.png (480 x 300), the splash picture: the same motif on cork with the product name;
//  - cork_repeating_02.png (256 x 256), the corkboard's cork, drawn so that its edges meet
//    seamlessly when it is repeated in both directions;
//  - SceneCardThumbDown.png and SceneCardThumbUp.png (48 x 48), a scene card's red thumb tack
//    pressed into the cork and lifted out of it, and BlueThumbDown.png, the blue tack of an
//    attachment note;
//  - SetupsWithPayoffs.png, SetupsWithOutPayoffs.png, PayoffsWithSetups.png,
//    PayoffsWithoutSetups.png, CharactersInScene.png and LocationOfScene.png (48 x 48), the
//    indicator icons of a scene card;
//  - BlackCheckMark.png (48 x 48), the tick of an answered greenlight question;
//  - BlueThumbUp.png (48 x 48), the lifted blue tack of a note being moved; Explosion.png
//    (64 x 64), the burst shown where an attachment link is dropped away;
//    NoteResizeHandle.png (24 x 24), a note's resize grip; GenericFile.png (64 x 64), the page
//    shown for an attached file whose type has no icon.
// Everything is antialiased vector drawing on a QImage. Text needs the font database, which
// Qt only offers inside a QGuiApplication, so the tool runs one on the offscreen platform
// (no display needed). Where no font at all can be found the splash is drawn without its
// words and a warning says so. Random-looking cork grain comes from a fixed seed, so every
// build draws the same pixels. Each file is written under a temporary name first and renamed
// into place, so an interrupted build never leaves a half-written picture behind.
#include "OutputFolder.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {

constexpr int kSize = 128;

// One quiet palette for both pictures: warm paper behind soft grey shapes.
const QColor kPaperTop(0xFB, 0xF8, 0xF3);
const QColor kPaperBottom(0xEF, 0xE9, 0xE0);
const QColor kFrame(0xD6, 0xCE, 0xC2);
const QColor kShapeLight(0xC4, 0xBF, 0xB8);
const QColor kShape(0xAD, 0xA8, 0xA1);
const QColor kShapeDark(0x97, 0x92, 0x8B);

QRectF frameRect()
{
    // Half a pixel in, so the one-pixel frame line falls on whole pixels.
    return QRectF(0.5, 0.5, kSize - 1.0, kSize - 1.0);
}

QPainterPath framePath()
{
    QPainterPath path;
    path.addRoundedRect(frameRect(), 14.0, 14.0);
    return path;
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& upper, const QColor& lower)
{
    QLinearGradient gradient(0.0, top, 0.0, bottom);
    gradient.setColorAt(0.0, upper);
    gradient.setColorAt(1.0, lower);
    return gradient;
}

// Paints the rounded paper card, lets `content` draw inside it (clipped to the card), then
// strokes the frame on top so every picture shares the same clean edge.
QImage drawCard(const std::function<void(QPainter&)>& content)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPainterPath card = framePath();
    painter.fillPath(card, vertical(0.0, kSize, kPaperTop, kPaperBottom));

    painter.save();
    painter.setClipPath(card);
    painter.setPen(Qt::NoPen);
    content(painter);
    painter.restore();

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kFrame, 1.0));
    painter.drawPath(card);
    painter.end();
    return image;
}

// A neutral head-and-shoulders bust, centred and cut off by the bottom of the card.
void drawCharacter(QPainter& painter)
{
    // A faint halo behind the head keeps the figure from looking pasted on.
    QRadialGradient halo(QPointF(64.0, 58.0), 58.0);
    halo.setColorAt(0.0, QColor(255, 255, 255, 150));
    halo.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setBrush(halo);
    painter.drawEllipse(QPointF(64.0, 58.0), 58.0, 58.0);

    QPainterPath shoulders;
    shoulders.moveTo(18.0, 132.0);
    shoulders.cubicTo(18.0, 100.0, 38.0, 84.0, 64.0, 84.0);
    shoulders.cubicTo(90.0, 84.0, 110.0, 100.0, 110.0, 132.0);
    shoulders.closeSubpath();
    painter.setBrush(vertical(84.0, 128.0, kShape, kShapeDark));
    painter.drawPath(shoulders);

    // The neck takes the tone of the chin so the figure reads as one silhouette.
    QPainterPath neck;
    neck.addRoundedRect(QRectF(55.0, 66.0, 18.0, 22.0), 6.0, 6.0);
    painter.setBrush(kShape);
    painter.drawPath(neck);

    painter.setBrush(vertical(26.0, 76.0, kShapeLight, kShape));
    painter.drawEllipse(QRectF(43.0, 26.0, 42.0, 48.0));
}

// A small house with a door and a window under a sky with a sun, on rolling ground.
void drawLocation(QPainter& painter)
{
    painter.setBrush(QColor(0xE4, 0xDD, 0xD3));
    painter.drawEllipse(QPointF(98.0, 32.0), 12.0, 12.0);

    QPainterPath farHill;
    farHill.moveTo(0.0, 92.0);
    farHill.cubicTo(28.0, 74.0, 52.0, 78.0, 72.0, 88.0);
    farHill.cubicTo(92.0, 78.0, 112.0, 76.0, 128.0, 84.0);
    farHill.lineTo(128.0, 128.0);
    farHill.lineTo(0.0, 128.0);
    farHill.closeSubpath();
    painter.setBrush(QColor(0xD9, 0xD3, 0xCB));
    painter.drawPath(farHill);

    // Walls and roof: the roof overhangs the walls a little on both sides.
    const QRectF walls(40.0, 64.0, 48.0, 38.0);
    painter.setBrush(vertical(walls.top(), walls.bottom(), kShapeLight, kShape));
    painter.drawRect(walls);

    // The chimney goes first so the roof hides its foot.
    painter.setBrush(kShapeDark);
    painter.drawRect(QRectF(74.0, 44.0, 7.0, 14.0));

    QPainterPath roof;
    roof.moveTo(34.0, 66.0);
    roof.lineTo(64.0, 40.0);
    roof.lineTo(94.0, 66.0);
    roof.closeSubpath();
    painter.setBrush(vertical(40.0, 66.0, kShape, kShapeDark));
    painter.drawPath(roof);

    // Door and window are cut out in the paper colour so they read as openings.
    painter.setBrush(kPaperTop);
    QPainterPath door;
    door.addRoundedRect(QRectF(48.0, 78.0, 13.0, 24.0), 2.0, 2.0);
    painter.drawPath(door);
    QPainterPath window;
    window.addRoundedRect(QRectF(68.0, 74.0, 13.0, 12.0), 2.0, 2.0);
    painter.drawPath(window);
    painter.setPen(QPen(kShapeLight, 1.5));
    painter.drawLine(QPointF(74.5, 74.0), QPointF(74.5, 86.0));
    painter.drawLine(QPointF(68.0, 80.0), QPointF(81.0, 80.0));
    painter.setPen(Qt::NoPen);

    // The ground in front of everything, with a crisp line where it meets the house.
    QPainterPath ground;
    ground.moveTo(0.0, 104.0);
    ground.cubicTo(40.0, 100.0, 88.0, 100.0, 128.0, 104.0);
    ground.lineTo(128.0, 128.0);
    ground.lineTo(0.0, 128.0);
    ground.closeSubpath();
    painter.setBrush(vertical(100.0, 128.0, kShape, kShapeDark));
    painter.drawPath(ground);
}

// --- The corkboard pictures: application icon and splash ---------------------------------

// The cork takes the application's standard colour (205, 133, 63) as its middle tone.
const QColor kCorkLight(0xE0, 0xA2, 0x62);
const QColor kCork(0xCD, 0x85, 0x3F);
const QColor kCorkDark(0xAE, 0x69, 0x2B);
const QColor kWoodLight(0x8A, 0x55, 0x2A);
const QColor kWoodDark(0x5A, 0x33, 0x17);
const QColor kCardPaper(0xFF, 0xFD, 0xF6);
// Index cards come in colours; tinted back cards keep the three apart even at 16 x 16.
const QColor kCardYellow(0xFF, 0xE9, 0x8C);
const QColor kCardBlue(0xB9, 0xDD, 0xF5);
const QColor kCardRule(0xD8, 0x44, 0x3C);
const QColor kCardLine(0x9D, 0xC2, 0xE3);
const QColor kTackRed(0xD7, 0x1E, 0x26);
const QColor kCream(0xFF, 0xF6, 0xE4);
const QColor kShadow(0x3C, 0x1E, 0x05);

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

// A number in [0, 1) from a generator whose sequence the standard fixes.
double unit(std::minstd_rand& random)
{
    return static_cast<double>(random() - std::minstd_rand::min()) /
           static_cast<double>(std::minstd_rand::max() - std::minstd_rand::min() + 1);
}

// A wooden frame filling `outer`, with a cork board inset by `border` inside it. Answers the
// board's outline so callers can keep their drawing on the cork.
QPainterPath paintCorkboard(QPainter& painter, const QRectF& outer, qreal radius, qreal border)
{
    QPainterPath frame;
    frame.addRoundedRect(outer, radius, radius);
    QLinearGradient wood(outer.topLeft(), outer.bottomRight());
    wood.setColorAt(0.0, kWoodLight);
    wood.setColorAt(1.0, kWoodDark);
    painter.fillPath(frame, wood);

    const QRectF inner = outer.adjusted(border, border, -border, -border);
    const qreal innerRadius = std::max<qreal>(radius - border, 2.0);
    QPainterPath board;
    board.addRoundedRect(inner, innerRadius, innerRadius);
    QLinearGradient light(inner.topLeft(), inner.bottomRight());
    light.setColorAt(0.0, kCorkLight);
    light.setColorAt(0.5, kCork);
    light.setColorAt(1.0, kCorkDark);
    painter.fillPath(board, light);

    painter.save();
    painter.setClipPath(board);
    painter.setPen(Qt::NoPen);
    // Grain: many small flecks, mostly darker than the cork, some lighter; about one per 40
    // square points whatever the size of the board.
    std::minstd_rand random(1905u);
    const int flecks = static_cast<int>(inner.width() * inner.height() / 40.0);
    for (int i = 0; i < flecks; ++i) {
        const QPointF at(inner.left() + unit(random) * inner.width(), inner.top() + unit(random) * inner.height());
        const qreal size = 0.5 + unit(random) * 1.3;
        painter.setBrush(i % 4 == 0 ? QColor(255, 226, 180, 70) : QColor(110, 60, 20, 55));
        painter.drawEllipse(at, size, size * (0.6 + unit(random) * 0.4));
    }
    // The frame's lip throws a shadow on the top and left edges of the cork.
    const qreal lip = std::max<qreal>(border * 0.6, 3.0);
    QLinearGradient top(0.0, inner.top(), 0.0, inner.top() + lip);
    top.setColorAt(0.0, withAlpha(kShadow, 110));
    top.setColorAt(1.0, withAlpha(kShadow, 0));
    painter.fillRect(QRectF(inner.left(), inner.top(), inner.width(), lip), top);
    QLinearGradient left(inner.left(), 0.0, inner.left() + lip, 0.0);
    left.setColorAt(0.0, withAlpha(kShadow, 80));
    left.setColorAt(1.0, withAlpha(kShadow, 0));
    painter.fillRect(QRectF(inner.left(), inner.top(), lip, inner.height()), left);
    painter.restore();

    // A light bevel on the frame's inner edge.
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 220, 170, 60), 1.0));
    painter.drawRoundedRect(inner.adjusted(-0.5, -0.5, 0.5, 0.5), innerRadius, innerRadius);
    painter.restore();
    return board;
}

struct HangingCard
{
    qreal angle;
    QColor paper;
};

// A ruled index card hanging from the point where it is pinned: `angle` turns the card about
// the pin, which sits `pinDepth` below the card's top edge. The card carries a red heading
// rule, blue lines and a soft shadow on the cork.
void paintHangingCard(QPainter& painter, const QPointF& pin, const HangingCard& hanging, const QSizeF& size,
                      qreal pinDepth)
{
    painter.save();
    painter.translate(pin);
    painter.rotate(hanging.angle);
    const QRectF card(-size.width() / 2.0, -pinDepth, size.width(), size.height());
    const qreal corner = size.height() * 0.035;
    const qreal unitStep = size.height() / 100.0;

    painter.setPen(Qt::NoPen);
    for (int layer = 4; layer >= 1; --layer) {
        const qreal spread = layer * unitStep;
        painter.setBrush(withAlpha(kShadow, 26));
        painter.drawRoundedRect(card.translated(2.0 * unitStep, 3.0 * unitStep).adjusted(-spread, -spread, spread, spread),
                                corner + spread, corner + spread);
    }
    painter.setBrush(vertical(card.top(), card.bottom(), hanging.paper, hanging.paper.darker(104)));
    painter.drawRoundedRect(card, corner, corner);

    const qreal margin = size.width() * 0.07;
    const qreal first = card.top() + size.height() * 0.30;
    painter.setPen(QPen(kCardRule, std::max<qreal>(2.2 * unitStep, 1.0)));
    painter.drawLine(QPointF(card.left() + 1.0, first), QPointF(card.right() - 1.0, first));
    painter.setPen(QPen(kCardLine, std::max<qreal>(1.6 * unitStep, 0.8)));
    for (qreal y = first + size.height() * 0.15; y < card.bottom() - size.height() * 0.08; y += size.height() * 0.15)
        painter.drawLine(QPointF(card.left() + margin * 0.3, y), QPointF(card.right() - margin * 0.3, y));
    painter.restore();
}

// The four tones of a push pin's head, from its highlight to its darkest edge.
struct TackColours
{
    QColor highlight;
    QColor body;
    QColor edge;
    QColor domeLight;
    QColor domeDark;
};

const TackColours kRedTack{QColor(0xFF, 0x8A, 0x7E), kTackRed, QColor(0x6E, 0x08, 0x0C), QColor(0xFF, 0x6A, 0x60),
                           QColor(0xA8, 0x10, 0x18)};
const TackColours kBlueTack{QColor(0x9C, 0xC8, 0xFF), QColor(0x1E, 0x5C, 0xD7), QColor(0x08, 0x1E, 0x6E),
                            QColor(0x66, 0x9E, 0xFF), QColor(0x10, 0x36, 0xA8)};

// A red push pin seen from above, its head lit from the top left, with its shadow.
void paintThumbTack(QPainter& painter, const QPointF& centre, qreal radius, const TackColours& colours = kRedTack)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    QRadialGradient shadow(centre + QPointF(radius * 0.45, radius * 0.6), radius * 1.15);
    shadow.setColorAt(0.0, withAlpha(kShadow, 120));
    shadow.setColorAt(1.0, withAlpha(kShadow, 0));
    painter.setBrush(shadow);
    painter.drawEllipse(centre + QPointF(radius * 0.45, radius * 0.6), radius * 1.15, radius * 1.15);

    QRadialGradient head(centre - QPointF(radius * 0.35, radius * 0.4), radius * 1.5);
    head.setColorAt(0.0, colours.highlight);
    head.setColorAt(0.35, colours.body);
    head.setColorAt(1.0, colours.edge);
    painter.setBrush(head);
    painter.drawEllipse(centre, radius, radius);

    // The raised dome in the middle of the head.
    QRadialGradient dome(centre - QPointF(radius * 0.2, radius * 0.25), radius * 0.8);
    dome.setColorAt(0.0, colours.domeLight);
    dome.setColorAt(1.0, colours.domeDark);
    painter.setBrush(dome);
    painter.drawEllipse(centre, radius * 0.58, radius * 0.58);

    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawEllipse(centre - QPointF(radius * 0.3, radius * 0.34), radius * 0.2, radius * 0.14);
    painter.restore();
}

// Three index cards fanned out under one tack: a yellow and a blue one behind a white one.
void paintPinnedCards(QPainter& painter, const QPointF& pin, const QSizeF& cardSize, qreal tackRadius, qreal spread)
{
    for (const HangingCard& card : {HangingCard{-spread, kCardYellow}, HangingCard{spread * 0.9, kCardBlue},
                                    HangingCard{-spread * 0.08, kCardPaper}})
        paintHangingCard(painter, pin, card, cardSize, tackRadius * 1.1);
    paintThumbTack(painter, pin, tackRadius);
}

QImage drawApplicationIcon()
{
    constexpr int side = 256;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    // Bold, simple shapes so that the picture still reads at 32 x 32: a thick frame, big cards.
    const QPainterPath board = paintCorkboard(painter, QRectF(8.0, 8.0, 240.0, 240.0), 46.0, 20.0);
    painter.setClipPath(board);
    paintPinnedCards(painter, QPointF(128.0, 84.0), QSizeF(150.0, 108.0), 19.0, 22.0);
    painter.end();
    return image;
}

// The product name and subtitle in the fonts the machine has; false when it has none.
bool fontsAvailable()
{
    return !QFontDatabase::families().isEmpty();
}

QFont fontFrom(const QStringList& families, int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Draws `text` with its top-left baseline point at `at`, in cream with a soft dark shadow.
void paintEmbossedText(QPainter& painter, const QPointF& at, const QString& text, const QFont& font, qreal depth)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(withAlpha(kShadow, 90));
    painter.drawText(at + QPointF(depth * 0.6, depth * 1.2), text);
    painter.setPen(withAlpha(kShadow, 150));
    painter.drawText(at + QPointF(depth * 0.3, depth * 0.6), text);
    painter.setPen(kCream);
    painter.drawText(at, text);
    painter.restore();
}

// `scale` device pixels per point: 2 for the copy that dense screens show.
QImage drawSplash(bool withText, int scale)
{
    constexpr int width = 480;
    constexpr int height = 300;
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(Qt::NoPen);
    const QPainterPath board = paintCorkboard(painter, QRectF(0.0, 0.0, width, height), 10.0, 12.0);
    painter.setClipPath(board);

    // The card motif on the left; the lower band stays quiet for the version and buttons.
    paintPinnedCards(painter, QPointF(118.0, 86.0), QSizeF(148.0, 102.0), 15.0, 18.0);

    if (withText) {
        // The words are centred over the right-hand side, the title shrunk until it fits.
        const QRectF area(240.0, 0.0, 214.0, height);
        QFont title = fontFrom({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif"),
                                QStringLiteral("serif")},
                               58, QFont::Bold);
        while (title.pixelSize() > 20 && QFontMetricsF(title).horizontalAdvance(QStringLiteral("Vantora")) > area.width())
            title.setPixelSize(title.pixelSize() - 1);
        QFont subtitle = fontFrom({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                   QStringLiteral("sans-serif")},
                                  15, QFont::Normal);
        while (subtitle.pixelSize() > 8 &&
               QFontMetricsF(subtitle).horizontalAdvance(QStringLiteral("Story structure for screenwriters")) > area.width())
            subtitle.setPixelSize(subtitle.pixelSize() - 1);

        const auto centred = [&](const QFont& font, const QString& text, qreal baseline) {
            const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
            return QPointF(area.center().x() - advance / 2.0, baseline);
        };
        paintEmbossedText(painter, centred(title, QStringLiteral("Vantora"), 132.0), QStringLiteral("Vantora"), title, 3.0);
        painter.setPen(QPen(withAlpha(kCream, 190), 1.5));
        painter.drawLine(QPointF(area.left() + 8.0, 150.0), QPointF(area.right() - 8.0, 150.0));
        const QString words = QStringLiteral("Story structure for screenwriters");
        paintEmbossedText(painter, centred(subtitle, words, 174.0), words, subtitle, 1.5);
    }
    painter.end();
    return image;
}


// --- The corkboard's own pictures -----------------------------------------------------------

// The cork of the board, 256 x 256 points and seamless: every grain that crosses an edge is
// drawn again on the opposite side, so repeated tiles show no seams. `scale` device pixels per
// point, as for the splash.
QImage drawCorkTile(int scale)
{
    constexpr int side = 256;
    QImage image(side * scale, side * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xC8, 0x92, 0x5A));
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    std::minstd_rand random(2002u);
    // Granules of pressed cork: many small ones, darker and lighter than the base, and a few
    // larger pale chips.
    const auto granule = [&](qreal radius, const QColor& colour) {
        const QPointF at(unit(random) * side, unit(random) * side);
        const qreal squash = 0.55 + unit(random) * 0.45;
        painter.setBrush(colour);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                painter.drawEllipse(at + QPointF(dx * side, dy * side), radius, radius * squash);
    };
    for (int i = 0; i < 1400; ++i)
        granule(0.8 + unit(random) * 2.2, QColor(0x7A, 0x45, 0x18, 40 + static_cast<int>(unit(random) * 60)));
    for (int i = 0; i < 900; ++i)
        granule(0.6 + unit(random) * 1.6, QColor(0xF2, 0xC4, 0x8C, 40 + static_cast<int>(unit(random) * 70)));
    for (int i = 0; i < 120; ++i)
        granule(2.0 + unit(random) * 2.5, QColor(0xE6, 0xB0, 0x74, 60));
    for (int i = 0; i < 500; ++i)
        granule(0.5 + unit(random) * 0.7, QColor(0x4E, 0x2A, 0x0C, 90));
    painter.end();
    return image;
}

constexpr int kIconSide = 48;

QImage emptyIcon()
{
    QImage image(kIconSide, kIconSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A push pin seen from above: pressed into the cork it throws a short shadow; lifted out of it
// it stands higher, smaller shadow far below, and the needle shows.
QImage drawTack(const TackColours& colours, bool raised)
{
    QImage image = emptyIcon();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (raised) {
        painter.setPen(QPen(QColor(0x9A, 0x9A, 0x9A), 2.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(22.0, 24.0), QPointF(34.0, 40.0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(kShadow, 70));
        painter.drawEllipse(QPointF(34.0, 40.0), 7.0, 4.0);
        paintThumbTack(painter, QPointF(20.0, 20.0), 14.0, colours);
    } else {
        paintThumbTack(painter, QPointF(22.0, 22.0), 15.0, colours);
    }
    painter.end();
    return image;
}

// A round badge in `fill` with a white mark drawn by `mark`.
QImage drawBadge(const QColor& fill, const std::function<void(QPainter&)>& mark)
{
    QImage image = emptyIcon();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(fill.darker(140), 2.0));
    QRadialGradient body(QPointF(18.0, 16.0), 34.0);
    body.setColorAt(0.0, fill.lighter(130));
    body.setColorAt(1.0, fill);
    painter.setBrush(body);
    painter.drawEllipse(QPointF(24.0, 24.0), 21.0, 21.0);
    painter.setPen(QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    mark(painter);
    painter.end();
    return image;
}

const QColor kLinked(0x2E, 0x8B, 0x3E);
const QColor kUnlinked(0xE0, 0x8A, 0x12);

// A set-up plants something: an arrow leaving a seed. A pay-off collects it: the arrow arriving
// in a ring.
void markSetup(QPainter& painter)
{
    painter.drawEllipse(QPointF(15.0, 24.0), 3.5, 3.5);
    painter.drawLine(QPointF(21.0, 24.0), QPointF(35.0, 24.0));
    painter.drawPolyline(QPolygonF({QPointF(29.0, 17.0), QPointF(36.0, 24.0), QPointF(29.0, 31.0)}));
}

void markPayoff(QPainter& painter)
{
    painter.drawEllipse(QPointF(29.0, 24.0), 7.5, 7.5);
    painter.drawLine(QPointF(11.0, 24.0), QPointF(26.0, 24.0));
    painter.drawPolyline(QPolygonF({QPointF(20.0, 18.0), QPointF(26.0, 24.0), QPointF(20.0, 30.0)}));
}

// Two heads and shoulders, one behind the other.
void markCharacters(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawEllipse(QPointF(30.0, 17.0), 5.0, 5.5);
    painter.drawChord(QRectF(20.0, 24.0, 20.0, 22.0), 0, 180 * 16);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(20.0, 19.0), 6.0, 6.5);
    painter.drawChord(QRectF(8.0, 27.0, 24.0, 24.0), 0, 180 * 16);
}

// A map pin.
void markLocation(QPainter& painter)
{
    QPainterPath pin;
    pin.moveTo(24.0, 40.0);
    pin.cubicTo(14.0, 28.0, 13.0, 23.0, 13.0, 19.0);
    pin.arcTo(QRectF(13.0, 8.0, 22.0, 22.0), 180.0, -180.0);
    pin.cubicTo(35.0, 23.0, 34.0, 28.0, 24.0, 40.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(pin);
    painter.setBrush(QColor(0x3B, 0x6E, 0xA8));
    painter.drawEllipse(QPointF(24.0, 19.0), 4.0, 4.0);
}

// The tick of an answered greenlight question: one black stroke, short leg then long.
QImage drawCheckMark()
{
    QImage image = emptyIcon();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(9.0, 25.0), QPointF(19.0, 36.0), QPointF(39.0, 10.0)}));
    painter.end();
    return image;
}

bool save(const QImage& image, const QString& folder, const QString& name)
{
    const QString target = QDir(folder).filePath(name);
    const QString temporary = target + QStringLiteral(".tmp");
    QFile::remove(temporary);
    if (!image.save(temporary, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(temporary));
        return false;
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        std::fprintf(stderr, "cannot rename %s to %s\n", qPrintable(temporary), qPrintable(target));
        QFile::remove(temporary);
        return false;
    }
    return true;
}

// --- The notes board ---------------------------------------------------------------------

// A clear square picture of that side, with an antialiasing painter on it.
struct Canvas {
    explicit Canvas(int side)
        : image(side, side, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(Qt::transparent);
        painter.begin(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
    }
    QImage finished()
    {
        painter.end();
        return image;
    }
    QImage image;
    QPainter painter;
};

// A burst of jagged rays, yellow at the heart and red at the tips.
QImage drawExplosion()
{
    constexpr int kSide = 64;
    Canvas canvas(kSide);
    QPainter& painter = canvas.painter;
    const QPointF centre(kSide / 2.0, kSide / 2.0);
    const auto burst = [&centre](qreal outer, qreal inner, int rays) {
        QPolygonF shape;
        for (int i = 0; i < rays * 2; ++i) {
            const qreal angle = 3.14159265358979 * i / rays;
            const qreal radius = (i % 2 == 0 ? outer : inner) * (i % 4 == 0 ? 1.0 : 0.85);
            shape << centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
        }
        return shape;
    };
    painter.setPen(QPen(QColor(0x8A, 0x10, 0x08), 1.5));
    painter.setBrush(QColor(0xD8, 0x2A, 0x12));
    painter.drawPolygon(burst(31.0, 15.0, 12));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xF5, 0x8A, 0x14));
    painter.drawPolygon(burst(22.0, 11.0, 10));
    QRadialGradient heart(centre, 12.0);
    heart.setColorAt(0.0, QColor(0xFF, 0xFB, 0xD0));
    heart.setColorAt(1.0, QColor(0xFF, 0xD8, 0x30));
    painter.setBrush(heart);
    painter.drawPolygon(burst(13.0, 7.0, 8));
    return canvas.finished();
}

// Three short diagonal grooves in the corner, the usual sign of a grip that resizes.
QImage drawResizeHandle()
{
    constexpr int kSide = 24;
    Canvas canvas(kSide);
    QPainter& painter = canvas.painter;
    for (int i = 0; i < 3; ++i) {
        const qreal reach = 7.0 + 6.0 * i;
        painter.setPen(QPen(QColor(255, 255, 255, 170), 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(kSide - 2.0, kSide - reach + 1.0), QPointF(kSide - reach + 1.0, kSide - 2.0));
        painter.setPen(QPen(QColor(0, 0, 0, 140), 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(kSide - 3.0, kSide - reach), QPointF(kSide - reach, kSide - 3.0));
    }
    return canvas.finished();
}

// A sheet of paper with its top-right corner folded down and a few lines of writing.
QImage drawGenericFile()
{
    constexpr int kSide = 64;
    Canvas canvas(kSide);
    QPainter& painter = canvas.painter;
    QPainterPath sheet;
    sheet.moveTo(12.0, 4.0);
    sheet.lineTo(40.0, 4.0);
    sheet.lineTo(52.0, 16.0);
    sheet.lineTo(52.0, 60.0);
    sheet.lineTo(12.0, 60.0);
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(0x70, 0x78, 0x84), 1.5));
    painter.setBrush(QColor(0xFB, 0xFB, 0xF8));
    painter.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(40.0, 4.0);
    fold.lineTo(40.0, 16.0);
    fold.lineTo(52.0, 16.0);
    fold.closeSubpath();
    painter.setBrush(QColor(0xD4, 0xD8, 0xDE));
    painter.drawPath(fold);
    painter.setPen(QPen(QColor(0x9D, 0xB4, 0xCC), 2.0, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 5; ++line) {
        const qreal y = 26.0 + 7.0 * line;
        painter.drawLine(QPointF(18.0, y), QPointF(line == 4 ? 34.0 : 46.0, y));
    }
    return canvas.finished();
}

} // namespace

int main(int argc, char** argv)
{
    // No window is ever shown; the offscreen platform gives the font database without a display.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication application(argc, argv);
    int exitCode = 0;
    const std::optional<QString> output = outputFolderArgument(argc, argv, exitCode);
    if (!output)
        return exitCode;
    const QString folder = *output;
    const bool withText = fontsAvailable();
    if (!withText)
        std::fprintf(stderr, "warning: no fonts found; Splash.png is drawn without its title\n");
    const bool written = save(drawCard(drawCharacter), folder, QStringLiteral("GenericCharacter.png"))
                         && save(drawCard(drawLocation), folder, QStringLiteral("GenericLocation.png"))
                         && save(drawApplicationIcon(), folder, QStringLiteral("VantoraIcon.png"))
                         && save(drawSplash(withText, 1), folder, QStringLiteral("Splash.png"))
                         && save(drawSplash(withText, 2), folder, QStringLiteral("Splash@2x.png"))
                         && save(drawCorkTile(1), folder, QStringLiteral("cork_repeating_02.png"))
                         && save(drawCorkTile(2), folder, QStringLiteral("cork_repeating_02@2x.png"))
                         && save(drawTack(kRedTack, false), folder, QStringLiteral("SceneCardThumbDown.png"))
                         && save(drawTack(kRedTack, true), folder, QStringLiteral("SceneCardThumbUp.png"))
                         && save(drawTack(kBlueTack, false), folder, QStringLiteral("BlueThumbDown.png"))
                         && save(drawBadge(kLinked, markSetup), folder, QStringLiteral("SetupsWithPayoffs.png"))
                         && save(drawBadge(kUnlinked, markSetup), folder, QStringLiteral("SetupsWithOutPayoffs.png"))
                         && save(drawBadge(kLinked, markPayoff), folder, QStringLiteral("PayoffsWithSetups.png"))
                         && save(drawBadge(kUnlinked, markPayoff), folder, QStringLiteral("PayoffsWithoutSetups.png"))
                         && save(drawBadge(QColor(0x5B, 0x4E, 0x9C), markCharacters), folder,
                                 QStringLiteral("CharactersInScene.png"))
                         && save(drawBadge(QColor(0x3B, 0x6E, 0xA8), markLocation), folder,
                                 QStringLiteral("LocationOfScene.png"))
                         && save(drawCheckMark(), folder, QStringLiteral("BlackCheckMark.png"));
    const bool notesWritten = save(drawTack(kBlueTack, true), folder, QStringLiteral("BlueThumbUp.png"))
                              && save(drawExplosion(), folder, QStringLiteral("Explosion.png"))
                              && save(drawResizeHandle(), folder, QStringLiteral("NoteResizeHandle.png"))
                              && save(drawGenericFile(), folder, QStringLiteral("GenericFile.png"));
    return written && notesWritten ? 0 : 1;
}

// Draws the placeholder pictures shown for a character or a location that has no picture of its
// own: draw_images <output-folder> writes GenericCharacter.png and GenericLocation.png there.
// Everything is plain antialiased vector drawing on a QImage, so no windowing platform and no
// fonts are needed. Each file is written under a temporary name first and renamed into place,
// so an interrupted build never leaves a half-written picture behind.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const bool written = save(drawCard(drawCharacter), folder, QStringLiteral("GenericCharacter.png"))
                         && save(drawCard(drawLocation), folder, QStringLiteral("GenericLocation.png"));
    return written ? 0 : 1;
}

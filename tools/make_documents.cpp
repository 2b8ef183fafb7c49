// Makes the help material the program carries:
//   make_documents <source-folder> <output-folder>
// draws the pictures of the advice pages into <output-folder>/help/images and typesets the
// two guides, <source-folder>/<name>.html styled by <source-folder>/guide.css, into
// <output-folder>/documents/<name>.pdf (US Letter, numbered pages). The guides show the same
// pictures, named "images/<file>" in their HTML. Text needs the font database, which Qt only
// offers inside a QGuiApplication, so the tool runs one on the offscreen platform (no display
// needed); on a machine without any font the pictures are drawn without their words. Every
// file is written under a temporary name and renamed into place, so an interrupted build
// leaves nothing half-made.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

#include <array>
#include <cstdio>
#include <functional>

namespace {

// The colours of the advice window and the corkboard.
const QColor kOrange(255, 140, 0);
const QColor kInk(0x3A, 0x2A, 0x1C);
const QColor kCork(0xCD, 0x85, 0x3F);
const QColor kCorkDeep(0xA9, 0x66, 0x2C);
const QColor kPaper(0xFF, 0xFD, 0xF6);
const QColor kTeal(0x2E, 0x9C, 0x98);
const QColor kTealDeep(0x1D, 0x6B, 0x68);

// The four parts of the board and the colour each is drawn in.
struct Act {
    const char* name;
    int firstPage;
    int lastPage;
    QColor colour;
};
const std::array<Act, 4> kActs = {Act{"Act One", 1, 25, QColor(0x5B, 0x8D, 0xD6)},
                                  Act{"Act Two (1)", 26, 55, QColor(0x5E, 0xB0, 0x6A)},
                                  Act{"Act Two (2)", 56, 85, QColor(0xE0, 0x9B, 0x2D)},
                                  Act{"Act Three", 86, 110, QColor(0xC8, 0x4B, 0x4B)}};

// The fifteen beats on a 110-page script: first and last page of each.
struct Beat {
    int number;
    int firstPage;
    int lastPage;
};
const std::array<Beat, 15> kBeats = {Beat{1, 1, 1},    Beat{2, 5, 5},     Beat{3, 2, 11},   Beat{4, 12, 12},
                                     Beat{5, 13, 24},  Beat{6, 25, 25},   Beat{7, 30, 30},  Beat{8, 26, 54},
                                     Beat{9, 55, 55},  Beat{10, 56, 74},  Beat{11, 75, 75}, Beat{12, 76, 84},
                                     Beat{13, 85, 85}, Beat{14, 86, 109}, Beat{15, 110, 110}};

bool gHasFonts = false;

QFont sans(int pixelSize, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("sans-serif")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Words in a picture, only where the machine has a font to draw them with.
void words(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
           int flags = Qt::AlignCenter)
{
    if (!gHasFonts)
        return;
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, flags, text);
    painter.restore();
}

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// An index card with a coloured stripe along its top edge and a few ruled lines.
void paintCard(QPainter& painter, const QRectF& card, const QColor& stripe)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 45));
    painter.drawRoundedRect(card.translated(2.0, 2.5), 3.0, 3.0);
    painter.setBrush(kPaper);
    painter.drawRoundedRect(card, 3.0, 3.0);
    painter.setBrush(stripe);
    painter.drawRect(QRectF(card.left(), card.top() + 2.0, card.width(), card.height() * 0.16));
    painter.setPen(QPen(QColor(0x9D, 0xC2, 0xE3), 1.0));
    for (qreal y = card.top() + card.height() * 0.42; y < card.bottom() - 4.0; y += card.height() * 0.18)
        painter.drawLine(QPointF(card.left() + 4.0, y), QPointF(card.right() - 4.0, y));
    painter.restore();
}

// The Zorvin: a small round sage with antennae, spectacles and a knowing smile.
QImage drawZorvin()
{
    QImage image = canvas(96, 96);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kTealDeep, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(36.0, 22.0), QPointF(28.0, 6.0));
    painter.drawLine(QPointF(60.0, 22.0), QPointF(68.0, 6.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawEllipse(QPointF(28.0, 6.0), 5.0, 5.0);
    painter.drawEllipse(QPointF(68.0, 6.0), 5.0, 5.0);
    QRadialGradient body(QPointF(38.0, 38.0), 56.0);
    body.setColorAt(0.0, kTeal.lighter(135));
    body.setColorAt(1.0, kTealDeep);
    painter.setBrush(body);
    painter.drawEllipse(QRectF(10.0, 18.0, 76.0, 74.0));
    // Spectacles over two bright eyes.
    for (const qreal x : {35.0, 61.0}) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(x, 48.0), 10.0, 10.0);
        painter.setBrush(kInk);
        painter.drawEllipse(QPointF(x + 2.0, 49.0), 4.5, 4.5);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(x + 3.5, 47.0), 1.4, 1.4);
        painter.setPen(QPen(kInk, 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(x, 48.0), 12.0, 12.0);
    }
    painter.drawLine(QPointF(47.0, 47.0), QPointF(49.0, 47.0));
    QPainterPath smile;
    smile.moveTo(36.0, 70.0);
    smile.quadTo(48.0, 80.0, 62.0, 68.0);
    painter.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(smile);
    return image;
}

// A 110-page timeline: the four parts of the board as bands, each beat as a marker (one
// page) or a bar (several pages) with its number.
QImage drawBeatSheet()
{
    constexpr qreal left = 20.0;
    constexpr qreal width = 520.0;
    QImage image = canvas(560, 170);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const auto x = [&](qreal page) { return left + (page - 1.0) / 110.0 * width; };
    for (const Act& act : kActs) {
        const QRectF band(x(act.firstPage), 24.0, x(act.lastPage + 1) - x(act.firstPage), 26.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(act.colour);
        painter.drawRect(band);
        words(painter, band, QString::fromLatin1(act.name), sans(12, true), Qt::white);
        words(painter, QRectF(band.left() - 2.0, 4.0, 40.0, 16.0), QString::number(act.firstPage), sans(11), kInk,
              Qt::AlignLeft | Qt::AlignVCenter);
    }
    words(painter, QRectF(x(110) - 30.0, 4.0, 40.0, 16.0), QStringLiteral("110"), sans(11), kInk,
          Qt::AlignRight | Qt::AlignVCenter);
    int row = 0;
    for (const Beat& beat : kBeats) {
        const qreal y = 64.0 + (row++ % 4) * 24.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(kOrange);
        if (beat.firstPage == beat.lastPage) {
            const qreal centre = x(beat.firstPage + 0.5);
            QPainterPath marker;
            marker.moveTo(centre, y + 2.0);
            marker.lineTo(centre - 6.0, y + 14.0);
            marker.lineTo(centre + 6.0, y + 14.0);
            marker.closeSubpath();
            painter.drawPath(marker);
            words(painter, QRectF(centre + 6.0, y, 22.0, 16.0), QString::number(beat.number), sans(11, true), kInk,
                  Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            const QRectF bar(x(beat.firstPage), y + 5.0, x(beat.lastPage + 1) - x(beat.firstPage), 7.0);
            painter.drawRoundedRect(bar, 3.0, 3.0);
            words(painter, QRectF(bar.center().x() - 11.0, y - 7.0, 22.0, 12.0), QString::number(beat.number),
                  sans(11, true), kInk);
        }
    }
    return image;
}

// The corkboard: four rows, one per part of the story, with scene cards pinned along them.
QImage drawBoard()
{
    QImage image = canvas(560, 236);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x6B, 0x3F, 0x1D));
    painter.drawRoundedRect(QRectF(0.0, 0.0, 560.0, 236.0), 8.0, 8.0);
    painter.setBrush(kCork);
    painter.drawRoundedRect(QRectF(8.0, 8.0, 544.0, 220.0), 4.0, 4.0);
    const std::array<int, 4> cardsInRow = {6, 7, 6, 5};
    for (std::size_t row = 0; row < kActs.size(); ++row) {
        const qreal top = 8.0 + row * 55.0;
        painter.setPen(QPen(kCorkDeep, 1.0));
        if (row > 0)
            painter.drawLine(QPointF(8.0, top), QPointF(552.0, top));
        painter.setPen(Qt::NoPen);
        painter.setBrush(kActs[row].colour);
        painter.drawRect(QRectF(8.0, top + 1.0, 86.0, 53.0));
        words(painter, QRectF(10.0, top + 1.0, 82.0, 53.0), QString::fromLatin1(kActs[row].name), sans(11, true),
              Qt::white);
        for (int card = 0; card < cardsInRow[row]; ++card) {
            const QRectF place(104.0 + card * 63.0, top + 9.0 + (card % 2) * 4.0, 54.0, 36.0);
            const QColor stripe = card == 0 || card == cardsInRow[row] - 1 ? QColor(0xD7, 0x1E, 0x26)
                                                                           : kActs[row].colour;
            paintCard(painter, place, stripe);
        }
    }
    return image;
}

// A set-up planted in an early scene and paid off in a late one.
QImage drawSetupPayoff()
{
    QImage image = canvas(480, 130);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF setup(20.0, 40.0, 110.0, 74.0);
    const QRectF payoff(350.0, 40.0, 110.0, 74.0);
    paintCard(painter, setup, kActs[0].colour);
    paintCard(painter, payoff, kActs[3].colour);
    words(painter, setup.adjusted(0.0, 22.0, 0.0, 0.0), QStringLiteral("Set-up\np. 9"), sans(13, true), kInk);
    words(painter, payoff.adjusted(0.0, 22.0, 0.0, 0.0), QStringLiteral("Pay-off\np. 97"), sans(13, true), kInk);
    QPainterPath arc;
    arc.moveTo(setup.center().x() + 20.0, setup.top() - 4.0);
    arc.cubicTo(180.0, -18.0, 300.0, -18.0, payoff.center().x() - 20.0, payoff.top() - 6.0);
    painter.setPen(QPen(kOrange, 3.0, Qt::DashLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arc);
    const QPointF tip(payoff.center().x() - 20.0, payoff.top() - 4.0);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + QPointF(-13.0, -6.0));
    head.lineTo(tip + QPointF(-3.0, -15.0));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawPath(head);
    return image;
}

// Cards of one board told apart by the colour codes of their stripes.
QImage drawColorCodes()
{
    QImage image = canvas(420, 120);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const std::array<std::pair<QColor, const char*>, 4> codes = {
        std::pair{QColor(255, 0, 0), "Major Turns"}, std::pair{QColor(255, 128, 128), "Theme"},
        std::pair{QColor(0, 0, 255), "B Story"}, std::pair{QColor(128, 255, 128), "C Story"}};
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const QRectF card(12.0 + i * 102.0, 12.0, 90.0, 64.0);
        paintCard(painter, card, codes[i].first);
        words(painter, QRectF(card.left() - 6.0, 82.0, card.width() + 12.0, 30.0),
              QString::fromLatin1(codes[i].second), sans(12, true), kInk);
    }
    return image;
}

// Writes through `write` to a temporary name next to `target`, then renames it into place.
bool writeAtomically(const QString& target, const std::function<bool(const QString&)>& write)
{
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!write(temporary) || !QFile::exists(temporary)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
        QFile::remove(temporary);
        return false;
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        std::fprintf(stderr, "cannot move %s into place\n", qPrintable(target));
        QFile::remove(temporary);
        return false;
    }
    return true;
}

// Typesets one guide from its HTML source with the pictures and the style sheet at hand.
bool typeset(const QString& sourcePath, const QString& target, const QMap<QString, QImage>& pictures,
             const QString& styleSheet)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(sourcePath));
        return false;
    }
    const QString html = QString::fromUtf8(source.readAll());
    const QRegularExpressionMatch title = QRegularExpression(QStringLiteral("<title>(.*?)</title>")).match(html);
    return writeAtomically(target, [&](const QString& path) {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(20.0, 18.0, 20.0, 18.0), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(title.hasMatch() ? title.captured(1) : QFileInfo(sourcePath).completeBaseName());
        writer.setCreator(QStringLiteral("Vantora"));
        QTextDocument document;
        QFont body = sans(11);
        body.setPointSizeF(10.5); // points, so the type keeps its size at the writer's resolution
        document.setDefaultFont(body);
        document.setDefaultStyleSheet(styleSheet);
        for (auto picture = pictures.cbegin(); picture != pictures.cend(); ++picture)
            document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/") + picture.key()),
                                 picture.value());
        document.setHtml(html);
        document.print(&writer);
        return true;
    });
}

} // namespace

int main(int argc, char** argv)
{
    // No window is ever shown; the offscreen platform gives the font database without a display.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <source-folder> <output-folder>\n", argv[0]);
        return 2;
    }
    const QDir sources(QString::fromLocal8Bit(argv[1]));
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const QString images = output.filePath(QStringLiteral("help/images"));
    const QString documents = output.filePath(QStringLiteral("documents"));
    if (!QDir().mkpath(images) || !QDir().mkpath(documents)) {
        std::fprintf(stderr, "cannot create the folders in %s\n", argv[2]);
        return 1;
    }
    gHasFonts = !QFontDatabase::families().isEmpty();
    if (!gHasFonts)
        std::fprintf(stderr, "warning: no fonts found; the help pictures are drawn without words\n");

    const QMap<QString, QImage> pictures = {{QStringLiteral("Zorvin.png"), drawZorvin()},
                                            {QStringLiteral("BeatSheet.png"), drawBeatSheet()},
                                            {QStringLiteral("Board.png"), drawBoard()},
                                            {QStringLiteral("SetupPayoff.png"), drawSetupPayoff()},
                                            {QStringLiteral("ColorCodes.png"), drawColorCodes()}};
    bool written = true;
    for (auto picture = pictures.cbegin(); picture != pictures.cend() && written; ++picture)
        written = writeAtomically(QDir(images).filePath(picture.key()),
                                  [&](const QString& path) { return picture.value().save(path, "PNG"); });
    QFile styleSheet(sources.filePath(QStringLiteral("guide.css")));
    if (written && !styleSheet.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(styleSheet.fileName()));
        written = false;
    }
    const QString style = QString::fromUtf8(styleSheet.readAll());
    for (const char* guide : {"VantoraUserGuide", "VTRGuideChpt3"}) {
        if (!written)
            break;
        const QString name = QString::fromLatin1(guide);
        written = typeset(sources.filePath(name + QStringLiteral(".html")),
                          QDir(documents).filePath(name + QStringLiteral(".pdf")), pictures, style);
    }
    return written ? 0 : 1;
}

#include "IndexCardReports.h"

#include "BlockOfTextView.h"
#include "CardBand.h"
#include "ReportText.h"
#include "SceneCardReports.h"
#include "model/ColorCodedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// What differs between the two stocks, in points.
struct StockLayout {
    QSizeF sheet;
    std::int64_t top, bottom, left, right;
    int headingPoints;
    int bodyPoints;
    QSizeF swatch;
    std::array<float, 6> swatchLefts;
};

// The page number's column at the right of a heading, and the width of a band's label.
constexpr std::int64_t kNumberColumn = 44;
constexpr float kBandLabel = 26;

const StockLayout kThreeByFive{QSizeF(360, 216), 8, 11, 8, 15, 10, 8, QSizeF(57, 8), {8, 64, 120, 176, 232, 288}};
const StockLayout kFourBySix{QSizeF(432, 288), 8, 11, 8, 20, 12, 10, QSizeF(69, 10), {8, 76, 144, 212, 280, 348}};

// The colour of a card's colour slot: white for none, the story's colour code otherwise (fully
// transparent when the code no longer exists).
QColor swatchColour(const Screenplaydb& story, std::int64_t colorCodeID)
{
    if (colorCodeID == 0)
        return Qt::white;
    const ColorCodedb* code = story.colorForColorCodeID(colorCodeID);
    if (!code)
        return QColor(0, 0, 0, 0);
    return QColor(int(code->redValue()), int(code->greenValue()), int(code->blueValue()), int(code->alphaValue()));
}

} // namespace

IndexCardReport::IndexCardReport(Screenplaydb& story, Stock stock)
    : info_(std::make_unique<ReportInfo>())
{
    const StockLayout& layout = stock == Stock::ThreeByFive ? kThreeByFive : kFourBySix;
    const QSizeF sheet = layout.sheet;
    const float W = float(sheet.width());
    const float H = float(sheet.height());
    ReportInfo& info = *info_;
    info.topMargin = layout.top;
    info.bottomMargin = layout.bottom;
    info.leftMargin = layout.left;
    info.rightMargin = layout.right;
    info.leftIndent = 0;
    info.includeLoglineInHeader = false;
    view_ = std::make_unique<FlippedReportView>(sheet);
    const PageGeometry page(sheet, info);

    const QFont headingFont = ReportText::boldSystemFont(layout.headingPoints);
    const QFont numberFont = ReportText::systemFont(layout.headingPoints);
    const QFont body = ReportText::systemFont(layout.bodyPoints);
    const QFont label = ReportText::boldSystemFont(layout.bodyPoints);
    const bool notes = (stock == Stock::ThreeByFive ? story.r3x5IncludeNotes() : story.r4x6IncludeNotes()) != 0;
    const bool characters =
        (stock == Stock::ThreeByFive ? story.r3x5IncludeCharacters() : story.r4x6IncludeCharacters()) != 0;

    float y = float(info.topMargin);
    std::int64_t lastSheet = 0;
    // A heading takes at most half of a sheet's text area; the rest of a longer one follows it.
    const float headingRoom = std::trunc((H - float(layout.top + layout.bottom)) / 2);
    const float headingWidth = W - float(layout.left + layout.right + kNumberColumn);
    for (const SceneCarddb* card : SceneCardReports::cardSet(story)) {
        std::int64_t sheetIndex = page.pageOf(y);
        const ReportText::CardHeading title =
            ReportText::cardHeading(card->heading(), headingRoom, headingWidth, headingFont);
        // The card's heading and page number at `top`.
        const auto heading = [&](float top) -> const BlockOfTextView& {
            info.textAlignment = 0;
            info.leftIndent = 0;
            info.minLineSpace = 0;
            // The heading wraps short of the page number.
            info.rightMargin = layout.right + kNumberColumn;
            const BlockOfTextView& block =
                view_->add(std::make_unique<BlockOfTextView>(sheet, info, title.shown, headingFont, top, true));
            info.rightMargin = layout.right;
            // The heading's rule runs on under the page number, across the card.
            view_->add(std::make_unique<SubBlockOfTextView>(
                QRectF(float(layout.left), block.bottom() - 2, W - float(layout.left + layout.right), 4), QString(),
                numberFont, 0, true));
            view_->add(std::make_unique<SubBlockOfTextView>(QRectF(W - float(info.rightMargin) - 40, top, 40, 16),
                                                            QString::number(card->pageNumber()), numberFont, 1, false,
                                                            ReportText::LineBreak::Truncate));
            return block;
        };
        const BlockOfTextView& first = heading(y);
        info.reportHeaderHeight = std::int64_t(first.frame().height());
        y = first.bottom();
        // A block of the card's texts; a block that ran onto a later sheet repeats the heading
        // there, in the room every continuation leaves for it.
        const auto text = [&](const QString& content, const QFont& font, std::int64_t keep, bool rule) {
            info.minLineSpace = keep;
            const BlockOfTextView& block =
                view_->add(std::make_unique<BlockOfTextView>(sheet, info, content, font, y, rule));
            y = block.bottom();
            const std::int64_t ends = page.pageOf(std::max(float(block.frame().y()), y - 0.01f));
            for (std::int64_t further = sheetIndex + 1; further <= ends; ++further)
                heading(float(further) * H + float(info.topMargin));
            sheetIndex = std::max(sheetIndex, ends);
            info.minLineSpace = 0;
        };
        if (!title.rest.isEmpty())
            text(title.rest, headingFont, 0, false);
        text(card->description(), body, 0, true);
        if (notes) {
            text(QStringLiteral("Notes:"), label, 2, false);
            text(card->notes(), body, 0, true);
        }
        if (characters) {
            text(QStringLiteral("Characters:"), label, 2, false);
            text(story.charactersDescriptionForScene(*card), body, 0, true);
        }

        const float x = float(info.leftMargin + info.leftIndent);
        // The band's texts start clear of their labels.
        const float bandWidth = W - float(info.rightMargin) - x - kBandLabel;
        // The band ends 10 points above a sheet's bottom margin, over the swatches.
        const auto footOf = [&](std::int64_t sheetOfBand) {
            return float(sheetOfBand + 1) * H - float(info.bottomMargin) - 10;
        };
        const CardBand::Layout band =
            CardBand::lay({card->emotionalChange(), card->conflict()}, bandWidth, body, footOf(sheetIndex) - y,
                          footOf(0) - float(info.topMargin) - float(first.frame().height()));
        const std::array<QString, 2> labels{QStringLiteral("+/-"), QStringLiteral("><")};
        std::size_t face = 0;
        for (const CardBand::Piece& piece : band.pieces) {
            for (; face < piece.face; ++face) {
                ++sheetIndex;
                heading(float(sheetIndex) * H + float(info.topMargin));
            }
            const float top = footOf(sheetIndex) - piece.above;
            view_->add(std::make_unique<SubBlockOfTextView>(QRectF(x, top, 26, piece.height), labels[piece.row], label,
                                                            2, true));
            view_->add(std::make_unique<SubBlockOfTextView>(QRectF(x + kBandLabel, top, bandWidth, piece.height),
                                                            piece.text, body, 0, true));
        }
        const std::array<std::int64_t, 6> colourSlots{card->colorLegend1ID(), card->colorLegend2ID(),
                                                      card->colorLegend3ID(), card->colorLegend4ID(),
                                                      card->colorLegend5ID(), card->colorLegend6ID()};
        for (std::size_t slot = 0; slot < colourSlots.size(); ++slot)
            view_->add(std::make_unique<NoteReportBackgound>(
                QRectF(QPointF(layout.swatchLefts[slot], footOf(sheetIndex) - 2), layout.swatch),
                swatchColour(story, colourSlots[slot])));
        lastSheet = sheetIndex;
        y = float(sheetIndex + 1) * H + float(info.topMargin);
    }
    view_->setPageCount(lastSheet + 1);
}

namespace IndexCardReports {

std::unique_ptr<PrintedReport> threeByFive(Screenplaydb& story)
{
    return std::make_unique<IndexCardReport>(story, IndexCardReport::Stock::ThreeByFive);
}

std::unique_ptr<PrintedReport> fourBySix(Screenplaydb& story)
{
    return std::make_unique<IndexCardReport>(story, IndexCardReport::Stock::FourBySix);
}

} // namespace IndexCardReports

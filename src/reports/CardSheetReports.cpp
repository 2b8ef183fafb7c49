#include "CardSheetReports.h"

#include "BlockOfTextView.h"
#include "CardBand.h"
#include "ReportText.h"
#include "SceneCardReports.h"
#include "StoryReport.h"
#include "model/ColorCodedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr float kAverySlot = 216;
constexpr float kBusinessSlot = 143.5f;
constexpr float kBusinessColumn = 252;
// The width of a business card's heading, left of its page number.
constexpr float kBusinessHeading = 218;
// The page number's column at the right of an Avery card's heading.
constexpr std::int64_t kNumberColumn = 44;

// The six colour swatches of a card's band: left edges from the slot's left, and widths. Each
// overlaps its right neighbour by a point; the last is narrower so that the row ends where the
// band's text does.
struct SwatchRow {
    std::array<float, 6> lefts;
    std::array<float, 6> widths;
};
constexpr SwatchRow kAverySwatches{{0, 58, 116, 174, 232, 290}, {59, 59, 59, 59, 59, 57}};
constexpr SwatchRow kBusinessSwatches{{0, 41, 82, 123, 164, 205}, {42, 42, 42, 42, 42, 41}};

} // namespace

CardSheetReport::CardSheetReport(Screenplaydb& story, Stock stock, QSizeF documentPaper)
    : story_(story)
    , stock_(stock)
    , paper_(stock == Stock::Avery3x5 ? QSizeF(612, 792) : documentPaper)
    , info_(std::make_unique<ReportInfo>())
    , view_(std::make_unique<FlippedReportView>(paper_))
{
    const bool avery = stock_ == Stock::Avery3x5;
    info_->topMargin = avery ? 75 : 46;
    info_->bottomMargin = avery ? 64 : 30;
    info_->leftMargin = avery ? 130 : 56;
    info_->rightMargin = avery ? 130 : 56;
    currentY_ = float(info_->topMargin);
    bandY_ = float(info_->topMargin);
    const bool notes = (avery ? story.a3x5IncludeNotes() : story.aBCIncludeNotes()) != 0;
    const bool characters = (avery ? story.a3x5IncludeCharacters() : story.aBCIncludeCharacters()) != 0;
    const QFont body = ReportText::systemFont(8);
    const QFont label = ReportText::boldSystemFont(8);
    // A heading takes at most half of a slot; the rest of a longer one follows it.
    const QFont headingFont = avery ? ReportText::boldSystemFont(10) : label;
    const float headingWidth = avery ? textWidth() - float(kNumberColumn) : kBusinessHeading;
    for (const SceneCarddb* card : SceneCardReports::cardSet(story)) {
        card_ = card;
        const ReportText::CardHeading title =
            ReportText::cardHeading(card->heading(), std::trunc(slotHeight() / 2), headingWidth, headingFont);
        heading_ = title.shown;
        headingRest_ = title.rest;
        openSlot();
        addText(headingRest_, headingFont);
        addText(card->description(), body);
        if (notes) {
            addText(QStringLiteral("Notes:"), label);
            addText(card->notes(), body);
        }
        if (characters) {
            addText(QStringLiteral("Characters:"), label);
            addText(story.charactersDescriptionForScene(*card), body);
        }
        placeBand();
    }
    const float finalY = avery ? currentY_ : bandY_;
    view_->setPageCount(std::int64_t(finalY / float(paper_.height())) + 1);
}

float CardSheetReport::slotLeft(std::int64_t slot) const
{
    if (stock_ == Stock::Avery3x5)
        return float(info_->leftMargin);
    return float(info_->leftMargin) + kBusinessColumn * float(slot % 2);
}

float CardSheetReport::slotTop(std::int64_t slot) const
{
    const float H = float(paper_.height());
    if (stock_ == Stock::Avery3x5)
        return float(info_->topMargin) + float(slot / 3) * H + kAverySlot * float(slot % 3);
    return float(info_->topMargin) + float(slot / 10) * H + kBusinessSlot * float((slot / 2) % 5);
}

float CardSheetReport::slotHeight() const
{
    return stock_ == Stock::Avery3x5 ? kAverySlot : kBusinessSlot;
}

float CardSheetReport::textWidth() const
{
    if (stock_ == Stock::Avery3x5)
        return float(paper_.width()) - float(info_->leftMargin + info_->rightMargin);
    return 248;
}

void CardSheetReport::openSlot()
{
    const std::int64_t slot = counter_++;
    freshSlot_ = true;
    const QString pageNumber = QString::number(card_->pageNumber());
    if (stock_ == Stock::Avery3x5) {
        currentY_ = slotTop(slot) + 2;
        info_->textAlignment = 0;
        info_->leftIndent = 0;
        info_->minLineSpace = 0;
        // The heading wraps, every word of it, short of the page number.
        info_->rightMargin += kNumberColumn;
        const BlockOfTextView& heading = view_->add(std::make_unique<BlockOfTextView>(
            paper_, *info_, heading_, ReportText::boldSystemFont(10), currentY_, true));
        info_->rightMargin -= kNumberColumn;
        // The heading's rule runs on under the page number, across the card.
        view_->add(std::make_unique<SubBlockOfTextView>(QRectF(float(info_->leftMargin), heading.bottom() - 2,
                                                               textWidth(), 4),
                                                        QString(), ReportText::systemFont(10), 0, true));
        view_->add(std::make_unique<SubBlockOfTextView>(
            QRectF(float(paper_.width()) - float(info_->rightMargin) - 40, currentY_, 40, 16), pageNumber,
            ReportText::systemFont(10), 1, false, ReportText::LineBreak::Truncate));
        currentY_ = heading.bottom();
        headingDepth_ = currentY_ - slotTop(slot);
        currentSheet_ = std::int64_t(currentY_ / float(paper_.height()));
        info_->reportHeaderHeight = std::int64_t(heading.frame().height());
        return;
    }
    yWithinSlot_ = 2;
    // The heading wraps in its column, every word of it; its height sets the heading's and the
    // page number's boxes. It is measured in the bold face it is drawn in: the wider letters may
    // need a line more than the regular face would, and that line would not be drawn.
    const QString& shown = heading_;
    const float measured = Toolkit().heightForText(shown, kBusinessHeading, ReportText::boldSystemFont(8), 0);
    const float hh = std::max(16.0f, std::trunc(measured + 4));
    const float left = slotLeft(slot);
    const float top = slotTop(slot) + 2;
    view_->add(std::make_unique<SubBlockOfTextView>(QRectF(left, top, kBusinessHeading, hh), shown,
                                                    ReportText::boldSystemFont(8), 0, true));
    view_->add(std::make_unique<SubBlockOfTextView>(QRectF(left + kBusinessHeading, top, 30, hh), pageNumber,
                                                    ReportText::systemFont(8), 1, true,
                                                    ReportText::LineBreak::Truncate));
    yWithinSlot_ = hh;
    headingDepth_ = hh;
}

void CardSheetReport::addText(QString text, const QFont& font)
{
    const Toolkit toolkit;
    const float width = textWidth();
    const bool avery = stock_ == Stock::Avery3x5;
    while (!text.isEmpty()) {
        const std::int64_t slot = counter_ - 1;
        const float top = avery ? float(info_->topMargin) + float(currentSheet_) * float(paper_.height())
                                      + kAverySlot * float(slot % 3)
                                : slotTop(slot);
        const float left = slotLeft(slot);
        const float y = avery ? currentY_ : top + yWithinSlot_;
        const float limit = top + slotHeight() - 2;
        const float line = ReportText::singleLineHeight(width, font);
        const float height = std::max(toolkit.heightForText(text, width, font, 0), line);
        float advance = 0;
        if (y + height <= limit) {
            view_->add(std::make_unique<SubBlockOfTextView>(QRectF(left, y, width, height), text, font, 0, false));
            advance = height;
            text.clear();
        } else if (limit - y > line || freshSlot_) {
            // A slot opened for this very text takes at least one line of it, however little
            // room its heading left, so that a card always moves on.
            const float room = std::max(limit - y, line);
            const qsizetype cut = toolkit.splitText(text, room, width, font, 0);
            const QString piece = text.left(cut);
            advance = toolkit.heightForText(piece, width, font, 0);
            if (!piece.isEmpty())
                view_->add(
                    std::make_unique<SubBlockOfTextView>(QRectF(left, y, width, advance), piece, font, 0, false));
            text = restAfterBreak(text, cut);
        } else {
            openSlot();
            continue;
        }
        freshSlot_ = false;
        if (avery)
            currentY_ += advance;
        else
            yWithinSlot_ += advance;
    }
}

QColor CardSheetReport::swatchColour(std::int64_t colorCodeID) const
{
    if (colorCodeID == 0)
        return Qt::white;
    const ColorCodedb* code = story_.colorForColorCodeID(colorCodeID);
    if (!code)
        return QColor(0, 0, 0, 0);
    return QColor(int(code->redValue()), int(code->greenValue()), int(code->blueValue()), int(code->alphaValue()));
}

void CardSheetReport::placeBand()
{
    const bool avery = stock_ == Stock::Avery3x5;
    const float bandWidth = avery ? float(paper_.width()) - float(info_->leftMargin + info_->rightMargin) - 26 : 218;
    const float boxWidth = avery ? bandWidth : 222;
    const QFont body = ReportText::systemFont(8);
    // The band ends 10 points above an Avery slot's foot and 2 above a business card's, over the
    // swatches.
    const float gap = avery ? 10 : 2;
    const float top = avery ? float(info_->topMargin) + float(currentSheet_) * float(paper_.height())
                                  + kAverySlot * float((counter_ - 1) % 3)
                            : slotTop(counter_ - 1);
    float foot = top + slotHeight() - gap;
    const float textsEnd = avery ? currentY_ : top + yWithinSlot_;
    const CardBand::Layout band = CardBand::lay({card_->emotionalChange(), card_->conflict()}, bandWidth, body,
                                                foot - textsEnd, slotHeight() - gap - headingDepth_);
    const std::array<QString, 2> labels{QStringLiteral("+/-"), QStringLiteral("><")};
    std::size_t face = 0;
    for (const CardBand::Piece& piece : band.pieces) {
        for (; face < piece.face; ++face) {
            openSlot();
            foot = slotTop(counter_ - 1) + slotHeight() - gap;
        }
        const float x = slotLeft(counter_ - 1);
        const float y = foot - piece.above;
        view_->add(std::make_unique<SubBlockOfTextView>(QRectF(x, y, 26, piece.height), labels[piece.row],
                                                        ReportText::boldSystemFont(8), 2, true,
                                                        ReportText::LineBreak::Truncate));
        view_->add(
            std::make_unique<SubBlockOfTextView>(QRectF(x + 24, y, boxWidth, piece.height), piece.text, body, 0, true));
    }
    const float x = slotLeft(counter_ - 1);
    const std::array<std::int64_t, 6> colourSlots{card_->colorLegend1ID(), card_->colorLegend2ID(),
                                                  card_->colorLegend3ID(), card_->colorLegend4ID(),
                                                  card_->colorLegend5ID(), card_->colorLegend6ID()};
    const SwatchRow& swatches = avery ? kAverySwatches : kBusinessSwatches;
    for (std::size_t index = 0; index < colourSlots.size(); ++index) {
        const float left = x + swatches.lefts[index];
        const QRectF frame = avery ? QRectF(left, foot - 2, swatches.widths[index], 8)
                                   : QRectF(left, foot - 3, swatches.widths[index], 4);
        view_->add(std::make_unique<NoteReportBackgound>(frame, swatchColour(colourSlots[index])));
    }
    if (avery)
        currentY_ = foot - 2;
    else
        bandY_ = foot - 2;
}

namespace CardSheetReports {

std::unique_ptr<PrintedReport> avery3x5(Screenplaydb& story)
{
    return std::make_unique<CardSheetReport>(story, CardSheetReport::Stock::Avery3x5, StoryReport::documentPaper());
}

std::unique_ptr<PrintedReport> businessCards(Screenplaydb& story)
{
    return std::make_unique<CardSheetReport>(story, CardSheetReport::Stock::BusinessCards,
                                             StoryReport::documentPaper());
}

} // namespace CardSheetReports

#include "TextHeights.h"

#include "TextsReadAhead.h"

#include <algorithm>

// Reading texts on other threads and taking them as read: a reading is what height() finds of a
// text before it counts its lines, which any TextHeights of an equal font finds alike.

TextHeights::Reading TextHeights::read(const QString& text, const QFont& font, int width)
{
    const std::uint64_t hash = textHash(text);
    std::optional<Span> span;
    if (width > 0) {
        height(text, font, width);
        for (const Span& measured : entryOf(text, hash).spans)
            if (measured.narrowest <= width && width <= measured.widest)
                span = measured;
    } else {
        useFont(font);
        Text& kept = entryOf(text, hash);
        if (!kept.read)
            readPieces(kept);
    }
    const Text& kept = entryOf(text, hash);
    Reading reading;
    reading.countable_ = kept.countable;
    reading.typedLines_ = kept.typedLines;
    const auto first = pieces_.begin() + kept.firstPiece;
    reading.pieces_.assign(first, first + kept.pieceCount);
    reading.span_ = span;
    reading.spaceKerning_ = spaceKerning_;
    return reading;
}

void TextHeights::takeReadingsFrom(TextsReadAhead* ahead)
{
    ahead_ = ahead;
    aheadFace_ = kFaceNotKnown;
}

bool TextHeights::takeReadAhead(Text& entry, std::uint64_t hash)
{
    if (!ahead_)
        return false;
    if (aheadFace_ == kFaceNotKnown)
        aheadFace_ = ahead_->faceOf(font_).value_or(kFaceNotKnown);
    if (aheadFace_ < 0)
        return false;
    std::optional<Reading> reading = ahead_->take(static_cast<std::size_t>(aheadFace_), entry.text, hash);
    if (!reading)
        return false;
    // A space beside a letter of the text may change a line's width as much as the reader found;
    // its span holds for that doubt, and lines filled here from its pieces must doubt as much.
    spaceKerning_ = std::max(spaceKerning_, reading->spaceKerning_);
    entry.read = true;
    entry.countable = reading->countable_;
    entry.typedLines = reading->typedLines_;
    if (reading->countable_) {
        entry.firstPiece = static_cast<std::uint32_t>(pieces_.size());
        entry.pieceCount = static_cast<std::uint32_t>(reading->pieces_.size());
        pieces_.insert(pieces_.end(), reading->pieces_.begin(), reading->pieces_.end());
    }
    if (reading->span_) {
        entry.spans[entry.next] = *reading->span_;
        entry.next = static_cast<std::uint8_t>((entry.next + 1) % entry.spans.size());
    }
    return true;
}

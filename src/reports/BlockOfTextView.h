#pragma once

#include "ReportElement.h"
#include "ReportInfo.h"
#include "ReportText.h"

#include <QFont>
#include <QString>

// One run of text in a fixed box: its alignment, its line-break rule and an optional rule 2
// points above its bottom edge. The continuation pieces of the text blocks are these, and the
// card layouts use them on their own as text cells.
class SubBlockOfTextView : public ReportElement
{
public:
    SubBlockOfTextView(const QRectF& frame, QString text, QFont font, std::int64_t textAlignment = 0,
                       bool drawLineAfter = false, ReportText::LineBreak lineBreak = ReportText::LineBreak::Wrap);

    const QString& text() const { return text_; }
    const QFont& font() const { return font_; }
    std::int64_t textAlignment() const { return textAlignment_; }
    bool drawLineAfter() const { return drawLineAfter_; }
    ReportText::LineBreak lineBreak() const { return lineBreak_; }

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    QString text_;
    QFont font_;
    std::int64_t textAlignment_;
    bool drawLineAfter_;
    ReportText::LineBreak lineBreak_;
};

// A block of text placed at an absolute y of a paged report, laid out once when it is made:
// it measures itself in the text width of its settings and splits where it would reach a
// page's footer band, continuing below the next page's header. The part on its first page it
// draws itself; every further piece is a SubBlockOfTextView child. Its frame runs from its
// start to the end of its last piece (plus 5 points and a rule when asked), so the builder
// places the next block at its bottom.
//
// With keep-together (minLineSpace 2 or more) a block whose first lines do not fit below y
// starts on the next page's body top instead. A break drops the line feeds that would start
// the next piece, and nothing else.
class BlockOfTextView : public ReportElement
{
public:
    BlockOfTextView(QSizeF paperSize, const ReportInfo& builderInfo, const QString& text, QFont font, float startY,
                    bool drawLineAfter);

    const QString& firstPartOfText() const { return firstPartOfText_; }
    const ReportInfo& reportInfo() const { return reportInfo_; }
    const QFont& font() const { return font_; }
    bool drawLineAfter() const { return drawLineAfter_; }
    float totalTextHeight() const { return totalTextHeight_; }
    float singleLineHeight() const { return singleLineHeight_; }
    // The bottom of the frame, where the next block goes.
    float bottom() const { return float(frame().bottom()); }

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    QSizeF paperSize_;
    ReportInfo reportInfo_;
    QString firstPartOfText_;
    QFont font_;
    bool drawLineAfter_;
    float totalTextHeight_ = 0;
    float singleLineHeight_ = 0;
    float firstPartHeight_ = 0;
};

// What follows a break at `cut`: the rest of the text without the line feed at the cut (the
// break takes its place) and, with `dropLineFeeds`, without any further line feeds that would
// start it. Every other character stays.
QString restAfterBreak(const QString& text, qsizetype cut, bool dropLineFeeds = true);

// Where a split text goes on: the text left over when a block that starts at `startY` on page
// `startPage` and is laid out to that page's body bottom continues on the following pages, at
// x `left` in `width`.
struct Continuation {
    QString rest;
    float startY;
    std::int64_t startPage;
    float left;
    float width;
    QFont font;
    std::int64_t alignment;
    bool dropLineFeeds;
};

// Adds the pieces of the rest to `block` as SubBlockOfTextView children, one per following page
// below each page's header, split where a page's body ends; answers the block's new height,
// which ends at the bottom of the last piece.
float continueOnFollowingPages(ReportElement& block, Continuation continuation, const PageGeometry& page,
                               float height);

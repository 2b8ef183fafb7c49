#pragma once

#include "BaseReportView.h"
#include "PrintedReport.h"
#include "ReportInfo.h"

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Beatdb;
class BeatReportView;
class BlockOfTextView;
class Screenplaydb;

// One report of the story being built on the common frame: fresh layout settings with the
// report's title, the paginated view with the page header, and the running y at which the next
// block goes, from the top of the first page's body downwards. Every block is placed at y and
// y moves to its bottom; the page count follows the bottom of the last block placed (one page,
// the header alone, when none was).
//
// The story must outlive the report; the report owns its settings and its view.
class StoryReport : public PrintedReport
{
public:
    // Letter paper, the paper of the document's print settings.
    static QSizeF documentPaper() { return QSizeF(612, 792); }

    // `prepare` sets what the report needs of the settings before the view measures its header.
    StoryReport(const Screenplaydb& story, const QString& title, QSizeF paper = documentPaper(),
                const std::function<void(ReportInfo&)>& prepare = {});
    StoryReport(const StoryReport&) = delete;
    StoryReport& operator=(const StoryReport&) = delete;

    const Screenplaydb& story() const { return story_; }
    QSizeF paper() const { return paper_; }
    // The builder's settings: blocks take the values they hold when each block is made.
    ReportInfo& info() { return *info_; }
    const ReportInfo& info() const { return *info_; }
    float y() const { return y_; }
    void setY(float y) { y_ = y; }

    // Where a block meant to start at y starts: y itself in a page's body, else the top of the
    // next body, so that no block starts in a header or footer band.
    float clearOfBands(float y) const;
    // A text block at y; y moves to its bottom.
    BlockOfTextView& addText(const QString& text, const QFont& font, bool drawLineAfter);
    // A text block at `startY`; y stays where it is (the builder decides where it goes on).
    BlockOfTextView& textAt(float startY, const QString& text, const QFont& font, bool drawLineAfter);
    // Sets the alignment, indent and keep-together that the next blocks take.
    void setLayout(std::int64_t alignment, std::int64_t indent, std::int64_t keep);
    // A beat block at y; y moves to its bottom.
    BeatReportView& addBeat(const Beatdb& beat);
    // Any other element, placed by its own frame; its bottom counts as the last block's bottom
    // when `advance` is set, and y then moves there.
    template <typename Element>
    Element& place(std::unique_ptr<Element> element, bool advance)
    {
        const float bottom = float(element->frame().bottom());
        Element& placed = view_->add(std::move(element));
        if (advance)
            advanceTo(bottom);
        return placed;
    }
    // Where the text beside a label starts: at `indent`, or after the label in `font` and a
    // space when the label is wider.
    static std::int64_t valueIndent(const QString& label, const QFont& font, std::int64_t labelIndent,
                                    std::int64_t indent);
    // The height a rule takes between two lines.
    static constexpr float kRuleGap = 6;
    // A rule from `indent` to the right margin in the gap under y; y moves below the gap.
    void addRule(std::int64_t indent);
    // Counts the last block's bottom without placing anything (a trailing separator).
    void advanceTo(float bottom);
    // Moves y to the next page's body top when fewer than `height` points are left above this
    // page's footer band, so that a picture placed at y stays on its page.
    void keepRoom(float height);
    // Coloured boxes behind an item reaching from `top` to `bottom`: one per page the item
    // reaches, each kept to that page's body so that none covers a header or footer, and drawn
    // under everything else.
    void placeBoxes(float top, float bottom, const QColor& colour);

    // Sets the page count and the view's height; the view is then ready to print.
    void finish();
    BaseReportView& view() { return *view_; }
    const BaseReportView& view() const { return *view_; }
    QString title() const override { return title_; }
    const PagedReportView& pages() const override { return *view_; }

private:
    const Screenplaydb& story_;
    QString title_;
    QSizeF paper_;
    std::unique_ptr<ReportInfo> info_;
    std::unique_ptr<BaseReportView> view_;
    float y_ = 0;
    std::optional<float> lastBottom_;
};

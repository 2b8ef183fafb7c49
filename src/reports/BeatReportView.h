#pragma once

#include "ReportElement.h"
#include "ReportInfo.h"

#include <QString>

class Beatdb;
class Screenplaydb;

// One beat of the beat sheet: a bold label naming the beat with its pages, and below it the
// beat's description, indented 15 points and split across pages like a text block. It is at
// least 42 points high and leaves 10 points under its last piece. A label that would not have
// the first two lines of its description under it on its page starts on the next page; the
// line feeds that begin a continuation stay, but for the one the break takes.
//
// Unlike a text block it keeps the builder's settings object itself (which must outlive it)
// and reads its margins again when it is drawn. The story and the beat must outlive it too.
class BeatReportView : public ReportElement
{
public:
    static constexpr float kLabelHeight = 16;
    static constexpr float kMinimumHeight = 42;

    BeatReportView(const Screenplaydb& story, QSizeF paperSize, const ReportInfo& builderInfo, const Beatdb& beat,
                   float startY);

    const QString& firstPartOfBeat() const { return firstPartOfBeat_; }
    float beatHeight() const { return beatHeight_; }
    QString label() const;

protected:
    void draw(QPainter& painter, const QRectF& area) const override;

private:
    const Screenplaydb& story_;
    const Beatdb& beat_;
    const ReportInfo& reportInfo_;
    QSizeF paperSize_;
    QString firstPartOfBeat_;
    float beatHeight_ = 0;
};

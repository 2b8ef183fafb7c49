#include "model/Toolkit.h"

#include "ReportText.h"

#include <QFont>

float Toolkit::heightForText(const QString& text, float width, const QFont& font, std::int64_t alignment) const
{
    return ReportText::measure(text, width, font, ReportText::lineBreakForAlignment(alignment));
}

float Toolkit::heightForString(const QString& text, const QFont& font, float width) const
{
    return ReportText::measure(text, width, font, ReportText::LineBreak::Wrap);
}

std::int64_t Toolkit::splitText(const QString& text, float height, float width, const QFont& font,
                                std::int64_t alignment) const
{
    return ReportText::fittingLength(text, height, width, font, ReportText::lineBreakForAlignment(alignment));
}

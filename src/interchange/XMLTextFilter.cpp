#include "XMLTextFilter.h"

namespace XMLTextFilter {

QString allowedText(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar unit = text.at(index);
        const char16_t code = unit.unicode();
        if (unit.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
            kept += unit;
            kept += text.at(++index);
            continue;
        }
        if (unit.isSurrogate())
            continue;
        if (code < 0x20 && code != u'\t' && code != u'\n' && code != u'\r')
            continue;
        if (code == 0xFFFE || code == 0xFFFF)
            continue;
        kept += unit;
    }
    return kept;
}

} // namespace XMLTextFilter

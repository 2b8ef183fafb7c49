#include "model/StringUtilities.h"
#include "model/Toolkit.h"

QString Toolkit::valueForTag(const QString& tag, const QString& text) const
{
    return StringUtilities::valueForTag(text, tag);
}

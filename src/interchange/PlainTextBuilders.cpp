// Plain texts built from a story in memory.
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/Toolkit.h"

#include <array>

namespace {

struct ScriptLayout {
    const char* elementType;
    const char* format;
};

// How each element type's paragraph is laid out; a type not listed writes nothing.
constexpr std::array<ScriptLayout, 15> kScriptLayouts = {{
    {"Action", "%1\n\n"},
    {"Character", "\t\t%1\n"},
    {"DDL-Character", "\t\t%1\n"},
    {"DDR-Character", "\t\t%1\n"},
    {"Parenthetical", "\t\t%1\n"},
    {"DDL-Parenthetical", "\t\t%1\n"},
    {"DDR-Parenthetical", "\t\t%1\n"},
    {"Dialogue", "\t%1\n\n"},
    {"DDL-Dialogue", "\t%1\n\n"},
    {"DDR-Dialogue", "\t%1\n\n"},
    {"Transition", "\t\t\t%1\n\n"},
    {"New Act", "\t\t%1\n\n"},
    {"End of Act", "\t\t%1\n\n"},
    {"Teaser", "\t\t%1\n\n"},
    {"Scene Heading", ""},
}};

} // namespace

QString Toolkit::buildTextStringForScript(Screenplaydb& story) const
{
    QString text = story.screenplayTitle() + QStringLiteral("\n\n\n");
    for (const auto& card : story.sceneCards()) {
        text += card->heading() + QStringLiteral("\n\n");
        for (const auto& part : card->scriptParts()) {
            const ScriptElementdb* element = story.elementForElementID(part->elementTypeID());
            if (!element)
                continue;
            for (const ScriptLayout& layout : kScriptLayouts) {
                if (element->elementType() == QLatin1StringView(layout.elementType)) {
                    if (*layout.format)
                        text += QString::fromLatin1(layout.format).arg(part->scriptText());
                    break;
                }
            }
        }
    }
    return text;
}

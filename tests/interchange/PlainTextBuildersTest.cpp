#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/Toolkit.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

namespace {

SceneCarddb& addCard(Screenplaydb& story, const QString& heading,
                     const std::vector<std::pair<const char*, const char*>>& parts)
{
    auto card = std::make_unique<SceneCarddb>();
    card->setHeading(heading);
    for (const auto& [type, text] : parts) {
        auto part = std::make_unique<ScriptPartdb>();
        const ScriptElementdb* element = story.elementForElementType(QString::fromUtf8(type));
        part->setElementTypeID(element ? element->scriptElementID() : 9999);
        part->setScriptText(QString::fromUtf8(text));
        card->scriptParts().push_back(std::move(part));
    }
    story.sceneCards().push_back(std::move(card));
    return *story.sceneCards().back();
}

} // namespace

TEST(PlainTextBuilders, TheScriptIsLaidOutWithTabsByElementType)
{
    NewStory file(QStringLiteral("Night Shift.vtrsf"));
    Screenplaydb& story = file.story();
    addCard(story, QStringLiteral("INT. DINER - NIGHT"),
            {{"Scene Heading", "not written"}, {"Action", "Rain on glass."}, {"Character", "JUNE (V.O.)"},
             {"Parenthetical", "(tired)"}, {"Dialogue", "Coffee?"}, {"DDL-Character", "A"}, {"DDL-Dialogue", "Now."},
             {"DDR-Character", "B"}, {"DDR-Parenthetical", "(calm)"}, {"DDR-Dialogue", "Later."},
             {"Transition", "CUT TO:"}, {"New Act", "ACT TWO"}, {"Unknown Type", "not written"}});
    // A card whose paragraphs were never loaded gives its heading only.
    addCard(story, QStringLiteral("EXT. LOT - NIGHT"), {});
    EXPECT_EQ(Toolkit().buildTextStringForScript(story),
              QStringLiteral("Night Shift\n\n\n"
                             "INT. DINER - NIGHT\n\n"
                             "Rain on glass.\n\n"
                             "\t\tJUNE (V.O.)\n\t\t(tired)\n\tCoffee?\n\n"
                             "\t\tA\n\tNow.\n\n\t\tB\n\t\t(calm)\n\tLater.\n\n"
                             "\t\t\tCUT TO:\n\n"
                             "\t\tACT TWO\n\n"
                             "EXT. LOT - NIGHT\n\n"));
    // Only what the story holds in memory: nothing is written to the file.
    EXPECT_EQ(file.count(QStringLiteral("SceneCard")), 0);
}

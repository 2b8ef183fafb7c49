// The bounded cousin of the Final Draft reader's fuzz target: damaged copies of sound scripts,
// each read by the reader's rules or refused with a reason.
#include "fuzz/FuzzInputs.h"
#include "support/ByteMutator.h"
#include "support/FdxText.h"

#include <gtest/gtest.h>

TEST(ReaderFuzz, DamagedScriptsAreReadByTheirRulesOrRefused)
{
    using namespace FdxText;
    // A script declaring an entity of its own, used a few times.
    const QByteArray withEntity = script(paragraph(QStringLiteral("Action"), QStringLiteral("&e;&e;&e;")));
    const QByteArray seeds[] = {
        script(heading(QStringLiteral("INT. LIGHTHOUSE - NIGHT"), QStringLiteral("1"), QStringLiteral("Storm"))
               + paragraph(QStringLiteral("Action"), QStringLiteral("Rain hammers the glass."))
               + paragraph(QStringLiteral("Character"), QStringLiteral("KEEPER"))
               + paragraph(QStringLiteral("Dialogue"), QStringLiteral("Not tonight."))),
        QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE FinalDraft [\n<!ENTITY e \"wave \">\n]>\n")
            + withEntity.mid(withEntity.indexOf('\n') + 1),
        script(QString(), lockedPages(2), QStringLiteral("Template")),
    };
    ByteMutator mutator(38);
    int read = 0;
    for (const QByteArray& seed : seeds) {
        ASSERT_TRUE(FuzzInputs::finalDraftScript(seed));
        for (int round = 0; round < 2000; ++round) {
            const QByteArray damaged = mutator.damage(seed);
            ASSERT_TRUE(FuzzInputs::finalDraftScript(damaged)) << damaged.toStdString();
            XMLParsedScript script;
            read += script.parseScriptData(damaged) ? 1 : 0;
        }
    }
    EXPECT_GT(read, 100);
}

// One fuzzing input: the bytes of a story file, opened and loaded as the window opens a story,
// with the look-ups the window makes right after. A refusal is a good answer; a crash, a
// sanitizer report or any other exception is a fault.
#include "model/DatabaseError.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("Fuzzed.vtrsf"));
    static const bool once = [] {
        qInstallMessageHandler(quiet);
        return true;
    }();
    (void)once;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    try {
        LoadedStory loaded = loadStoryFile(path);
        Screenplaydb& story = *loaded.story;
        for (auto* cards : {&story.sceneCards(), &story.litterBox()})
            for (auto& card : *cards) {
                story.charactersDescriptionForScene(*card);
                story.boardSections().pageNumberForPositionTop(card->positionTop(), card->positionLeft());
            }
        // Scripts are read later, by reports and exports, whose commands report a damaged
        // page they meet there in an alert: a DatabaseError is the answer expected of them.
        try {
            story.loadAllScriptParts();
        } catch (const DatabaseError&) {
        }
        story.finalizeAllSqliteStatements();
    } catch (const StoryFileRefused&) {
    }
    return 0;
}

#include "FinalDraftImport.h"

#include "NewStoryFile.h"
#include "XMLParsedScript.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"

#include <QFile>
#include <QFileInfo>

namespace {

struct RefusalTexts {
    const char* title;
    const char* notAScript;
    const char* noLockedPages;
    const char* pageCountOutOfRange;
};

const RefusalTexts& textsFor(ScriptImportEntry entry)
{
    static const RefusalTexts kNewStory = {
        "Import Final Draft Script",
        "The file doesn't appear to be a Final Draft 8/9 script file.",
        "The script must have page numbers. Lock the Pages under the Production menu in Final Draft then try again.",
        "The script must be from 4 to 1000 pages. Lock the Pages under the Production menu in Final Draft and try "
        "again.",
    };
    static const RefusalTexts kOpenStory = {
        "Import Final Draft 8/9 Script",
        "The file doesn't appear to be a Final Draft 8 or 9 script file.",
        "The script must have page numbers\nBe sure to open the script in Final Draft and Lock the Pages then Lock "
        "the A Pages under the Production menu.",
        "The script must be from 4 to 1000 pages.\nBe sure to open the script in Final Draft and Lock the Pages then "
        "Lock the A Pages under the Production menu.",
    };
    return entry == ScriptImportEntry::NewStory ? kNewStory : kOpenStory;
}

ImportRefusal refusal(const RefusalTexts& texts, const char* message, const QString& detail = QString())
{
    QString text = QString::fromUtf8(message);
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail;
    return ImportRefusal{QString::fromUtf8(texts.title), text};
}

ImportRefusal newFileFailure()
{
    return ImportRefusal{QStringLiteral("New File"), QStringLiteral("Unable to create the new file.")};
}

} // namespace

namespace FinalDraftImport {

std::optional<ImportRefusal> readScript(const QString& scriptPath, XMLParsedScript& script, ScriptImportEntry entry)
{
    const RefusalTexts& texts = textsFor(entry);
    const QString name = QFileInfo(scriptPath).fileName();
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(texts, texts.notAScript,
                       QStringLiteral("\"%1\" cannot be read: %2").arg(name, file.errorString()));
    if (!script.parseScriptData(file.readAll()))
        return refusal(texts, texts.notAScript,
                       QStringLiteral("\"%1\" breaks off or is damaged at line %2: %3")
                           .arg(name)
                           .arg(script.errorLine())
                           .arg(script.errorString()));
    if (!script.isFinalDraft() || !script.isScript())
        return refusal(texts, texts.notAScript);
    if (!script.pageOffsets())
        return refusal(texts, texts.noLockedPages);
    const std::size_t pages = script.pageOffsets()->size();
    if (pages < kFewestPages || pages > kMostPages)
        return refusal(texts, texts.pageCountOutOfRange);
    return std::nullopt;
}

std::optional<ImportRefusal> makeStoryFromScript(const XMLParsedScript& script, const QString& scriptPath,
                                                 const QString& targetPath, const QString& masterPath)
{
    NewStoryFile file(targetPath);
    if (!file.create(masterPath))
        return newFileFailure();
    const QString title = QString::fromUtf8(textsFor(ScriptImportEntry::NewStory).title);
    QString message;
    switch (file.writeStory(
        [&](Screenplaydb& story) {
            story.setScreenplayTitle(QFileInfo(scriptPath).completeBaseName());
            story.save();
            Toolkit().processFinalDraft8Script(script, story);
        },
        &message)) {
    case NewStoryFile::WriteFailure::Open:
        return ImportRefusal{title, QStringLiteral("Unable to open the new file.\n\n%1").arg(message)};
    case NewStoryFile::WriteFailure::Write:
        return ImportRefusal{title,
                             QStringLiteral("The script could not be written into the new story.\n\n%1").arg(message)};
    case NewStoryFile::WriteFailure::None:
        break;
    }
    if (!file.commit())
        return newFileFailure();
    return std::nullopt;
}

} // namespace FinalDraftImport

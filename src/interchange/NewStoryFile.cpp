#include "NewStoryFile.h"

#include "model/DatabaseError.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/StoryTransaction.h"
#include "model/Toolkit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>

NewStoryFile::NewStoryFile(QString targetPath)
    : targetPath_(std::move(targetPath))
{
}

NewStoryFile::~NewStoryFile()
{
    discard();
}

void NewStoryFile::discard()
{
    if (workingPath_.isEmpty())
        return;
    QFile::remove(workingPath_);
    QFile::remove(workingPath_ + QStringLiteral("-journal"));
    QDir().rmdir(QFileInfo(workingPath_).absolutePath());
    workingPath_.clear();
}

bool NewStoryFile::create(const QString& masterPath)
{
    discard();
    const QFileInfo target(targetPath_);
    // A folder of its own beside the target keeps the final rename on one file system, and the
    // file in it has the target's name, which the defaults take the story's title from.
    QTemporaryDir folder(QDir(target.absolutePath()).filePath(QStringLiteral(".vantora-new-XXXXXX")));
    if (!folder.isValid())
        return false;
    folder.setAutoRemove(false);
    workingPath_ = QDir(folder.path()).filePath(target.fileName());
    if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), workingPath_) ||
        !Toolkit().populateDefaults(masterPath, workingPath_)) {
        discard();
        return false;
    }
    return true;
}

NewStoryFile::WriteFailure NewStoryFile::writeStory(const std::function<void(Screenplaydb&)>& write,
                                                   QString* message)
{
    DatabaseConnection connection;
    try {
        connection = StoryFile::open(workingPath_);
    } catch (const DatabaseError& error) {
        if (message)
            *message = error.message();
        return WriteFailure::Open;
    }
    Screenplaydb story;
    try {
        story.initWithDatabase(connection.get());
        story.setFileName(targetPath_);
        story.hydrate();
        StoryTransaction transaction(connection.get());
        write(story);
        transaction.commit();
        story.finalizeAllSqliteStatements();
        connection.close();
    } catch (const DatabaseError& error) {
        story.finalizeAllSqliteStatements();
        if (message)
            *message = error.message();
        return WriteFailure::Write;
    }
    return WriteFailure::None;
}

bool NewStoryFile::commit()
{
    if (workingPath_.isEmpty())
        return false;
    // rename() replaces the target in one step; no moment exists without a file there.
    if (std::rename(QFile::encodeName(workingPath_).constData(), QFile::encodeName(targetPath_).constData()) != 0) {
        discard();
        return false;
    }
    QDir().rmdir(QFileInfo(workingPath_).absolutePath());
    workingPath_.clear();
    return true;
}

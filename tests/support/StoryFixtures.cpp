#include "StoryFixtures.h"

#include "model/Toolkit.h"

#include <sqlite3.h>

#include <stdexcept>

NewStory::NewStory(const QString& fileName)
{
    if (!folder_.isValid())
        throw std::runtime_error("no temporary folder");
    masterPath_ = folder_.filePath(QStringLiteral("Master.vtrmf"));
    path_ = folder_.filePath(fileName);
    if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), masterPath_) ||
        !StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path_))
        throw std::runtime_error("cannot copy the templates");
    if (!Toolkit().populateDefaults(masterPath_, path_))
        throw std::runtime_error("cannot fill the new story");
    reopen();
}

void NewStory::reopen()
{
    opened_.open(path_);
    opened_.story->setFileName(path_);
    opened_.story->hydrate();
}

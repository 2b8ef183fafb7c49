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
    if (story_)
        story_->finalizeAllSqliteStatements();
    story_.reset();
    connection_ = DatabaseConnection();
    connection_ = StoryFile::open(path_);
    story_ = std::make_unique<Screenplaydb>();
    story_->initWithDatabase(connection_.get());
    story_->setFileName(path_);
    story_->hydrate();
}

#include "TempStory.h"

#include <sqlite3.h>

#include <stdexcept>

TempStory::TempStory()
{
    if (!folder_.isValid())
        throw std::runtime_error("no temporary folder");
    path_ = folder_.filePath(QStringLiteral("Story.vtrsf"));
    if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path_))
        throw std::runtime_error("cannot copy the story template");
    reopen();
}

TempStory::~TempStory()
{
    story_.reset();
}

void TempStory::reopen()
{
    story_.reset();
    connection_ = DatabaseConnection();
    connection_ = StoryFile::open(path_);
    story_ = std::make_unique<Screenplaydb>();
    story_->initWithDatabase(connection_.get());
}

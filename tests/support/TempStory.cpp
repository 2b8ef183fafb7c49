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
    opened_.close();
}

void TempStory::reopen()
{
    opened_.open(path_);
}

void OpenedStory::open(const QString& path)
{
    close();
    connection = StoryFile::open(path);
    story = std::make_unique<Screenplaydb>();
    story->initWithDatabase(connection.get());
}

void OpenedStory::close()
{
    if (story)
        story->finalizeAllSqliteStatements();
    story.reset();
    connection = DatabaseConnection();
}

#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "QtPrinting.h"
#include "SqlProbe.h"
#include "TempStory.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"

struct sqlite3;

// A new story made as the program makes one: the template copied into a temporary folder,
// filled with the new-story defaults from a master file made from its own template, then
// opened and loaded.
class NewStory
{
public:
    explicit NewStory(const QString& fileName = QStringLiteral("Awesome Screenplay.vtrsf"));

    const QString& path() const { return path_; }
    const QString& masterPath() const { return masterPath_; }
    sqlite3* db() const { return opened_.connection.get(); }
    Screenplaydb& story() { return *opened_.story; }

    // Closes the story and opens and loads it again.
    void reopen();
    QString scalar(const QString& sql) const { return SqlProbe::scalar(db(), sql); }
    long long count(const QString& table) const { return SqlProbe::count(db(), table); }
    void exec(const QString& sql) const { SqlProbe::exec(db(), sql); }

private:
    QTemporaryDir folder_;
    QString path_;
    QString masterPath_;
    OpenedStory opened_;
};

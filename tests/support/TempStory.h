#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "QtPrinting.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"

struct sqlite3;

// A story file copied from the template into a temporary folder, with an open connection and
// a Screenplaydb on it.
class TempStory
{
public:
    TempStory();
    ~TempStory();

    const QString& path() const { return path_; }
    sqlite3* db() const { return connection_.get(); }
    Screenplaydb& story() { return *story_; }

    // Drops the connection and the story object and opens the file afresh, as a later
    // session of the program would.
    void reopen();

    // Runs one SQL text and answers the first column of the first row as text ("" when none).
    QString scalar(const QString& sql) const;
    long long count(const QString& table) const;
    void exec(const QString& sql) const;

private:
    QTemporaryDir folder_;
    QString path_;
    DatabaseConnection connection_;
    std::unique_ptr<Screenplaydb> story_;
};

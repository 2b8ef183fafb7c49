#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "QtPrinting.h"
#include "SqlProbe.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"

struct sqlite3;

// A story file's connection and the story made on it, as a later session of the program
// would open them.
struct OpenedStory {
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> story;

    // Closes what is open, then opens `path` and reads its title row.
    void open(const QString& path);
    void close();
};

// A story file copied from the template into a temporary folder, with an open connection and
// a Screenplaydb on it.
class TempStory
{
public:
    TempStory();
    ~TempStory();

    const QString& path() const { return path_; }
    sqlite3* db() const { return opened_.connection.get(); }
    Screenplaydb& story() { return *opened_.story; }

    // Drops the connection and the story object and opens the file afresh, as a later
    // session of the program would.
    void reopen();

    QString scalar(const QString& sql) const { return SqlProbe::scalar(db(), sql); }
    long long count(const QString& table) const { return SqlProbe::count(db(), table); }
    void exec(const QString& sql) const { SqlProbe::exec(db(), sql); }

private:
    QTemporaryDir folder_;
    QString path_;
    OpenedStory opened_;
};

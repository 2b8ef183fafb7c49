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

QString TempStory::scalar(const QString& sql) const
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db(), text.constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db()));
    QString result;
    if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    else if (sqlite3_column_type(statement, 0) == SQLITE_NULL)
        result = QStringLiteral("<NULL>");
    sqlite3_finalize(statement);
    return result;
}

long long TempStory::count(const QString& table) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong();
}

void TempStory::exec(const QString& sql) const
{
    char* error = nullptr;
    if (sqlite3_exec(db(), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown";
        sqlite3_free(error);
        throw std::runtime_error(message + " in " + sql.toStdString());
    }
}

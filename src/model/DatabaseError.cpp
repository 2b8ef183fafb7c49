#include "DatabaseError.h"

#include "StoryLog.h"


#include <sqlite3.h>

DatabaseError::DatabaseError(QString source, int line, QString message, int sqliteCode)
    : std::runtime_error(message.toStdString())
    , source_(std::move(source))
    , line_(line)
    , message_(std::move(message))
    , sqliteCode_(sqliteCode)
{
}

QString databaseMessage(const char* format, sqlite3* db)
{
    const QString text = QString::fromUtf8(format);
    const QString sqliteText = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no database connection");
    QString result = text;
    const qsizetype at = result.indexOf(QLatin1String("%s"));
    if (at >= 0)
        result.replace(at, 2, sqliteText);
    return result;
}

void raiseDatabaseError(const char* source, const char* format, sqlite3* db, int line)
{
    const QString message = databaseMessage(format, db);
    qCWarning(lcStory).noquote() << QStringLiteral("%1:%2 %3").arg(QString::fromUtf8(source)).arg(line).arg(message);
    throw DatabaseError(QString::fromUtf8(source), line, message, db ? sqlite3_extended_errcode(db) : 0);
}

void logDatabaseProblem(const char* source, const QString& text, int line)
{
    qCWarning(lcStory).noquote() << QStringLiteral("%1:%2 %3").arg(QString::fromUtf8(source)).arg(line).arg(text);
}

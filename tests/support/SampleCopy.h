#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

struct sqlite3;

// A copy of one of the sample stories the build writes, in a temporary folder of its own, for
// tests that damage, lock or measure a real story file.
class SampleCopy
{
public:
    // The Balloon Race sample unless another file name of the samples folder is given.
    explicit SampleCopy(const QString& sample = QStringLiteral("Sample - The Last Balloon Race.vtrsf"));
    ~SampleCopy();

    const QString& path() const { return path_; }
    QString folder() const { return folder_.path(); }
    QByteArray bytes() const;
    void setBytes(const QByteArray& bytes) const;
    // Runs SQL on the file through a connection of its own, closed again at once.
    void exec(const QString& sql) const;
    // The first column of the first row, read through a connection of its own.
    QString scalar(const QString& sql) const;

    static QString samplesFolder();

private:
    QTemporaryDir folder_;
    QString path_;
};

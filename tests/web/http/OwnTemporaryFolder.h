#pragma once

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// Points the temporary folder of this process at a fresh folder of its own while it lives, so
// a test can see every temporary file a request leaves behind.
class OwnTemporaryFolder
{
public:
    OwnTemporaryFolder()
        : before_(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", folder_.path().toLocal8Bit());
    }
    ~OwnTemporaryFolder() { qputenv("TMPDIR", before_); }
    OwnTemporaryFolder(const OwnTemporaryFolder&) = delete;
    OwnTemporaryFolder& operator=(const OwnTemporaryFolder&) = delete;
    // The files left in it.
    QStringList entries() const { return QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden); }

private:
    QByteArray before_;
    QTemporaryDir folder_;
};

#include "SampleCopy.h"

#include "SqlProbe.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

namespace {

// A plain connection of the test's own, as `sqlite3` would open the file.
class RawConnection
{
public:
    explicit RawConnection(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the sample copy");
    }
    ~RawConnection() { sqlite3_close_v2(db_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

} // namespace

SampleCopy::SampleCopy(const QString& sample)
    : path_(folder_.filePath(sample))
{
    if (!QFile::copy(QDir(samplesFolder()).filePath(sample), path_))
        throw std::runtime_error("cannot copy the sample story");
    QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

SampleCopy::~SampleCopy()
{
    // A test may have made the folder or the file read-only; the folder must go all the same.
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QByteArray SampleCopy::bytes() const
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void SampleCopy::setBytes(const QByteArray& bytes) const
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the sample copy");
}

void SampleCopy::exec(const QString& sql) const
{
    RawConnection connection(path_);
    SqlProbe::exec(connection.get(), sql);
}

QString SampleCopy::scalar(const QString& sql) const
{
    RawConnection connection(path_);
    return SqlProbe::scalar(connection.get(), sql);
}

QString SampleCopy::samplesFolder()
{
    return QStringLiteral(VANTORA_SAMPLES_DIR);
}

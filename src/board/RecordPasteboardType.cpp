#include "RecordPasteboardType.h"

#include <QCoreApplication>
#include <QMimeData>

namespace RecordPasteboardType {

namespace {

// A document is named by the process and its address: unique among the documents alive at
// once, and never equal to one of another run of the program.
QByteArray documentTag(const MyDocument* document)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(document));
}

} // namespace

QString mimeType(const QString& type)
{
    return QStringLiteral("application/x-vantora-") + type;
}

QString sourceMimeType()
{
    return QStringLiteral("application/x-vantora-source-document");
}

std::unique_ptr<QMimeData> makeDragData(const QString& type, std::int64_t value, const MyDocument* source)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(mimeType(type), QByteArray::number(static_cast<qlonglong>(value)));
    data->setData(sourceMimeType(), documentTag(source));
    return data;
}

bool offers(const QMimeData* data, const QString& type)
{
    return data && data->hasFormat(mimeType(type));
}

std::optional<std::int64_t> value(const QMimeData* data, const QString& type)
{
    if (!offers(data, type))
        return std::nullopt;
    bool ok = false;
    const qlonglong number = QString::fromUtf8(data->data(mimeType(type))).trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

bool comesFrom(const QMimeData* data, const MyDocument* document)
{
    return data && document && data->hasFormat(sourceMimeType()) && data->data(sourceMimeType()) == documentTag(document);
}

std::optional<std::size_t> positionForRow(std::int64_t row, std::size_t count)
{
    if (row < 0)
        return std::nullopt;
    const auto position = static_cast<std::uint64_t>(row / 3);
    if (position >= count)
        return std::nullopt;
    return static_cast<std::size_t>(position);
}

} // namespace RecordPasteboardType

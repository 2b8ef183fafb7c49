#include "AttachmentContent.h"

#include "NotesBoardGeometry.h"

#include <QBuffer>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace AttachmentContent {

namespace {

constexpr int kIconSide = 64;

QImage scaledTo(const QImage& image, const QSizeF& size)
{
    return image.scaled(NotesBoardGeometry::pixelSize(size), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

bool hasPictureExtension(const QString& path)
{
    static const std::array<QString, 8> kExtensions = {
        QStringLiteral("jpg"), QStringLiteral("tif"), QStringLiteral("bmp"), QStringLiteral("png"),
        QStringLiteral("jpeg"), QStringLiteral("gif"), QStringLiteral("wmf"), QStringLiteral("tiff")};
    const QString extension = QFileInfo(path).suffix().toLower();
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

QByteArray jpegBytes(const QImage& image)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // JPEG has no transparency: transparent parts become white rather than black.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    if (!opaque.save(&buffer, "JPG"))
        bytes.clear();
    return bytes;
}

std::optional<Content> pictureContent(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    Content content;
    content.objectType = kPicture;
    const QSizeF size = image.size();
    content.thumbnail = jpegBytes(scaledTo(image, NotesBoardGeometry::thumbnailSize(size)));
    if (const auto reduced = NotesBoardGeometry::reducedPictureSize(size))
        content.object = jpegBytes(scaledTo(image, *reduced));
    else
        content.object = bytes;
    if (content.thumbnail.isEmpty() || content.object.isEmpty())
        return std::nullopt;
    return content;
}

QByteArray fileIconThumbnail(const QString& path)
{
    QPixmap icon = QFileIconProvider().icon(QFileInfo(path)).pixmap(kIconSide, kIconSide);
    if (icon.isNull())
        icon = QPixmap(QStringLiteral(":/images/GenericFile.png"));
    return jpegBytes(icon.toImage());
}

Content fileContent(const QString& path, const QByteArray& bytes)
{
    Content content;
    content.objectType = kFile;
    content.thumbnail = fileIconThumbnail(path);
    content.object = bytes;
    return content;
}

} // namespace AttachmentContent

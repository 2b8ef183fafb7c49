#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

class QImage;

// What a new attachment of the notes board stores: a picture or any other file, a JPEG
// thumbnail and the content itself. Pictures keep their own bytes while their longer side is
// at most 1024 points, else a JPEG of them at that size; thumbnails are at most 400 wide.
// Other files keep their bytes whole and show their type's icon.
namespace AttachmentContent {

inline constexpr std::int64_t kPicture = 1;
inline constexpr std::int64_t kFile = 2;
// Files above this many bytes are attached only after a question.
inline constexpr qint64 kLargeFileBytes = 1024000;

struct Content {
    std::int64_t objectType = kFile;
    QByteArray thumbnail;
    QByteArray object;
};

// Whether the path names a picture by its extension (any case): jpg, jpeg, tif, tiff, bmp,
// png, gif, wmf.
bool hasPictureExtension(const QString& path);

// The image written as JPEG at the platform's default quality; empty for a null image.
QByteArray jpegBytes(const QImage& image);
// The picture in `bytes` as an attachment stores it; nothing when the bytes decode to no
// picture.
std::optional<Content> pictureContent(const QByteArray& bytes);
// A file attachment of `bytes`, its thumbnail the icon of `path`'s type (the program's own
// file picture when the system has none).
Content fileContent(const QString& path, const QByteArray& bytes);
// The thumbnail of a file attachment.
QByteArray fileIconThumbnail(const QString& path);

} // namespace AttachmentContent

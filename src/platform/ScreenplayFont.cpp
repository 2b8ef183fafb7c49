#include "ScreenplayFont.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QStringList>

#include <cstring>

Q_LOGGING_CATEGORY(lcScreenplayFont, "vantora.platform.font")

namespace ScreenplayFont {

namespace {

const QString kFamily = QStringLiteral("Courier Prime");

// The names the upright regular file goes by in the family's packages.
const QStringList kRegularFileNames{QStringLiteral("Courier Prime.otf"), QStringLiteral("Courier Prime.ttf"),
                                    QStringLiteral("CourierPrime-Regular.otf"),
                                    QStringLiteral("CourierPrime-Regular.ttf")};

QStringList fontFolders()
{
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::FontsLocation);
    for (const QString& folder : {QStringLiteral("/usr/local/share/fonts"), QStringLiteral("/usr/share/fonts")})
        if (!folders.contains(folder))
            folders.append(folder);
    return folders;
}

QString findRegularFace()
{
    for (const QString& folder : fontFolders()) {
        if (!QFileInfo(folder).isDir())
            continue;
        QDirIterator files(folder, kRegularFileNames, QDir::Files, QDirIterator::Subdirectories);
        if (files.hasNext())
            return files.next();
    }
    return QString();
}

// A PostScript name holds printable ASCII but for the space and "()<>[]{}/%". Some font files
// put a space in theirs; a PDF writer then embeds the face under no name at all. Their name
// records are rewritten in place, shorter, without those characters.
QByteArray withValidPostScriptName(QByteArray data)
{
    const auto u16 = [&data](qsizetype at) -> quint32 {
        return at >= 0 && at + 2 <= data.size() ? (quint32(uchar(data[at])) << 8) | uchar(data[at + 1]) : 0;
    };
    const auto u32 = [&u16](qsizetype at) -> quint32 { return (u16(at) << 16) | u16(at + 2); };
    qsizetype table = -1;
    const quint32 tables = u16(4);
    for (quint32 index = 0; index < tables; ++index) {
        const qsizetype entry = 12 + 16 * qsizetype(index);
        if (entry + 16 <= data.size() && data.mid(entry, 4) == "name")
            table = qsizetype(u32(entry + 8));
    }
    if (table < 0 || table + 6 > data.size())
        return data;
    const qsizetype storage = table + qsizetype(u16(table + 4));
    const quint32 count = u16(table + 2);
    for (quint32 index = 0; index < count; ++index) {
        const qsizetype record = table + 6 + 12 * qsizetype(index);
        if (record + 12 > data.size())
            break;
        if (u16(record + 6) != 6)
            continue;
        const qsizetype start = storage + qsizetype(u16(record + 10));
        const qsizetype length = qsizetype(u16(record + 8));
        if (start + length > data.size())
            continue;
        // Macintosh names are bytes, the others UTF-16.
        const qsizetype unit = u16(record) == 1 ? 1 : 2;
        QByteArray kept;
        for (qsizetype at = start; at + unit <= start + length; at += unit) {
            const quint32 code = unit == 1 ? quint32(uchar(data[at])) : u16(at);
            if (code > 32 && code < 127 && !std::strchr("()<>[]{}/%", char(code)))
                kept.append(data.mid(at, unit));
        }
        if (kept.size() == length)
            continue;
        data.replace(start, kept.size(), kept);
        data[record + 8] = char(kept.size() >> 8);
        data[record + 9] = char(kept.size() & 0xff);
    }
    return data;
}

struct LoadedFace {
    QString path;
    QString family;
};

LoadedFace load()
{
    const QString path = findRegularFace();
    if (!path.isEmpty()) {
        // The system's fonts are read in first: a face added before them loses its place in the
        // family to the system's files when they are read.
        QFontDatabase::families();
        QFile file(path);
        const int id = file.open(QIODevice::ReadOnly)
            ? QFontDatabase::addApplicationFontFromData(withValidPostScriptName(file.readAll()))
            : -1;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id >= 0 && !families.isEmpty())
            return {path, families.front()};
        qCWarning(lcScreenplayFont) << "The script font file" << path << "could not be loaded.";
    } else {
        qCWarning(lcScreenplayFont) << "The upright regular face of" << kFamily
                                    << "was not found; the system's choice is used.";
    }
    return {QString(), kFamily};
}

const LoadedFace& loaded()
{
    static const LoadedFace face = load();
    return face;
}

} // namespace

QString family()
{
    return loaded().family;
}

QFont font(int pixels)
{
    QFont font(family());
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixels);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

QString regularFacePath()
{
    return loaded().path;
}

} // namespace ScreenplayFont

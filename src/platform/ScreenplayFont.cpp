#include "ScreenplayFont.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QStringList>

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
        const int id = QFontDatabase::addApplicationFont(path);
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

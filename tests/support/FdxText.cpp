#include "FdxText.h"

#include <QFile>

namespace FdxText {

QString lockedPages(int count)
{
    QString pages = QStringLiteral("<LockedPages>");
    for (int page = 1; page <= count; ++page)
        pages += QStringLiteral("<LockedPage PageNumber=\"%1\" Position=\"%2\"/>").arg(page).arg(page * 1000);
    return pages + QStringLiteral("</LockedPages>");
}

QByteArray script(const QString& paragraphs, const QString& extra, const QString& documentType)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
                          "<FinalDraft DocumentType=\"%1\" Template=\"No\" Version=\"1\">\n"
                          "<Content>%2</Content>\n%3\n</FinalDraft>\n")
        .arg(documentType, paragraphs, extra)
        .toUtf8();
}

QString paragraph(const QString& type, const QString& text)
{
    return QStringLiteral("<Paragraph Type=\"%1\"><Text>%2</Text></Paragraph>").arg(type, text);
}

QString heading(const QString& text, const QString& page, const QString& title)
{
    const QString titleAttribute = title.isEmpty() ? QString() : QStringLiteral(" Title=\"%1\"").arg(title);
    return QStringLiteral("<Paragraph Type=\"Scene Heading\"><SceneProperties Page=\"%1\"%2/><Text>%3</Text>"
                          "</Paragraph>")
        .arg(page, titleAttribute, text);
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace FdxText

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small Final Draft script texts for tests, written here and nowhere else.
namespace FdxText {

// The locked-pages element with pages "1".."count".
QString lockedPages(int count);
// A whole script: the root element of the given document type around the content paragraphs,
// then `extra` (locked pages, smart-type lists, element settings) as given.
QByteArray script(const QString& paragraphs, const QString& extra = lockedPages(4),
                  const QString& documentType = QStringLiteral("Script"));
// One paragraph of a type with its text.
QString paragraph(const QString& type, const QString& text);
// A scene heading starting on a page, with an optional scene title.
QString heading(const QString& text, const QString& page, const QString& title = QString());
// Writes bytes to a file; answers its path.
QString writeFile(const QString& path, const QByteArray& bytes);

} // namespace FdxText

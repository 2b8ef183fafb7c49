#pragma once

#include <QString>

class QTextDocument;

// How the notes board keeps a note's formatted text: as RTF text in the record, next to its
// plain-text twin that the caller stores as well.
namespace NoteRichText {

// Replaces the document's text with the stored RTF; answers false, leaving the document
// empty, when the RTF holds no text.
bool read(QTextDocument& document, const QString& rtf);
// The document's whole text as RTF.
QString write(const QTextDocument& document);

} // namespace NoteRichText

#pragma once

#include <QString>

class QTextDocument;

// How the notes board keeps a note's formatted text: as RTF text (model/RichText.h) in the
// record, which holds it as a string, next to its plain-text twin that the caller stores too.
namespace NoteRichText {

// Replaces the document's text with the stored RTF; answers false, leaving the document
// empty, when the RTF holds no text.
bool read(QTextDocument& document, const QString& rtf);
// The document's whole text as RTF.
QString write(const QTextDocument& document);
// A plain text as RTF in the default format.
QString ofPlainText(const QString& text);

} // namespace NoteRichText

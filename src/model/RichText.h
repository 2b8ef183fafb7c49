#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Formatted note text kept as RTF: sticky notes and attachment descriptions hold their text in
// this form, next to a plain-text twin.
//
// Reading understands groups, the font and colour tables, bold, italic, underline, font size,
// text colour, font, paragraph alignment, paragraph and line breaks, tabs, a few named
// punctuation marks, characters written as \'hh (Windows-1252) and as \uN (with \ucN fallback
// skipping), and \bin data. Destinations it does not show (marked \* or known as such: style
// sheets, document information, pictures, headers and footers...) and unknown control words
// are passed over. Input is untrusted: groups nested deeper than 64 levels are read as empty,
// numbers are clamped, and a text larger than 16 MiB or one that does not begin with "{\rtf"
// is not RTF.
//
// Writing gives plain 7-bit text that the reader (and common word processors) read back with
// the same text, paragraphs, alignment, bold, italic, underline, size, colour and font
// family; every character outside printable ASCII is written as \uN.

// The text of an RTF document: paragraphs separated by "\n", line breaks as "\n", tabs as
// "\t", non-breaking spaces as spaces (what QTextDocument::toPlainText gives for the same
// document). Empty when `rtf` is not RTF.
QString rtfPlainText(const QByteArray& rtf);

// Replaces the whole content of `document` with the RTF text. Answers false, and leaves the
// document empty, when `rtf` is not RTF; an RTF text cut short gives what it holds so far.
bool readRtf(QTextDocument& document, const QByteArray& rtf);

// The RTF form of the document's whole text and character formats.
QByteArray writeRtf(const QTextDocument& document);

// The RTF form of a plain text in the default format, one paragraph per line.
QByteArray rtfForPlainText(const QString& text);

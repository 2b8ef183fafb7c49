#include "NoteRichText.h"

#include <QTextDocument>

namespace NoteRichText {

// Until the board reads and writes formatting, the plain-text twin carries the note's text.
bool read(QTextDocument& document, const QString& rtf)
{
    Q_UNUSED(rtf);
    document.clear();
    return false;
}

QString write(const QTextDocument& document)
{
    Q_UNUSED(document);
    return QString();
}

} // namespace NoteRichText

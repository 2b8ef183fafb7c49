#include "NoteRichText.h"

#include "model/RichText.h"

#include <QTextDocument>

namespace NoteRichText {

bool read(QTextDocument& document, const QString& rtf)
{
    // Filled by the program, not typed: nothing of it can be undone, and a field's typing
    // pause does not take it for typing.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    const bool read = readRtf(document, rtf.toUtf8()) && !document.isEmpty();
    document.setUndoRedoEnabled(undo);
    return read;
}

QString write(const QTextDocument& document)
{
    return QString::fromUtf8(writeRtf(document));
}

QString ofPlainText(const QString& text)
{
    return QString::fromUtf8(rtfForPlainText(text));
}

} // namespace NoteRichText

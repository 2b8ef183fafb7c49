#include "NoteRichText.h"

#include "model/RichText.h"

#include <QTextDocument>

namespace NoteRichText {

bool read(QTextDocument& document, const QString& rtf)
{
    return readRtf(document, rtf.toUtf8()) && !document.isEmpty();
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

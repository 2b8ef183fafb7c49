#include "PdfProbe.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Runs a poppler tool; its standard output, or nothing (with the complaint) when it failed.
bool runTool(const QString& program, const QStringList& arguments, QByteArray* output, QString* error)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    *output = process.readAllStandardOutput();
    return true;
}

// The text as a reader would search it: entities resolved. Ligature glyphs ("fi", "ff") stay as
// the single symbols a reader's search would meet.
QString unescaped(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

PdfProbe::PdfProbe(const QString& path)
    : path_(path)
{
    if (!QFileInfo::exists(path)) {
        error_ = QStringLiteral("no such file: ") + path;
        return;
    }
    QByteArray info;
    if (!runTool(QStringLiteral("pdfinfo"), {path}, &info, &error_))
        return;
    info_ = QString::fromUtf8(info);
    QByteArray html;
    if (!runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")}, &html, &error_))
        return;
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"
                       R"re(|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*?)</word>)re"));
    for (const QRegularExpressionMatch& match : tag.globalMatch(QString::fromUtf8(html))) {
        if (!match.captured(1).isEmpty()) {
            pageSizes_.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
            continue;
        }
        const double left = match.captured(3).toDouble();
        const double top = match.captured(4).toDouble();
        const QPointF bottomRight(match.captured(5).toDouble(), match.captured(6).toDouble());
        const QRectF box(QPointF(left, top), bottomRight);
        words_.push_back({int(pageSizes_.size()), unescaped(match.captured(7)), box});
    }
    ok_ = true;
}

QString PdfProbe::pageText(int page) const
{
    QStringList texts;
    for (const Word& word : words_)
        if (word.page == page)
            texts.append(word.text);
    return texts.join(QLatin1Char(' '));
}

QString PdfProbe::text() const
{
    QStringList pages;
    for (int page = 1; page <= pageCount(); ++page)
        pages.append(pageText(page));
    return pages.join(QLatin1Char('\n'));
}

const PdfProbe::Word* PdfProbe::find(const QString& text, int page) const
{
    for (const Word& word : words_)
        if (word.text == text && (page == 0 || word.page == page))
            return &word;
    return nullptr;
}

QImage PdfProbe::render(int page, int dpi) const
{
    QTemporaryDir folder;
    const QString prefix = folder.filePath(QStringLiteral("page"));
    QByteArray ignored;
    QString error;
    if (!runTool(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                  QString::number(page), QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"),
                  path_, prefix},
                 &ignored, &error))
        return QImage();
    return QImage(prefix + QStringLiteral(".png"));
}

QString PdfProbe::info(const QString& key) const
{
    const QString pattern = QStringLiteral("^") + QRegularExpression::escape(key) + QStringLiteral(":[ \\t]*(.*)$");
    const QRegularExpression line(pattern, QRegularExpression::MultilineOption);
    return line.match(info_).captured(1).trimmed();
}

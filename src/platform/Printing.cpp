#include "ModalRun.h"
#include "Platform.h"
#include "QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

QPageLayout pageLayoutForPaper(QSizeF paperSize)
{
    const bool landscape = paperSize.width() > paperSize.height();
    const QSizeF portrait = landscape ? paperSize.transposed() : paperSize;
    return QPageLayout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::ExactMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Point);
}

QString printDocumentName(const QString& title)
{
    static const QString kUnwritable = QStringLiteral("/\\:*?\"<>|");
    QString name = title;
    for (QChar& character : name)
        if (kUnwritable.contains(character) || character.category() == QChar::Other_Control)
            character = QLatin1Char('-');
    return name;
}

PrintResult writePdfFile(const PrintJob& job, const QString& path, int firstPage, int lastPage)
{
    const QString failed = QStringLiteral("The report could not be written to \"%1\".")
                               .arg(QDir::toNativeSeparators(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {PrintResult::Failed, failed + QLatin1Char(' ') + file.errorString()};
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(job.title);
        writer.setCreator(QStringLiteral("Vantora"));
        writer.setPageLayout(pageLayoutForPaper(job.paperSize));
        painted = job.paint && job.paint(writer, firstPage, lastPage);
    }
    if (!painted) {
        file.cancelWriting();
        return {PrintResult::Failed, failed};
    }
    if (!file.commit())
        return {PrintResult::Failed, failed + QLatin1Char(' ') + file.errorString()};
    return {PrintResult::Printed, QString()};
}

PrintResult QtPrintPanels::runPrintPanel(const PrintJob& job)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(printDocumentName(job.title));
    printer.setCreator(QStringLiteral("Vantora"));
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutForPaper(job.paperSize));
    printer.setFromTo(1, job.pageCount);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setMinMax(1, job.pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (ModalRun::exec(dialog) != QDialog::Accepted)
        return {PrintResult::Cancelled, QString()};
    int first = 1;
    int last = job.pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = qBound(1, printer.fromPage(), job.pageCount);
        last = qBound(first, printer.toPage() > 0 ? printer.toPage() : job.pageCount, job.pageCount);
    }
    // A PDF file is written whole or not at all.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return writePdfFile(job, printer.outputFileName(), first, last);
    // The dialog may have changed the paper; the report keeps its own.
    printer.setPageLayout(pageLayoutForPaper(job.paperSize));
    if (!job.paint || !job.paint(printer, first, last))
        return {PrintResult::Failed, QStringLiteral("The report could not be sent to the printer \"%1\".")
                                         .arg(printer.printerName())};
    return {PrintResult::Printed, QString()};
}

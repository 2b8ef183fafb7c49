#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

// Reads a PDF file back with poppler's command-line tools, as a reader of the printed report
// would see it: the words of each page with their boxes in points from the page's top-left
// corner (pdftotext -bbox), the page count and sizes (pdfinfo), and a page as pixels
// (pdftoppm).
class PdfProbe
{
public:
    struct Word {
        int page; // from 1
        QString text;
        QRectF box;
    };

    explicit PdfProbe(const QString& path);

    // False, with the tool's complaint in error(), when the file could not be read.
    bool ok() const { return ok_; }
    const QString& error() const { return error_; }
    int pageCount() const { return int(pageSizes_.size()); }
    // Sizes in points, one per page.
    const std::vector<QSizeF>& pageSizes() const { return pageSizes_; }
    const std::vector<Word>& words() const { return words_; }
    // The words of one page in reading order, joined by single spaces.
    QString pageText(int page) const;
    // Every word in reading order, pages joined by line feeds.
    QString text() const;
    // The first word with this text (on `page`, or on any page for 0); null box when none.
    const Word* find(const QString& text, int page = 0) const;
    // The page as an image at `dpi` dots per inch.
    QImage render(int page, int dpi) const;
    // What pdfinfo says of the file, e.g. value("Pages") or value("Page size").
    QString info(const QString& key) const;

private:
    QString path_;
    bool ok_ = false;
    QString error_;
    QString info_;
    std::vector<QSizeF> pageSizes_;
    std::vector<Word> words_;
};

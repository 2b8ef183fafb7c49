#include "BaseViewController.h"

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

BaseViewController::BaseViewController(const QString& nibName, MyDocument* parent,
                                       Screenplaydb* screenplay, QObject* owner)
    : QObject(owner)
    , nibName_(nibName)
    , myParent_(parent)
    , screenplay_(screenplay)
{
}

BaseViewController::~BaseViewController()
{
    // The view may sit in a window section by now; deleting it also takes it out of there.
    // When the window went first, the pointer is already null.
    delete view_.data();
}

void BaseViewController::setView(QWidget* view)
{
    if (view_ == view)
        return;
    delete view_.data();
    view_ = view;
}

QWidget* BaseViewController::takeView()
{
    QWidget* view = view_.data();
    view_ = nullptr;
    return view;
}

float BaseViewController::heightForString(const QString& text, const QFont& font, float width)
{
    return layOutAsPainted(text, font, std::max(0, static_cast<int>(width)));
}

float BaseViewController::layOutAsPainted(const QString& text, const QFont& font, int width,
                                          const std::function<void(const QTextLine&)>& eachLine)
{
    // The delegate shows a line feed as a line separator; its layout keeps the default tab stops.
    QString laid = text;
    laid.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laid, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    layout.setTextOption(option);
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = -leading;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        height = std::ceil(height + leading) + line.ascent() + line.descent();
        if (eachLine)
            eachLine(line);
        if (height >= kMeasureHeight)
            break;
    }
    layout.endLayout();
    return static_cast<float>(std::min(QRectF(0, 0, 1, std::max<qreal>(0, height)).toAlignedRect().height(),
                                       kMeasureHeight));
}

#include "BaseViewController.h"

#include <QFont>
#include <QFontMetrics>
#include <QRect>

#include <algorithm>

namespace {

// Height of the box a text is measured in.
constexpr int kMeasureHeight = 200000;

} // namespace

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
    return fitString(text, font, width).height;
}

BaseViewController::StringFit BaseViewController::fitString(const QString& text, const QFont& font, float width)
{
    const int wrapWidth = std::max(0, static_cast<int>(width));
    const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, wrapWidth, kMeasureHeight),
                                                         Qt::TextWordWrap, text);
    return {static_cast<float>(std::min(needed.height(), kMeasureHeight)), needed.width()};
}

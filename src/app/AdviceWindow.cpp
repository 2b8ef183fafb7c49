#include "AdviceWindow.h"

#include "platform/LightLook.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

AdviceWindow::AdviceWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("adviceWindow"));
    // The pages are written in their own colours for light paper.
    LightLook::keep(*this);
    resize(520, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    webDocument_ = new QTextBrowser;
    webDocument_->setObjectName(QStringLiteral("webDocument"));
    webDocument_->setOpenLinks(true);
    webDocument_->setOpenExternalLinks(false);
    layout->addWidget(webDocument_);
}

QString AdviceWindow::pageForTopic(const QString& key)
{
    if (key.isEmpty())
        return QString();
    for (const QChar c : key)
        if (!c.isLetter() && !c.isDigit())
            return QString();
    const QString path = QStringLiteral(":/help/%1.htm").arg(key);
    return QFileInfo::exists(path) ? path : QString();
}

void AdviceWindow::showHelpForTopic(const QString& key)
{
    QPalette orange = palette();
    orange.setColor(QPalette::Window, QColor::fromRgbF(1.0f, 0.5490196078431373f, 0.0f, 1.0f));
    setPalette(orange);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("Advice From The Zorvin"));
    const QString page = pageForTopic(key);
    if (page.isEmpty())
        return;
    webDocument_->setSource(QUrl(QStringLiteral("qrc") + page));
}

void showAdvice(std::unique_ptr<AdviceWindow>& window, const QString& key)
{
    if (!window)
        window = std::make_unique<AdviceWindow>();
    window->showHelpForTopic(key);
    // Asked for, it comes up ready to read and scroll (an automatic tip shows without this).
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->show();
    window->raise();
    window->activateWindow();
}

QPoint tipWindowPlace(const QRect& story, const QSize& tip, const QRect& screen, const QRect& typing)
{
    constexpr int kGap = 8;
    const auto onScreen = [&screen, &tip](QPoint place) {
        place.setX(std::clamp(place.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - tip.width())));
        place.setY(std::clamp(place.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - tip.height())));
        return place;
    };
    const QPoint right(story.right() + 1 + kGap, story.top());
    if (screen.contains(QRect(right, tip)))
        return right;
    const QPoint left(story.left() - kGap - tip.width(), story.top());
    if (screen.contains(QRect(left, tip)))
        return left;
    // No room beside it: over the story window, along the side away from the typing.
    const int top = story.top() + std::max(0, (story.height() - tip.height()) / 2);
    const QPoint insideRight = onScreen(QPoint(story.right() + 1 - tip.width(), top));
    if (typing.isEmpty() || !QRect(insideRight, tip).intersects(typing))
        return insideRight;
    const QPoint insideLeft = onScreen(QPoint(story.left(), top));
    if (!QRect(insideLeft, tip).intersects(typing))
        return insideLeft;
    // The field runs across the whole window: the tip goes below it, else above it.
    const QPoint below = onScreen(QPoint(insideRight.x(), typing.bottom() + 1 + kGap));
    if (!QRect(below, tip).intersects(typing))
        return below;
    return onScreen(QPoint(insideRight.x(), typing.top() - kGap - tip.height()));
}

void placeBeside(AdviceWindow& window, const QWidget& story)
{
    const QScreen* screen = story.screen() ? story.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect typing;
    if (const QWidget* focused = QApplication::focusWidget(); focused && story.isAncestorOf(focused))
        typing = QRect(focused->mapToGlobal(QPoint(0, 0)), focused->size());
    window.move(tipWindowPlace(story.frameGeometry(), window.frameGeometry().size(), screen->availableGeometry(),
                               typing));
}

DocumentWindow::DocumentWindow(const QString& page, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("documentWindow"));
    resize(640, 720);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("documentBrowser"));
    browser_->setOpenLinks(false);
    layout->addWidget(browser_);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QString scheme = link.scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto"))
            Platform::workspace().openUrl(link);
        else
            browser_->setSource(link);
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Vantora") : title);
    });
    browser_->setSource(QUrl(QStringLiteral("qrc") + page));
}

QString helpTopicOf(const QObject* control)
{
    return control ? control->property(kHelpTopicProperty).toString() : QString();
}

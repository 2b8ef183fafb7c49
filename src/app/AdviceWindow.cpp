#include "AdviceWindow.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

AdviceWindow::AdviceWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("adviceWindow"));
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
    window->show();
    window->raise();
    window->activateWindow();
}

QString helpTopicOf(const QObject* control)
{
    return control ? control->property(kHelpTopicProperty).toString() : QString();
}

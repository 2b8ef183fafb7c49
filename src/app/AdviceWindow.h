#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QObject;
class QTextBrowser;

// The advice window: an orange window titled "Advice From The Zorvin" that shows the help
// page of one topic. A topic is named by a key; its page is the resource ":/help/<key>.htm",
// simple HTML with pictures beside it in ":/help/images".
class AdviceWindow : public QWidget
{
    Q_OBJECT

public:
    explicit AdviceWindow(QWidget* parent = nullptr);

    // Shows the page of the topic. A topic without a page leaves the window as it was.
    void showHelpForTopic(const QString& key);
    QTextBrowser* webDocument() const { return webDocument_; }

    // The resource path of the topic's page, or "" when there is none. Only keys made of
    // letters and digits name a page.
    static QString pageForTopic(const QString& key);

private:
    QTextBrowser* webDocument_ = nullptr; // a child of the window
};

// Shows a topic in the advice window held by `window`, making the window on first use, and
// brings it to the front as the key window.
void showAdvice(std::unique_ptr<AdviceWindow>& window, const QString& key);

// Help buttons and menu items carry their topic key in this property (their alternate title).
inline constexpr char kHelpTopicProperty[] = "alternateTitle";
// The topic key a control carries ("" when none).
QString helpTopicOf(const QObject* control);

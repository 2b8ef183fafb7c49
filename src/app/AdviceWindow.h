#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
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

// Where an advice window `tip` large goes beside a story window whose frame is `story`, on a
// screen whose free area is `screen`: right of the story window when it fits there, else left
// of it; when neither side has room, inside the story window at its right edge, or at its left
// edge when the right one would cover `typing` (the frame of the field being typed in, empty
// when none). The answer always keeps the tip on the screen.
QPoint tipWindowPlace(const QRect& story, const QSize& tip, const QRect& screen, const QRect& typing);

// Places the advice window beside the story window `story` (see tipWindowPlace), keeping
// clear of the widget that has the keyboard focus.
void placeBeside(AdviceWindow& window, const QWidget& story);

// A window of the program's own that shows one of its HTML documents (the tutorial, a guide's
// text) when the desktop has no viewer for it. Links within the program's documents are
// followed in the window; web addresses go to the browser.
class DocumentWindow : public QWidget
{
    Q_OBJECT

public:
    // `page` is the resource path of the HTML page.
    explicit DocumentWindow(const QString& page, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr; // a child of the window
};

// Help buttons and menu items carry their topic key in this property (their alternate title).
inline constexpr char kHelpTopicProperty[] = "alternateTitle";
// The topic key a control carries ("" when none).
QString helpTopicOf(const QObject* control);

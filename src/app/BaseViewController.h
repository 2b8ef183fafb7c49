#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QFont;
class MyDocument;
class Screenplaydb;

// Common base of every pane controller of a story window. A pane controller builds its view in
// code and owns it: the view may be placed into a section of the window (and so get a parent
// widget there), but it is deleted together with its controller. The document and the story
// are not owned; the document outlives every pane it shows.
class BaseViewController : public QObject
{
    Q_OBJECT

public:
    // `nibName` names the pane's interface (by convention its class name); it identifies the
    // pane, the view itself is built by each subclass.
    BaseViewController(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay,
                       QObject* owner = nullptr);
    ~BaseViewController() override;

    BaseViewController(const BaseViewController&) = delete;
    BaseViewController& operator=(const BaseViewController&) = delete;

    const QString& nibName() const { return nibName_; }
    // The pane's view; null before the subclass built it or after its window deleted it.
    QWidget* view() const { return view_; }

    MyDocument* myParent() const { return myParent_; }
    void setMyParent(MyDocument* parent) { myParent_ = parent; }
    Screenplaydb* screenplay() const { return screenplay_; }
    void setScreenplay(Screenplaydb* screenplay) { screenplay_ = screenplay; }

    // The height `text` needs in `font` when wrapped at `width`, measured in a box 200000
    // pixels high: any text of practical length is measured in full, a longer one is cut
    // there.
    static float heightForString(const QString& text, const QFont& font, float width);
    // The same height, and the width of the text's widest line so wrapped.
    struct StringFit {
        float height = 0;
        int widestLine = 0;
    };
    static StringFit fitString(const QString& text, const QFont& font, float width);

protected:
    // Takes ownership of `view`; a view set before is deleted.
    void setView(QWidget* view);
    // Gives up the view without deleting it: the caller owns it now.
    QWidget* takeView();

private:
    QString nibName_;
    QPointer<QWidget> view_;
    MyDocument* myParent_ = nullptr;
    Screenplaydb* screenplay_ = nullptr;
};

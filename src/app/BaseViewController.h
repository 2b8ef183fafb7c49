#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QFont;
class QTextLine;
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

    // The height of the box a text is measured in: any text of practical length is measured in
    // full, a longer one is cut there.
    static constexpr int kMeasureHeight = 200000;

    // The height `text` needs in `font` when wrapped at `width`, read as a table's cell paints
    // it (layOutAsPainted), at most kMeasureHeight.
    static float heightForString(const QString& text, const QFont& font, float width);
    // Lays `text` out in `font` wrapped at `width` as a table's cell paints it, so that a row
    // measured here shows every line of its text: as the item delegate reads a text, a line feed
    // ends a line and every other letter is set as it is, a tab reaching the layout's next tab
    // stop. Calls `eachLine` with each line, until the lines reach kMeasureHeight; answers their
    // height, each line's top on a whole pixel below the one before.
    static float layOutAsPainted(const QString& text, const QFont& font, int width,
                                 const std::function<void(const QTextLine&)>& eachLine = {});

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

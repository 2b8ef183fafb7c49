#pragma once

#include "app/BaseViewController.h"

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPointer>

#include <cstdint>
#include <vector>

class LitterBoxView;
class SceneCardView;

class QMimeData;
class SceneCarddb;
class SceneCardView;

// One bar of the Litter Box column (brown bar, act bar or beat bar): a box with a one-point
// border that takes board cards dropped on it into the Litter Box.
class LitterBoxBackground : public QFrame
{
    Q_OBJECT

public:
    explicit LitterBoxBackground(QWidget* parent = nullptr);
    ~LitterBoxBackground() override;

    // Not owned: the column owns its bars.
    LitterBoxView* myLitterBoxParent() const { return myLitterBoxParent_; }
    void setMyLitterBoxParent(LitterBoxView* parent) { myLitterBoxParent_ = parent; }
    // The bar's text, painted centred in `frame` (bar coordinates) in `font` and `colour`; a
    // brown bar has none.
    void setText(const QString& text, const QRect& frame, const QFont& font, const QColor& colour);
    const QString& text() const { return text_; }
    const QFont& textFont() const { return textFont_; }
    const QRect& textFrame() const { return textFrame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    LitterBoxView* myLitterBoxParent_ = nullptr;
    QString text_;
    QRect textFrame_;
    QFont textFont_;
    QColor textColour_;
};

// The Litter Box: the column beside the board with the cards taken off the board, grouped
// under the act and beat bars of the board, 270 points wide and as high as its content.
// Coordinates are top-down. The card views belong to the document; the column only shows
// them while it lives.
class LitterBoxView : public BaseViewController
{
    Q_OBJECT

public:
    static constexpr int kWidth = 270;

    LitterBoxView(MyDocument* parent, Screenplaydb* screenplay);
    ~LitterBoxView() override;

    // Builds the column again from the story's Litter Box.
    void refreshView();
    // The board's zoom changed: the same bars and cards stack again, each card at the new
    // zoom's size. A column that lost one of them is built again.
    void zoomChanged();
    // Moves a board card into the Litter Box.
    void dropSceneCard(std::int64_t sceneCardID);

    // One bar each, with this column as its parent; the caller adds it to the view.
    LitterBoxBackground* brownBarAtY(float y);
    LitterBoxBackground* actBar(const QString& text, float y);
    LitterBoxBackground* beatBar(const QString& text, float y);

    // The card Tab enters the column at: the first it shows; none when it shows no card.
    SceneCardView* keyboardCard() const;

    // The bars of the last refresh, top to bottom.
    const std::vector<LitterBoxBackground*>& bars() const { return bars_; }

    // The bars' questions when a card is dragged over them.
    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    bool performDrop(const QMimeData* data, const QPoint& location);

private:
    LitterBoxBackground* bar(float y, int height, const QColor& fill);
    // A bar with a centred text field, no border and no background of its own.
    LitterBoxBackground* textBar(const QString& text, float y, int height, const QColor& fill, const QRect& textFrame,
                                 const QColor& textColor, bool bold);
    void takeCardViewsOff(const std::vector<QWidget*>& keep);

    std::vector<LitterBoxBackground*> bars_;
    // What the column shows, top to bottom, with the space each bar takes (a card takes its
    // own height).
    struct Stacked {
        QPointer<QWidget> widget;
        float step = 0.0f;
        SceneCardView* card = nullptr;
    };
    std::vector<Stacked> stacked_;
};

// The card a drag from `document`'s window carries as "SceneCarddb", when it is one of the
// story's cards and its `onBoard` is `onBoard`; nothing otherwise.
SceneCarddb* draggedSceneCard(const MyDocument* document, const QMimeData* data, std::int64_t onBoard);

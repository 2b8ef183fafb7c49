#pragma once

#include "app/SmallViews.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class MyDocument;
class QPainter;
class SceneCarddb;
class Screenplaydb;
class SmallSceneCard;

// The full card that pops up over the board pane while the mouse rests on a small card: the
// card painted as the board paints it at the story's zoom, without its controls. It shows the
// card as it stands each time it is drawn.
class SceneCardPopUp : public QWidget
{
    Q_OBJECT

public:
    SceneCardPopUp(Screenplaydb& story, SceneCarddb& card, QWidget* parent);
    SceneCarddb* scene() const { return card_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Screenplaydb& story_;
    SceneCarddb* card_;
};

// What a small card shows, read from its card when the card changes.
struct SmallSceneCardLook
{
    QString heading;
    QString pageNumber;
    QString description;
    QString emotionalChange;
    QString conflict;
    QColor emotionalChangeType = Qt::white;
    std::array<QColor, 6> stripes{QColor(Qt::white), QColor(Qt::white), QColor(Qt::white),
                                   QColor(Qt::white), QColor(Qt::white), QColor(Qt::white)};
};

// The strip under the large scene card: one widget that paints the small cards lying in what
// shows of it and answers the mouse on them. A click on a small card opens its card in the large
// scene card; the mouse resting on one pops its full card up (one pop-up at a time). The cards
// are the document's; the strip only points at them.
class MiniSceneCardStrip : public FlippedView
{
    Q_OBJECT

public:
    MiniSceneCardStrip(std::vector<SmallSceneCard>& cards, QWidget* parent = nullptr);

    // The card whose frame holds `point` (the strip's points), or nothing.
    SmallSceneCard* cardAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The strip scrolled: a pop-up stands where its card was.
    void moveEvent(QMoveEvent* event) override;

private:
    void hover(SmallSceneCard* card);
    void seePointer(const QMouseEvent& event);

    std::vector<SmallSceneCard>& cards_;
    SmallSceneCard* hovered_ = nullptr;
    SmallSceneCard* pressed_ = nullptr;
    // Where the mouse was last seen on the strip, on the screen; nothing once it has left.
    std::optional<QPoint> pointer_;
};

// One small card of the strip under the large scene card: heading, page number, description,
// emotional change with its type, conflict and six colour stripes on a white box (the card open
// in the large scene card) or a light grey one. The card is painted by its strip at its frame
// (kWidth x kHeight); it has no widget of its own, nor is it an object of Qt's: the document
// holds one for every card of the board, side by side, and a story of many cards makes them all
// when the large card opens. Choosing it opens the card in the large scene card on the tab that shows; resting the
// mouse on it pops the full card up just above the strip. The document and the story are not
// owned.
class SmallSceneCard : public SmallSceneCardHover
{
public:
    static constexpr int kWidth = 236;
    static constexpr int kHeight = 100;

    SmallSceneCard(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* sceneCard);
    ~SmallSceneCard() override;
    SmallSceneCard(const SmallSceneCard&) = delete;
    SmallSceneCard& operator=(const SmallSceneCard&) = delete;
    // Movable only so that the document's list may hold it: the list takes its room before the
    // cards are made, and none moves while the strip lives.
    SmallSceneCard(SmallSceneCard&&) noexcept = default;

    MyDocument* myParent() const { return myParent_; }
    Screenplaydb* screenplay() const { return screenplay_; }

    SceneCarddb* scene() const { return scene_; }
    // Shows the card (not owned); nothing leaves the fields as they are.
    void setScene(SceneCarddb* scene);
    // White for the card open in the large scene card, light grey for the others.
    void setIsEnabled(bool flag);
    bool isEnabled() const { return isEnabled_; }
    QColor backgroundColor() const { return isEnabled_ ? QColor(Qt::white) : QColor(Qt::lightGray); }
    // Paints the six colour stripes from the card's colour-code slots (white for none).
    void setColors();
    // White, green or red for the emotional-change types 0, 1 and 2.
    void setEmotionalChangeTypeColor();
    // What the card shows, read from its card when first asked for after a change: a strip of
    // many cards reads only the cards it paints.
    const SmallSceneCardLook& look() const;

    // Where the card lies in its strip, in the strip's points.
    const QRect& frame() const { return frame_; }
    void setFrame(const QRect& frame) { frame_ = frame; }
    // Paints the card at its frame.
    void paint(QPainter& painter) const;
    // The user chose the card: the large scene card writes its fields and shows this card.
    void userSelected();

    // The full card over the board pane while the mouse rests on the small card.
    void popUpRegularSceneCard() override;
    void removeRegularSceneCard() override;
    SceneCardPopUp* popUpCard() const { return popUpCard_.get(); }

private:
    // The strip shows the card again.
    void repaint() const;

    // Reads the card's texts and colours into the look; the colour stripes and the
    // emotional-change colour alone.
    void fillLook() const;
    void readColors() const;
    void readEmotionalChangeType() const;

    MyDocument* myParent_ = nullptr;
    Screenplaydb* screenplay_ = nullptr;
    SceneCarddb* scene_ = nullptr;
    bool isEnabled_ = false;
    mutable std::unique_ptr<SmallSceneCardLook> look_;
    mutable bool lookRead_ = false;
    QRect frame_{0, 0, kWidth, kHeight};
    std::unique_ptr<SceneCardPopUp> popUpCard_;
};

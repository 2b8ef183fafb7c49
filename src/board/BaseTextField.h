#pragma once

#include <QColor>
#include <QLabel>
#include <QPalette>

#include <cstdint>

class SceneCardView;

// A text of a scene card that answers clicks instead of being edited: the title bar, the two
// tabs of the text area, the emotional-change type and the six colour stripes. A press
// records its click count (2 for the second press of a double click), brings the card to the
// top of the board or the list and reports the click to the card. The field takes the focus
// from the keyboard only; taking it also brings the card to the top. Releasing Ctrl-N or
// Ctrl-P in it pages to the next or previous card.
class BaseTextField : public QLabel
{
    Q_OBJECT

public:
    explicit BaseTextField(QWidget* parent = nullptr);

    // The card the field reports to; not owned (the card owns the field's view).
    SceneCardView* delegate() const { return delegate_; }
    void setDelegate(SceneCardView* card) { delegate_ = card; }

    std::int64_t clickCount() const { return clickCount_; }
    void setClickCount(std::int64_t count) { clickCount_ = count; }
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor& color);
    // Text colour.
    void setTextColor(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void pressed(std::int64_t clickCount);
    // Sets `role` to `color` in the field's own palette; `set` records that the field has it.
    void setOwnColor(QPalette::ColorRole role, const QColor& color, bool& set);

    SceneCardView* delegate_ = nullptr;
    std::int64_t clickCount_ = 0;
    bool backgroundSet_ = false;
    bool textColorSet_ = false;
};

// Whether the key event is Ctrl-N (+1) or Ctrl-P (-1), the keys that page between the cards of
// the corkboard; 0 for any other key.
int pagingDirection(const QKeyEvent* event);

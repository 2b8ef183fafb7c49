#pragma once

#include "app/BaseViewController.h"
#include "app/SmallViews.h"

#include <array>
#include <memory>

class QFrame;
class QLabel;
class SceneCarddb;
class SceneCardView;

// One small card of the strip under the large scene card: the card's heading over a white
// (the card open in the large scene card) or light grey box, its six colour stripes and a
// button covering it all. Clicking the button opens the card in the large scene card on the
// tab that shows; resting the mouse on it pops up the full card just above the strip.
class SmallSceneCard : public BaseViewController, public SmallSceneCardHover
{
    Q_OBJECT

public:
    static constexpr int kWidth = 236;
    static constexpr int kHeight = 100;

    SmallSceneCard(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* sceneCard);
    ~SmallSceneCard() override;

    SceneCarddb* scene() const { return scene_; }
    // White for the card open in the large scene card, light grey for the others.
    void setIsEnabled(bool flag);
    bool isEnabled() const { return isEnabled_; }
    // Paints the six colour stripes from the card's colour-code slots (white for none).
    void setColors();

    // The full card over the board pane while the mouse rests on the button.
    void popUpRegularSceneCard() override;
    void removeRegularSceneCard() override;
    SceneCardView* popUpCard() const { return popUpCard_.get(); }

    ButtonResponder* cmdSelect() const { return cmdSelect_; }
    QFrame* boxBackground() const { return boxBackground_; }
    QLabel* lblHeading() const { return lblHeading_; }
    QFrame* colorStripe(int stripe) const;

private:
    void select();

    SceneCarddb* scene_ = nullptr;
    bool isEnabled_ = false;
    std::unique_ptr<SceneCardView> popUpCard_;
    QFrame* boxBackground_ = nullptr;
    QLabel* lblHeading_ = nullptr;
    std::array<QFrame*, 6> colorStripes_{};
    ButtonResponder* cmdSelect_ = nullptr;
};

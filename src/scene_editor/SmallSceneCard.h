#pragma once

#include "app/BaseViewController.h"
#include "app/SmallViews.h"

#include <array>
#include <memory>

class QFrame;
class QLabel;
class SceneCarddb;

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

// One small card of the strip under the large scene card: heading, page number, description,
// emotional change with its type, conflict and six colour stripes on a white box (the card open
// in the large scene card) or a light grey one, under a button covering it all. Clicking the
// button opens the card in the large scene card on the tab that shows; resting the mouse on it
// pops the full card up just above the strip (one pop-up at a time in the whole strip).
class SmallSceneCard : public BaseViewController, public SmallSceneCardHover
{
    Q_OBJECT

public:
    static constexpr int kWidth = 236;
    static constexpr int kHeight = 100;

    SmallSceneCard(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* sceneCard);
    ~SmallSceneCard() override;

    SceneCarddb* scene() const { return scene_; }
    // Shows the card (not owned); nothing leaves the fields as they are.
    void setScene(SceneCarddb* scene);
    // White for the card open in the large scene card, light grey for the others.
    void setIsEnabled(bool flag);
    bool isEnabled() const { return isEnabled_; }
    // Paints the six colour stripes from the card's colour-code slots (white for none).
    void setColors();
    // White, green or red for the emotional-change types 0, 1 and 2.
    void setEmotionalChangeTypeColor();

    // The full card over the board pane while the mouse rests on the button.
    void popUpRegularSceneCard() override;
    void removeRegularSceneCard() override;
    SceneCardPopUp* popUpCard() const { return popUpCard_.get(); }

    ButtonResponder* cmdSelect() const { return cmdSelect_; }
    QFrame* boxBackground() const { return boxBackground_; }
    QLabel* tfHeading() const { return tfHeading_; }
    QLabel* tfPageNumber() const { return tfPageNumber_; }
    QLabel* tfDescription() const { return tfDescription_; }
    QLabel* tfEmotionalChange() const { return tfEmotionalChange_; }
    QLabel* tfConflict() const { return tfConflict_; }
    QLabel* lblEmotionalChangeType() const { return lblEmotionalChangeType_; }
    // Stripe 1 to 6; nothing for any other number.
    QFrame* colorStripe(int stripe) const;

private:
    void buildView();
    void userSelected();

    SceneCarddb* scene_ = nullptr;
    bool isEnabled_ = false;
    std::unique_ptr<SceneCardPopUp> popUpCard_;
    QFrame* boxBackground_ = nullptr;
    QLabel* tfHeading_ = nullptr;
    QLabel* tfPageNumber_ = nullptr;
    QLabel* tfDescription_ = nullptr;
    QLabel* tfEmotionalChange_ = nullptr;
    QLabel* tfConflict_ = nullptr;
    QLabel* lblEmotionalChangeType_ = nullptr;
    QLabel* lblConflict_ = nullptr;
    std::array<QFrame*, 6> colorStripes_{};
    ButtonResponder* cmdSelect_ = nullptr;
};

#pragma once

#include "app/BaseViewController.h"

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class SceneCarddb;

// The large scene card: one card edited in full in place of the board. This is the card's
// host-facing form: heading, description, emotional change and conflict fields, the six
// colour stripes, six tabs (1 Notes, 2 Set-ups, 3 Pay-offs, 4 Characters, 5 Attachments,
// 6 Script), the previous-card and next-card buttons and a close button. Edits reach the card
// when they end or when the host asks for them (`saveChanges(nullptr)`).
class BigSceneView : public BaseViewController
{
    Q_OBJECT

public:
    // Shows `scene` on the Notes tab. The view is not placed: the caller places and refreshes it.
    BigSceneView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene);
    ~BigSceneView() override;

    SceneCarddb* scene() const { return scene_; }
    // The card shown (not owned); the fields show it at the next refreshView.
    void setScene(SceneCarddb* scene) { scene_ = scene; }

    std::int64_t selectedTabID() const { return selectedTabID_; }
    // Tab 1 to 6; any other number changes nothing.
    void setSelectedTabID(std::int64_t tab);

    // Writes the field whose edit ended into the card and saves it; with no field, every field
    // (an empty heading, emotional change or conflict falls back to its placeholder text).
    void saveChanges(QWidget* field);
    // Fills every field, the stripes and the indicators from the card.
    void refreshView();
    // The indicator texts: set-ups and pay-offs (with or without partners), characters and
    // attachments lying on the card.
    void configureIndicators();
    // The story's standard font setting for the card's labels and fields.
    void resetFonts();
    // Paints the six colour stripes from the card's colour-code slots (white for none).
    void setColors();

    QPushButton* cmdPreviousCard() const { return cmdPreviousCard_; }
    QPushButton* cmdNextCard() const { return cmdNextCard_; }
    QPushButton* cmdClose() const { return cmdClose_; }
    QPushButton* tabButton(int tab) const;
    QWidget* tabContent(int tab) const;
    QLineEdit* tfHeading() const { return tfHeading_; }
    QPlainTextEdit* tfDescription() const { return tfDescription_; }
    QLineEdit* tfEmotionalChange() const { return tfEmotionalChange_; }
    QLineEdit* tfConflict() const { return tfConflict_; }
    QFrame* colorStripe(int stripe) const;
    QLabel* lblIndicators() const { return lblIndicators_; }

protected:
    // The description is stored when it loses the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildView();
    void pageBy(int step);

    SceneCarddb* scene_ = nullptr;
    std::int64_t selectedTabID_ = 1;

    // Children of the view, which the controller owns.
    QLineEdit* tfHeading_ = nullptr;
    QPlainTextEdit* tfDescription_ = nullptr;
    QLineEdit* tfEmotionalChange_ = nullptr;
    QLineEdit* tfConflict_ = nullptr;
    QLabel* lblIndicators_ = nullptr;
    std::array<QFrame*, 6> colorStripes_{};
    std::array<QPushButton*, 6> tabButtons_{};
    QStackedWidget* tabs_ = nullptr;
    QPushButton* cmdPreviousCard_ = nullptr;
    QPushButton* cmdNextCard_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

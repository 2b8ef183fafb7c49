#pragma once

#include <QDialog>

#include <cstdint>

class QPushButton;

// The small picker of the notes board's ten-colour palette: one button per palette colour,
// each carrying its palette id (1 to 10) as its tag. Pressing one answers that id and ends
// the modal run; selectedColor() stays 0 until a colour is chosen.
class CardColorSelector : public QDialog
{
    Q_OBJECT

public:
    explicit CardColorSelector(QWidget* parent = nullptr);

    // The window keeps the platform's defaults.
    void windowDidLoad() {}

    // A palette button was pressed: its tag becomes the selected colour.
    void colorSelected(QObject* sender);
    std::int64_t selectedColor() const { return selectedColor_; }
    void setSelectedColor(std::int64_t colorID) { selectedColor_ = colorID; }

    // The button of palette id `colorID` (1 to 10), or nullptr.
    QPushButton* colorButton(std::int64_t colorID) const;

    // Runs the dialog modally (through the panes' modal runner, which tests replace) until a
    // colour is chosen.
    void runModal();

private:
    std::int64_t selectedColor_ = 0;
};

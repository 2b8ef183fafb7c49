#pragma once

#include <QPalette>

class QWidget;

// The program paints many panes in colours of its own: the cards and their fields, the sticky
// notes, the script's paper, the advice window. Their text, fields and buttons are made for the
// colours of Qt's default light look and keep them under any palette the desktop gives, so that
// no light text lands on light paper and no dark box on a cream card.
namespace LightLook {

// The palette of Qt's default light look, in every colour group.
const QPalette& palette();

// Gives `widget` and all inside it the light look. Colours set on them afterwards stay theirs.
void keep(QWidget& widget);

} // namespace LightLook

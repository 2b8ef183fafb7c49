#pragma once

#include <QFont>
#include <QString>

// The typeface of script text, in the script editor and in printed scripts: Courier Prime in its
// upright regular face. Some installations label every file of the family "Regular", so that
// asking the system for the family may give its bold or italic face; the upright regular file
// is therefore loaded by the program itself and its family asked for.
namespace ScreenplayFont {

// Loads the upright regular face on the first call (needs the application object); later calls
// answer at once. The family to ask for: the loaded face's, or "Courier Prime" when its file
// was not found (the system's choice is then used, with one warning).
QString family();

// The face at `pixels` pixels (points on a 72-dpi page), upright, regular, typewriter as fallback.
QFont font(int pixels);

// The file the upright regular face was loaded from, "" when none was found.
QString regularFacePath();

} // namespace ScreenplayFont

#pragma once

#include <QString>

class Screenplaydb;

// The open story as the one tagged text that the phone queue takes. Values are written as
// stored, without escaping: the whole text is escaped for travel afterwards.
namespace ScreenplayXML {

// The tagged text of `story`, whose collections are loaded; `version` is the application's
// short version text. When the colour legend cannot be built, an alert says so and the text
// goes on without it; any other failure is alerted and yields "".
QString createScreenplayXMLFor(Screenplaydb& story, const QString& version);

} // namespace ScreenplayXML

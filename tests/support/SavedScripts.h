#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Final Draft script files written the way the screenwriting program saves them today, for the
// tests and the import benchmark: version 4 files with a title page, the settings blocks around
// the script (element settings, header and footer, page layout, smart-type lists left empty,
// mores and continueds), headings without scene properties, cues with extensions, dual dialogue
// inside a paragraph, acts, text in curly quotes, dashes and accents, and the locked pages
// added after the mores and continueds as a writer locking the pages would. Written here and
// nowhere else.
namespace SavedScripts {

// `count` nine-letter words: six of them fill a 60-character line of action (59 characters),
// three a 35-character line of dialogue (29), so 6n or 3n of them take exactly n lines.
QString nineLetterWords(int count);

// Paragraph builders; texts are escaped for XML here.
QString paragraph(const QString& type, const QString& text);
// A paragraph whose text runs in pieces (one Text element each, as styled runs are saved).
QString paragraphInRuns(const QString& type, const QStringList& runs);
// A scene heading without scene properties; `number` is written when not empty.
QString heading(const QString& text, const QString& number = QString());
// The paragraph (any of the above) with the page broken before it, as a writer's page break.
QString afterPageBreak(const QString& paragraph);
// A dual-dialogue block inside its paragraph: "type|text" entries in order, the second speaker
// starting at its "Character" entry.
QString dualDialogue(const QStringList& entries);

// The whole file around the script's paragraphs, `lockedPages` pages locked.
QByteArray file(const QString& paragraphs, int lockedPages);

// A short script of five scenes over four locked pages, numbered 1 to 5 ("5A" on the last),
// with a leading paragraph, acts, dual dialogue and the cast below.
QByteArray shortScript();
// The distinct speakers of shortScript(), in order of their first cue.
QStringList shortScriptCast();

// A feature of about 120 pages (150 scenes, about 2,500 paragraphs), locked at `lockedPages`.
QByteArray featureScript(int lockedPages = 120);
// The distinct speakers of featureScript(), in no particular order.
QStringList featureScriptCast();

} // namespace SavedScripts

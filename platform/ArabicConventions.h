#pragma once

// What an Arabic desktop expects of a program, beyond its own texts: Qt's standard texts (button
// captions, dialogs) in Arabic, right-to-left layout wherever Qt lays things out, left-to-right
// runs such as file paths kept whole inside Arabic sentences, and message boxes wide enough to show
// their title. It does not touch the places and sizes the program gives its controls.

#include <QString>

class QMessageBox;

namespace platform {

// Loads Qt's Arabic translations (Debian's qt6-translations-l10n) and turns the application right
// to left. Returns false when the translations are not installed: Qt's texts then stay English.
bool installArabicConventions();

// Wraps the left-to-right runs of an Arabic text in Unicode isolates, so that the bidirectional
// algorithm shows them as written: "«/tmp/x/D.jpg»" no longer turns into "«tmp/x/D.jpg/»". Text in
// «» gets a first-strong isolate, Latin runs elsewhere a left-to-right isolate.
QString isolateLeftToRight(const QString& text);

// Readies a message box for Arabic text: right to left, plain text, at least as wide as a window
// manager needs to show the whole title above it, and wide enough that no line of the detail
// (the informative text) wraps, up to the screen's width. Call it once the texts are set.
void prepareArabicMessageBox(QMessageBox& box);

// The width, in pixels, that prepareArabicMessageBox gives a box for its title.
int widthForTitle(const QString& title);

} // namespace platform

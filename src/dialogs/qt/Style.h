#pragma once
// The look shared by the main window, the About box and the small dialogs:
// a warm off-white background, dark grey text, Verdana 8 pt where installed.

#include <QColor>

class QWidget;

namespace c2c {

inline const QColor kBackgroundColour(248, 247, 237);
inline const QColor kTextColour(51, 51, 51);
inline const QColor kStepColour(128, 128, 128);

// Background, text colour and font for a window and its children.
void ApplyDrevantaStyle(QWidget* window);

// Gives a window a fixed client size and centres it on its screen.
void FixAndCentre(QWidget* window, int width, int height);

// Makes every label of `window` with a shortcut letter ("&Table") at least
// as wide as Qt draws it: the underline splits the text where the letter
// is, so the kerning there is lost and the text comes out wider than the
// label measured it ("Tabl" and half an "e").
void KeepShortcutLabelsWhole(QWidget* window);

} // namespace c2c

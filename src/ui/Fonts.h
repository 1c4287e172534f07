#pragma once

class QWidget;

// The forms name the fonts of the Windows original ("Comic Sans MS", "Arial",
// ...); this maps each to a free font with the same metrics or look, so the
// forms keep their family names. Call once at start, before any window exists;
// further calls change nothing.
void registerFontSubstitutions();

// For the windows shown at start: gives every widget of `form` whose own font
// names a mapped family the free font itself, same size and style, so the text
// looks the same. Qt asks fontconfig for the fallbacks of a family that is not
// installed (a sort of every installed font) before it takes the mapped one,
// for each family, and again for each such font's own fallbacks; naming the
// installed family skips both. Call right after setupUi, before any layout.
void useSubstituteFonts(QWidget* form);

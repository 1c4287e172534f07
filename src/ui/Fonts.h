#pragma once

// The forms name the fonts of the Windows original ("Comic Sans MS", "Arial",
// ...); this maps each to a free font with the same metrics or look, so the
// forms keep their family names. Call once at start, before any window exists;
// further calls change nothing.
void registerFontSubstitutions();

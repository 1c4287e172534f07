#pragma once

#include <memory>

class QObject;

// The forms name the fonts of the Windows original ("Comic Sans MS", "Arial",
// ...); this maps each to a free font with the same metrics or look, so the
// forms keep their family names. Call once at start, before any window exists;
// further calls change nothing.
void registerFontSubstitutions();

// For the windows shown at start: while one lives, a font set on a widget that
// names a mapped family is replaced at once by the installed family it maps to,
// same size and style, so the text looks the same. Qt asks fontconfig for the
// fallbacks of a family that is not installed (a sort of every installed font)
// before it takes the mapped one, for each family, and again for each such
// font's own fallbacks; naming the installed family skips both. Hold one around
// setupUi, so no text is laid out under the form's names first.
class InstalledFontNames {
public:
    InstalledFontNames();
    ~InstalledFontNames();
    InstalledFontNames(const InstalledFontNames&) = delete;
    InstalledFontNames& operator=(const InstalledFontNames&) = delete;

private:
    std::unique_ptr<QObject> m_filter;
};

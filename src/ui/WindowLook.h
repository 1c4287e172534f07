#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// What every window of both programs does the same way: how Enter reaches its
// buttons, which colours stay readable under the desktop's theme, and how
// captions show whole at the forms' fixed sizes.
namespace WindowLook {

// Call once a window's form is set up:
// - Enter clicks the button that has the focus; with no button focused it
//   clicks the window's default button (dialogs do that on their own, other
//   windows get it here). A control that uses Enter itself (a web page) is
//   marked with the property "ownsEnter" and keeps it.
// - Colours: a control with a fixed background gets a fixed text colour too
//   (black unless the form gives one); a fixed text colour on the theme's own
//   background is kept only where readable (see readableText).
// - A caption wider than its label or check box is set a little closer (one
//   out of sight, on another page of the window, when it is first shown).
// - Installs the application style (installStyle), if not done yet.
void apply(QWidget* window);

// Installs the application style that wraps long button captions onto two
// lines, draws frame captions on the frame's line, shows "*" in password boxes
// and reads the icons of overflow buttons only when they show. Call before the
// first window is built, so that every control is made with it; later calls
// do nothing.
void installStyle();

// WCAG contrast ratio of two colours, 1 to 21.
double contrast(const QColor& a, const QColor& b);
// The wanted text colour where it stands out from background by at least
// 4.5:1 (3:1 for large text); otherwise the theme's own text colour.
QColor readableText(const QColor& wanted, const QColor& background, const QColor& themeText, bool large = false);
// 18 pt and more, or 14 pt bold: text that stays readable at a lower contrast.
bool isLarge(const QFont& font);
// A box painted with a fixed background shows its text in the colour that goes with it.
void setFixedBackground(QWidget* box, const QColor& background, const QColor& text = Qt::black);

} // namespace WindowLook

#pragma once

class QWidget;

// Lifts the 32,767-character limit a line edit has by default from every line
// edit of a window, so that a stored value of any length loads and saves whole.
void liftLengthLimits(QWidget* window);

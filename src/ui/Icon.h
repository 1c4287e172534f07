#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own icon in every size it is drawn in (16 to 256 pixels),
// from the resources of the common library.
QIcon gearbookIcon();

// The icon drawn at exactly size x size pixels (the about window shows 48 x 48).
QPixmap gearbookPixmap(int size);

#pragma once

#include <QIcon>
#include <QPixmap>

#include <functional>

// The program's own icon in every size it is drawn in (16 to 256 pixels),
// from the resources of the common library.
QIcon gearbookIcon();

// The icon drawn at exactly size x size pixels (the about window shows 48 x 48).
QPixmap gearbookPixmap(int size);

// An icon that calls `make` only when something first draws it or asks about
// it: reading an icon's image files at once costs the start dearly (the image
// format plugins are loaded for it), and many icons are never drawn.
// `key` names the icon (QIconEngine::key).
QIcon deferredIcon(std::function<QIcon()> make, const QString& key);

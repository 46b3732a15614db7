#pragma once

#include <QIcon>
#include <QImage>

// The monitor's own picture: a gear leg with its wheel and the three green gear-down lights.
// Drawn in code so the built-in icon and the icon file beside the executable are the same picture.
QImage drawAppIcon(int size);
QIcon builtInAppIcon();

#pragma once
// An icon of the program's resources drawn from its SVG source, so that it stays sharp at
// any screen scale (2 x and more); the PNG rendered from the same drawing stands in where
// Qt's SVG plug-ins are not installed.
#include <QIcon>

// group: "icons" or "appicon"; name without extension, e.g. drawnIcon("icons", "arrow_back").
QIcon drawnIcon(const char* group, const char* name);

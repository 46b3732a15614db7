#pragma once

#include <QString>

// The version line at the foot of the window, also written into the settings file's comment:
// "Version 1.0.3  (28 FEB 2010)  -  Supports Controller version 2.2.0", from the program's version
// and release date.
QString versionLine();

#pragma once

#include <string>

// Whether a plot may be written to `path`; an empty text when it may, else why not. The name ends
// in .svg or .png and lies in a folder that exists. It is a new name, or a regular file that holds
// a picture gear-log made (a PNG or an SVG as its name says, `mark` within its first 64 KB),
// which a new plot replaces: anything
// else, a folder, a symbolic link (leading anywhere or nowhere), a FIFO, a device and every
// other file, is refused and left as it is.
std::string refusedPicturePath(const std::string &path, const std::string &mark);

// Whether the recording at `path` can be read twice, as a plot reads it: a regular file; an
// empty text when it can, else why not. A missing file or a folder is left to the reader, which
// names it.
std::string refusedPlotRecording(const std::string &path);

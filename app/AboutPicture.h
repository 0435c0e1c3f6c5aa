#pragma once
// The picture of the about page, kept as a JPEG in the program's resources.

#include <windows.h>

namespace korvane {

// A bitmap the caller deletes, or null when the resource is missing or does
// not decode.
HBITMAP LoadAboutPicture();

}  // namespace korvane

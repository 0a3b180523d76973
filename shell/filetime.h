// The date and time text of a file, as the folder view's details show it.
#pragma once

#include <windows.h>

// Writes the local date, one space and the local time of `time` into
// `buffer` of `capacity` units, in the system's default formats. When the
// time cannot be converted or the text does not fit, the buffer holds the
// empty text (when it has room for that) and false is returned; nothing is
// ever written past `capacity` units.
bool FormatFileTime(const FILETIME& time, wchar_t* buffer, int capacity);

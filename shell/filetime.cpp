// Date and time texts.
#include "shell/filetime.h"

bool FormatFileTime(const FILETIME& time, wchar_t* buffer, int capacity) {
    // A capacity of 0 would ask the formatting calls for the size they need,
    // not for the text; there is then no room even for the empty text.
    if (!buffer || capacity <= 0) return false;
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts)) {
        buffer[0] = L'\0';
        return false;
    }
    const int dateUnits = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &parts, nullptr, buffer, capacity);
    // The time needs at least its terminator after the date's.
    if (dateUnits <= 0 || dateUnits >= capacity ||
        GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, 0, &parts, nullptr, buffer + dateUnits, capacity - dateUnits) <= 0) {
        buffer[0] = L'\0';
        return false;
    }
    // The space goes where the date's terminator was.
    buffer[dateUnits - 1] = L' ';
    return true;
}

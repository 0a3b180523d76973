// Byte counts as short texts for the memory page and the file lists.
#include <shlwapi.h>

#include "framework/gdi.h"

wchar_t* FormatByteSize(DWORD bytes, wchar_t* buffer, int units) {
    if (!buffer || units <= 0) return buffer;
    constexpr DWORD kKilo = 1024;
    constexpr DWORD kMega = 1024 * 1024;
    int written;
    if (bytes < kKilo) {
        written = wnsprintfW(buffer, units, L"%u B", static_cast<unsigned>(bytes));
    } else {
        // The tenths count whole steps of 100 bytes (KB) or 102400 bytes
        // (MB) in the remainder, truncated; the last step reaches 10 and
        // shows as 9.
        const bool mega = bytes >= kMega;
        const DWORD unit = mega ? kMega : kKilo;
        unsigned tenths = (bytes % unit) / (mega ? 102400 : 100);
        if (tenths > 9) tenths = 9;
        written = wnsprintfW(buffer, units, mega ? L"%u.%u MB" : L"%u.%u KB",
                             static_cast<unsigned>(bytes / unit), tenths);
    }
    // A cut text is terminated within the buffer whatever the formatter did.
    if (written < 0 || written >= units) buffer[units - 1] = L'\0';
    return buffer;
}

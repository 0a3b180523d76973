// Start-up decisions: language, screen density, titles, single instance.
#include "framework/appvalues.h"

#include "framework/regkey.h"
#include "resources/resource.h"

bool LangJapanese = false;
HINSTANCE AppInstance = nullptr;
int ScreenDpiX = 96;
int ScreenDpiY = 96;
bool HiRes = false;
wchar_t AppTitle[kAppTextUnits] = L"";
wchar_t AppName[kAppTextUnits] = L"";

namespace {

constexpr LANGID kJapaneseJapan = 0x0411;
constexpr int kHiResThresholdDpi = 130;

// Reads string `id` into a buffer of kAppTextUnits; a missing string leaves it empty.
void LoadAppText(UINT id, wchar_t* buffer) {
    buffer[0] = L'\0';
    if (LoadStringW(AppInstance, id, buffer, kAppTextUnits) <= 0) buffer[0] = L'\0';
}

}  // namespace

bool DecideJapanese(LANGID systemLanguage, bool toggleRead, DWORD toggle) {
    bool japanese = systemLanguage == kJapaneseJapan;
    if (toggleRead && toggle != 0) japanese = !japanese;
    return japanese;
}

bool IsHiResDpi(int dpiX) { return dpiX >= kHiResThresholdDpi; }

int ScaleForDpi(int length, int dpi) {
    int magnitude = ((length < 0 ? -length : length) * dpi + 48) / 96;
    return length < 0 ? -magnitude : magnitude;
}

int ScaleX(int length) { return ScaleForDpi(length, ScreenDpiX); }
int ScaleY(int length) { return ScaleForDpi(length, ScreenDpiY); }

void InitAppValues(HINSTANCE instance) {
    AppInstance = instance;

    DWORD toggle = 0;
    bool toggleRead =
        ReadRegValue(HKEY_CURRENT_USER, kLangToggleKey, kLangToggleValue, &toggle) == ERROR_SUCCESS;
    LangJapanese = DecideJapanese(GetSystemDefaultLangID(), toggleRead, toggle);

    if (HDC screen = GetDC(nullptr)) {
        ScreenDpiX = GetDeviceCaps(screen, LOGPIXELSX);
        ScreenDpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    HiRes = IsHiResDpi(ScreenDpiX);

    LoadAppText(IDS_APP_TITLE, AppTitle);
    LoadAppText(IDS_APP_NAME, AppName);
}

HWND SingleInstance(const wchar_t* name) {
    // Deliberately never closed: the mutex marks this process as running
    // until it ends.
    CreateMutexW(nullptr, FALSE, name);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return nullptr;
    HWND running = FindWindowW(name, nullptr);
    if (running) SetForegroundWindow(running);
    return running;
}

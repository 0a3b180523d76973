// Pebblora Settings: the control-panel module the game installs in the
// device's "\Windows". Two applets, in the game's language: the game's own
// settings (remembered skin, language switch) and the object store's
// memory, each shown in a message box when the applet is started.
#include <windows.h>
#include <cpl.h>

#include "applets/settings_ids.h"
#include "framework/appvalues.h"
#include "framework/gdi.h"
#include "framework/regkey.h"
#include "game/skinfile.h"
#include "platform/cestatus.h"

namespace {

HINSTANCE moduleInstance;

struct Applet {
    int icon;
    const wchar_t* englishName;
    const wchar_t* japaneseName;
    const wchar_t* englishInfo;
    const wchar_t* japaneseInfo;
};
const Applet applets[] = {
    {IDI_SETTINGS_GAME, L"Pebblora", L"Pebblora", L"Skin and language of the game", L"ｹﾞｰﾑのｽｷﾝと言語"},
    {IDI_SETTINGS_MEMORY, L"Memory", L"ﾒﾓﾘ", L"Size and free space of the object store", L"ｵﾌﾞｼﾞｪｸﾄｽﾄｱの容量と空き"},
};
constexpr int kAppletCount = static_cast<int>(sizeof applets / sizeof applets[0]);

// The game's own choice: Japanese on a Japanese device, inverted by the switch.
bool IsJapanese() {
    DWORD toggle = 0;
    const bool read = ReadRegValue(HKEY_CURRENT_USER, kLangToggleKey, kLangToggleValue, &toggle) == ERROR_SUCCESS;
    return DecideJapanese(GetSystemDefaultLangID(), read, toggle);
}

const wchar_t* Pick(bool japanese, const wchar_t* english, const wchar_t* japaneseText) {
    return japanese ? japaneseText : english;
}

void Inquire(int i, NEWCPLINFOW* record) {
    if (!record || i < 0 || i >= kAppletCount) return;
    const bool japanese = IsJapanese();
    const Applet& applet = applets[i];
    record->dwSize = sizeof(*record);
    record->lData = applet.icon;
    // Not shared: the caller destroys it.
    record->hIcon = static_cast<HICON>(LoadImageW(moduleInstance, MAKEINTRESOURCEW(applet.icon), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    lstrcpynW(record->szName, Pick(japanese, applet.englishName, applet.japaneseName), 32);
    lstrcpynW(record->szInfo, Pick(japanese, applet.englishInfo, applet.japaneseInfo), 64);
}

void ShowGameSettings(HWND owner, bool japanese) {
    wchar_t skin[MAX_PATH] = L"";
    FRegKey key(HKEY_CURRENT_USER);
    DWORD bytes = sizeof skin;
    if (key.Open(kSkinSettingKey, KEY_READ) != ERROR_SUCCESS ||
        key.QueryString(kSkinSettingValue, skin, &bytes) != ERROR_SUCCESS || skin[0] == L'\0')
        lstrcpynW(skin, Pick(japanese, L"(none)", L"(なし)"), MAX_PATH);
    DWORD toggle = 0;
    const bool switched = ReadRegValue(HKEY_CURRENT_USER, kLangToggleKey, kLangToggleValue, &toggle) == ERROR_SUCCESS &&
                          toggle != 0;
    wchar_t text[MAX_PATH + 128];
    wsprintfW(text, Pick(japanese, L"Skin: %s\nLanguage: %s", L"ｽｷﾝ: %s\n言語: %s"), skin,
              Pick(japanese, L"English", L"日本語"));
    if (switched) lstrcatW(text, Pick(japanese, L" (switched)", L" (切替)"));
    MessageBoxW(owner, text, L"Pebblora", MB_OK | MB_ICONINFORMATION);
}

void ShowMemory(HWND owner, bool japanese) {
    ce::STORE_INFORMATION store{};
    wchar_t text[128];
    if (ce::GetStoreInformation(&store)) {
        wchar_t size[kByteSizeUnits];
        wchar_t available[kByteSizeUnits];
        wsprintfW(text, Pick(japanese, L"Object store: %s\nFree: %s", L"ｵﾌﾞｼﾞｪｸﾄｽﾄｱ: %s\n空き: %s"),
                  FormatByteSize(store.dwStoreSize, size), FormatByteSize(store.dwFreeSize, available));
    } else {
        lstrcpynW(text, Pick(japanese, L"The object store cannot be read.", L"ｵﾌﾞｼﾞｪｸﾄｽﾄｱを読めません"), 128);
    }
    MessageBoxW(owner, text, Pick(japanese, L"Memory", L"ﾒﾓﾘ"), MB_OK | MB_ICONINFORMATION);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) moduleInstance = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) LONG WINAPI CPlApplet(HWND owner, UINT message, LPARAM lParam1, LPARAM lParam2) {
    switch (message) {
    case CPL_INIT: return 1;
    case CPL_GETCOUNT: return kAppletCount;
    case CPL_NEWINQUIRE: Inquire(static_cast<int>(lParam1), reinterpret_cast<NEWCPLINFOW*>(lParam2)); return 0;
    case CPL_DBLCLK:
        if (lParam1 == 0) ShowGameSettings(owner, IsJapanese());
        if (lParam1 == 1) ShowMemory(owner, IsJapanese());
        return 0;
    default: return 0;
    }
}

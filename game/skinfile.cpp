// The skin setting in the registry and skin files into SkinInfo.
#include "game/skinfile.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

#include "framework/language.h"
#include "framework/regkey.h"
#include "game/boardpainter.h"
#include "skin/inifile.h"

wchar_t CurrentSkinPath[kMaxPath] = L"";

namespace {

constexpr int kMinColours = 2;
constexpr int kMaxColours = 5;
constexpr int kDefaultColours = 4;

// Bytes an image name may take in the file: the INI reader never returns
// more than a line, so nothing is cut here in practice.
constexpr std::size_t kNameBytes = 520;

// Copies `source` into `out` when it fits with its terminator; otherwise
// leaves `out` empty. False when it did not fit. Reads at most `units` units;
// `source` may be `out` itself (LoadSkin is handed CurrentSkinPath).
bool CopyWhole(wchar_t* out, const wchar_t* source, std::size_t units) {
    const std::size_t length = wcsnlen(source, units);
    if (length == units) {
        out[0] = L'\0';
        return false;
    }
    std::wmemmove(out, source, length + 1);
    return true;
}

// Sets `path` from IMAGES/`key`: the name converted from the ANSI code page,
// unquoted, and joined to `folder`. An absent key leaves `path` as it was; a
// name that cannot be joined within kMaxPath units leaves it empty.
void ReadImagePath(const IniFile& ini, const char* key, const wchar_t* folder, wchar_t (&path)[kMaxPath]) {
    char bytes[kNameBytes];
    if (!ini.IniGetString("IMAGES", key, bytes, sizeof bytes)) return;
    // Every byte becomes at most one unit, so the conversion always fits;
    // JoinPath then refuses a name too long for a path.
    wchar_t name[kNameBytes];
    if (MultiByteToWideChar(CP_ACP, 0, bytes, -1, name, static_cast<int>(kNameBytes)) == 0) {
        path[0] = L'\0';
        return;
    }
    StripQuotes(name);
    if (!JoinPath(path, folder, name)) path[0] = L'\0';
}

}  // namespace

void LoadSkinSetting() {
    CurrentSkinPath[0] = L'\0';
    FRegKey key(HKEY_CURRENT_USER);
    if (key.Open(kSkinSettingKey) != ERROR_SUCCESS) return;
    // A value of another type is not a path, whatever its bytes spell.
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key.Handle(), kSkinSettingValue, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ))
        return;
    // One unit more than a path may have, so that a stored text of kMaxPath
    // units without terminator is seen to be too long instead of being cut
    // into the name of another file.
    wchar_t text[kMaxPath + 1];
    DWORD bytes = sizeof text;
    if (key.QueryString(kSkinSettingValue, text, &bytes) != ERROR_SUCCESS) return;
    CopyWhole(CurrentSkinPath, text, kMaxPath);
}

void SaveSkinSetting() {
    FRegKey key(HKEY_CURRENT_USER);
    if (key.Create(kSkinSettingKey) != ERROR_SUCCESS) return;
    (void)key.SetString(kSkinSettingValue, CurrentSkinPath);
}

void SetCurrentSkinPath(const wchar_t* path) { CopyWhole(CurrentSkinPath, path, kMaxPath); }

bool ReadSkinFile(const wchar_t* path) {
    wchar_t folder[kMaxPath];
    if (!path || !CopyWhole(folder, path, kMaxPath)) return false;

    IniFile ini;
    ini.keyCaseSensitive = 1;
    if (ini.IniLoad(path) != 0) return false;

    int version = 0;
    if (!ini.IniGetInt("PEBBLORA", "ver", version)) return false;
    if (!ini.IniGetInt("PEBBLORA", "num", SkinInfo.colours)) return false;
    if (SkinInfo.colours < kMinColours || SkinInfo.colours > kMaxColours) SkinInfo.colours = kDefaultColours;

    RemoveFileName(folder);
    ReadImagePath(ini, "piece", folder, SkinInfo.piecePath);
    ReadImagePath(ini, "background", folder, SkinInfo.backgroundPath);
    return PathExists(SkinInfo.backgroundPath) && PathExists(SkinInfo.piecePath);
}

void SkinBaseName(const wchar_t* path, wchar_t (&out)[kMaxPath]) {
    const wchar_t* name = FindFileName(path);
    const std::size_t length = wcsnlen(name, kMaxPath - 1);
    std::wmemcpy(out, name, length);
    out[length] = L'\0';
    RemoveExtension(out);
}

void FormatSkinTitle(const wchar_t* baseName, wchar_t (&out)[kSkinTitleUnits]) {
    // kSkinTitleFormat spelled out, so that no printf dialect decides what
    // "%s" means and the base name is cut rather than overrunning `out`.
    constexpr wchar_t kPrefix[] = L"VRK - ";
    constexpr std::size_t kPrefixUnits = std::size(kPrefix) - 1;
    std::wmemcpy(out, kPrefix, kPrefixUnits);
    const std::size_t length = wcsnlen(baseName, kSkinTitleUnits - kPrefixUnits - 1);
    std::wmemcpy(out + kPrefixUnits, baseName, length);
    out[kPrefixUnits + length] = L'\0';
}

const wchar_t* SkinErrorFormat() { return ByLanguage(kSkinErrorEnglish, kSkinErrorJapanese); }

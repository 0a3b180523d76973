// The skin in use: the remembered setting, reading a skin file into SkinInfo,
// and the texts the main window shows around a skin.
//
// A skin file is INI text (keys case-sensitive, sections not):
//   [PEBBLORA]  ver=<any integer, required>  num=<colours, required>
//   [IMAGES]    piece=<piece strip file>     background=<background file>
// Image names are relative to the skin file's folder, may be enclosed in
// double quotes, and are bytes in the device's ANSI code page.
#pragma once

#include "framework/paths.h"

// Full path of the skin file in use; empty when none is. The in-memory form
// of the setting: read at start, written at exit, set by the skin loader.
extern wchar_t CurrentSkinPath[kMaxPath];

// Where the setting lives, under HKEY_CURRENT_USER.
inline constexpr const wchar_t* kSkinSettingKey = L"Software\\Marrowvale\\Pebblora";
inline constexpr const wchar_t* kSkinSettingValue = L"skin";

// The LoadSkin texts: error box format (argument: the base name), and the
// main window titles with and without a skin.
inline constexpr const wchar_t* kSkinErrorEnglish = L"Skin file error %s";
inline constexpr const wchar_t* kSkinErrorJapanese = L"設定ﾌｧｲﾙが間違っています %s";
inline constexpr const wchar_t* kSkinTitleFormat = L"VRK - %s";
inline constexpr const wchar_t* kSkinTitleBare = L"VRK";
// Room for kSkinTitleFormat around a base name of up to kMaxPath - 1 units.
inline constexpr int kSkinTitleUnits = kMaxPath + 8;

// Sets CurrentSkinPath from the registry; empty when the key or value is
// missing, is not a string, or does not fit in kMaxPath units. Errors are
// silent.
void LoadSkinSetting();

// Writes CurrentSkinPath to the registry as REG_SZ, also when it is empty,
// creating the key when needed. Errors are silent (the setting is lost).
void SaveSkinSetting();

// Makes `path` the skin in use in memory: CurrentSkinPath = path, or empty
// when path does not fit in kMaxPath units. `path` may be CurrentSkinPath.
void SetCurrentSkinPath(const wchar_t* path);

// Fills SkinInfo from the skin file at `path`. True when the file has `ver`
// and `num` and both image paths then name something that exists (a key that
// is absent keeps the path an earlier skin left). `num` outside 2..5 gives 4.
// Whatever was set before a false result stays set: a skin rejected for its
// images still changes the colour count and the paths it named.
// Refusals that leave a path empty rather than shortened: an image name over
// kMaxPath - 1 units, or a joined path that would not fit in kMaxPath units,
// empties that path, so the skin is reported bad and no other skin's image
// is ever paired with it. A null path or one not terminated within kMaxPath
// units is refused before SkinInfo is touched.
[[nodiscard]] bool ReadSkinFile(const wchar_t* path);

// The name a skin is shown by: the file name of `path` without its last
// extension ("\a\my.skin.ini" gives "my.skin"), cut to kMaxPath - 1 units.
void SkinBaseName(const wchar_t* path, wchar_t (&out)[kMaxPath]);

// The main window title for a loaded skin: "VRK - <baseName>".
void FormatSkinTitle(const wchar_t* baseName, wchar_t (&out)[kSkinTitleUnits]);

// The error text format in the interface language.
const wchar_t* SkinErrorFormat();

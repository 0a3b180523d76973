// Process-wide values decided once at start-up and read everywhere after.
//
// InitAppValues writes them before the application main runs; nothing
// writes them afterwards.
#pragma once

#include <windows.h>

#include "framework/language.h"

inline constexpr int kAppTextUnits = 128;

extern HINSTANCE AppInstance;
extern int ScreenDpiX;
extern int ScreenDpiY;
extern bool HiRes;
extern wchar_t AppTitle[kAppTextUnits];  // string 101, the main window's caption
extern wchar_t AppName[kAppTextUnits];   // string 100, class name and mutex name

// Registry place of the language switch. The program reads it, never writes it.
inline constexpr const wchar_t* kLangToggleKey = L"Software\\Marrowvale";
inline constexpr const wchar_t* kLangToggleValue = L"LangToggle";

// Converts a length given for 96 dots per inch into screen pixels, rounded
// to the nearest pixel with halves away from zero, sign kept.
int ScaleX(int length);
int ScaleY(int length);
// The same rule for any density; ScaleX and ScaleY use the screen's.
int ScaleForDpi(int length, int dpi);

// Japanese when the system's language is Japanese as used in Japan (all 16
// bits compared), inverted when the switch was read and is not 0.
bool DecideJapanese(LANGID systemLanguage, bool toggleRead, DWORD toggle);

// The double-density screens start at 130 dots per inch.
bool IsHiResDpi(int dpiX);

// Stores the instance, decides the language from the system and the
// registry switch, measures the screen and loads the two titles.
void InitAppValues(HINSTANCE instance);

// Creates the single-instance mutex named `name` (held for the life of the
// process). When another process holds it and a top-level window of class
// `name` exists, brings that window to the front and returns it; otherwise
// returns null.
HWND SingleInstance(const wchar_t* name);

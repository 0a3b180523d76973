// Start-up decisions: language, screen density, titles, single instance.
#include <gtest/gtest.h>

#include <string>

#include "framework/appvalues.h"
#include "framework/regkey.h"
#include "tests/support/testsupport.h"

TEST(LanguageDecision, SystemLanguageAndToggle) {
    struct Case {
        LANGID system;
        bool toggleRead;
        DWORD toggle;
        bool japanese;
    };
    const Case cases[] = {
        /* 0 */ {0x0411, false, 0, true},   // Japanese system, no switch
        /* 1 */ {0x0411, true, 1, false},   // Japanese system, switch on
        /* 2 */ {0x0409, true, 1, true},    // English system, switch on
        /* 3 */ {0x0409, false, 0, false},  // English system, no switch
        /* 4 */ {0x0411, true, 0, true},    // switch 0 changes nothing
        /* 5 */ {0x0409, true, 0, false},
        /* 6 */ {0x0811, false, 0, false},  // all 16 bits count: not Japanese as used in Japan
        /* 7 */ {0x0011, false, 0, false},
        /* 8 */ {0x0409, true, 0xFFFFFFFF, true},
        /* 9 */ {0x0409, false, 1, false},  // a value that was not read plays no part
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(DecideJapanese(c.system, c.toggleRead, c.toggle), c.japanese) << "case " << i;
    }
}

TEST(ScreenDensity, HiResStartsAt130Dpi) {
    EXPECT_FALSE(IsHiResDpi(96));
    EXPECT_FALSE(IsHiResDpi(129));
    EXPECT_TRUE(IsHiResDpi(130));
    EXPECT_TRUE(IsHiResDpi(192));
}

// Reports what start-up decided: exit code = language bit | dpi << 1.
PEBBLORA_CHILD(ReportStartValues) {
    InitAppValues(GetModuleHandleW(nullptr));
    return (LangJapanese ? 1 : 0) | (ScreenDpiX << 1) | (HiRes ? 0x1000 : 0);
}

namespace {

struct StartValues {
    bool japanese;
    int dpi;
    bool hiRes;
};

StartValues RunStartValues(const std::vector<std::wstring>& environment = {}) {
    ChildProcess child;
    EXPECT_TRUE(StartChild("ReportStartValues", L"", child, environment));
    int code = child.Wait(30000);
    EXPECT_GE(code, 0) << "child did not finish";
    return {(code & 1) != 0, (code >> 1) & 0x7FF, (code & 0x1000) != 0};
}

// Sets a DWORD for the duration of a test and removes or restores it after.
class RegistryDword {
public:
    RegistryDword(const wchar_t* subkey, const wchar_t* name, DWORD value) : subkey_(subkey), name_(name) {
        FRegKey key(HKEY_CURRENT_USER);
        if (key.Create(subkey) != ERROR_SUCCESS) return;
        DWORD size = sizeof(saved_);
        had_ = RegQueryValueExW(key.Handle(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_), &size) ==
               ERROR_SUCCESS;
        RegSetValueExW(key.Handle(), name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof(value));
    }
    ~RegistryDword() {
        FRegKey key(HKEY_CURRENT_USER);
        if (key.Open(subkey_) != ERROR_SUCCESS) return;
        if (had_)
            RegSetValueExW(key.Handle(), name_, 0, REG_DWORD, reinterpret_cast<BYTE*>(&saved_), sizeof(saved_));
        else
            RegDeleteValueW(key.Handle(), name_);
    }

private:
    const wchar_t* subkey_;
    const wchar_t* name_;
    DWORD saved_ = 0;
    bool had_ = false;
};

}  // namespace

TEST(StartUp, TitlesComeFromTheStringTable) {
    InitAppValues(GetModuleHandleW(nullptr));
    EXPECT_STREQ(AppName, L"VRK");
    EXPECT_EQ(std::wstring(AppTitle).rfind(L"VRK (", 0), 0u) << "title: " << Narrow(AppTitle);
    EXPECT_EQ(AppTitle[wcslen(AppTitle) - 1], L')');
    EXPECT_EQ(AppInstance, GetModuleHandleW(nullptr));
}

TEST(StartUp, LanguageFollowsTheSystemAndTheToggleValue) {
    const bool systemJapanese = GetSystemDefaultLangID() == 0x0411;
    {
        ScratchKey none(kLangToggleKey);
        EXPECT_EQ(RunStartValues().japanese, systemJapanese) << "no switch";
    }
    {
        RegistryDword on(kLangToggleKey, kLangToggleValue, 1);
        EXPECT_EQ(RunStartValues().japanese, !systemJapanese) << "switch 1";
    }
    {
        RegistryDword off(kLangToggleKey, kLangToggleValue, 0);
        EXPECT_EQ(RunStartValues().japanese, systemJapanese) << "switch 0";
    }
}

TEST(StartUp, SystemLanguageIsTheOneTheRunAskedFor) {
    // The test run repeats this program under a Japanese system language
    // and says so here, so that both sides of the language table meet the
    // real system call.
    wchar_t expected[16];
    if (!GetEnvironmentVariableW(L"PEBBLORA_EXPECT_LANGID", expected, 16)) GTEST_SKIP() << "no language asked for";
    EXPECT_EQ(GetSystemDefaultLangID(), static_cast<LANGID>(wcstoul(expected, nullptr, 16)));
}

TEST(StartUp, ScreenDensityIsMeasured) {
    StartValues normal = RunStartValues();
    EXPECT_EQ(normal.dpi, 96);
    EXPECT_FALSE(normal.hiRes);
    RegistryDword dense(L"Control Panel\\Desktop", L"LogPixels", 192);
    StartValues high = RunStartValues();
    EXPECT_EQ(high.dpi, 192);
    EXPECT_TRUE(high.hiRes);
}

// Exit code 0: a running copy was found; 2: none.
PEBBLORA_CHILD(LookForRunningCopy) {
    return SingleInstance(Widen(argv[0]).c_str()) ? 0 : 2;
}

namespace {

// A top-level window of a class named `name`, as a running copy would have.
struct RunningCopyWindow {
    std::wstring name;
    HWND hwnd = nullptr;
    explicit RunningCopyWindow(std::wstring className) : name(std::move(className)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name.c_str();
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, name.c_str(), L"running copy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                               100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~RunningCopyWindow() {
        DestroyWindow(hwnd);
        UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
    }
};

// Another window in front, so that bringing the copy forward is visible.
struct OtherWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
    ~OtherWindow() { DestroyWindow(hwnd); }
};

}  // namespace

TEST(SingleInstance, FirstCopyFindsNothing) {
    std::wstring name = L"PebbloraFirst" + std::to_wstring(GetCurrentProcessId());
    EXPECT_EQ(SingleInstance(name.c_str()), nullptr);
}

TEST(SingleInstance, SecondCopyFindsTheRunningWindowAndBringsItForward) {
    std::wstring name = L"PebbloraCopy" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(SingleInstance(name.c_str()), nullptr);
    RunningCopyWindow running(name);
    ASSERT_NE(running.hwnd, nullptr);
    OtherWindow other;
    SetForegroundWindow(other.hwnd);
    ASSERT_EQ(GetForegroundWindow(), other.hwnd);

    ChildProcess child;
    ASSERT_TRUE(StartChild("LookForRunningCopy", name, child));
    EXPECT_EQ(child.Wait(30000), 0);
    EXPECT_EQ(GetForegroundWindow(), running.hwnd) << "the running copy did not come to the front";
}

TEST(SingleInstance, MutexWithoutWindowLetsASecondCopyStart) {
    std::wstring name = L"PebbloraNoWindow" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(SingleInstance(name.c_str()), nullptr);
    ChildProcess child;
    ASSERT_TRUE(StartChild("LookForRunningCopy", name, child));
    EXPECT_EQ(child.Wait(30000), 2);
}

TEST(SingleInstance, TheProgramYieldsToARunningCopy) {
    // The real program, started while this process plays the running copy.
    std::wstring exe = OwnExecutable();
    exe = exe.substr(0, exe.rfind(L'\\'));
    exe = exe.substr(0, exe.rfind(L'\\')) + L"\\app\\pebblora.exe";
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(exe);
    ASSERT_EQ(SingleInstance(L"VRK"), nullptr) << "another copy of the program is running";
    RunningCopyWindow running(L"VRK");
    OtherWindow other;
    SetForegroundWindow(other.hwnd);
    ChildProcess program;
    ASSERT_TRUE(StartProgram(exe, L"", program));
    EXPECT_EQ(program.Wait(30000), 0);
    EXPECT_EQ(GetForegroundWindow(), running.hwnd);
}

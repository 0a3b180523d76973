// The yardstick of bench/start_bench.sh: the least a Win32 program does to
// put a window on the screen. One window filled with a single colour, a
// message loop, nothing else; the benchmark times `wine start_window.exe`
// from its start until that colour is on the screen.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Pure green: a colour neither Wine's desktop nor an unpainted window has.
    cls.hbrBackground = CreateSolidBrush(RGB(0, 255, 0));
    cls.lpszClassName = L"StartWindow";
    if (!RegisterClassW(&cls)) return 1;
    HWND window = CreateWindowW(L"StartWindow", L"Start window", WS_POPUP | WS_VISIBLE,
                                0, 0, 240, 320, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

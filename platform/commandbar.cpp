// The handheld's command bar over the desktop's toolbar control.
#include "platform/commandbar.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/aygshell.h"

namespace {

constexpr COLORREF kStripMask = RGB(255, 0, 255);
constexpr UINT_PTR kBarSubclassId = 0x43424152;  // one subclass per toolbar, whoever made it
// The state is found again through a window property: the import library
// of the common controls lacks GetWindowSubclass.
constexpr const wchar_t* kStateProperty = L"PebbloraCommandBar";

// What a bar owns beyond what the toolbar control keeps itself.
struct BarState {
    HIMAGELIST ownedImages = nullptr;  // made by CommandBar_AddBitmap; a list given by others stays theirs
    std::vector<std::wstring> tips;    // in button order, separators not counted
    HWND ownedTooltip = nullptr;       // made for a toolbar that had none
};

bool IsToolbar(HWND window) {
    wchar_t cls[32];
    return window && GetClassNameW(window, cls, 32) && lstrcmpiW(cls, TOOLBARCLASSNAMEW) == 0;
}

// The toolbar behind `bar`: the bar itself, or the toolbar of a menu bar.
HWND ToolbarOf(HWND bar) {
    if (!IsWindow(bar)) return nullptr;
    if (IsToolbar(bar)) return bar;
    return ce::MenuBarToolbar(bar);
}

// The tooltip text of the button with command `id`: the tips count the
// buttons in order, separators left out.
const wchar_t* TipFor(HWND toolbar, const BarState& state, UINT_PTR id) {
    auto index = static_cast<int>(SendMessageW(toolbar, TB_COMMANDTOINDEX, id, 0));
    if (index < 0) return nullptr;
    std::size_t ordinal = 0;
    for (int i = 0; i < index; ++i) {
        TBBUTTON button{};
        if (SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)) &&
            !(button.fsStyle & BTNS_SEP))
            ++ordinal;
    }
    return ordinal < state.tips.size() ? state.tips[ordinal].c_str() : nullptr;
}

// Answers the tooltip's questions from the bar's tips and frees what the
// bar owns when the toolbar goes.
LRESULT CALLBACK BarSubclassProc(HWND toolbar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR ref) {
    auto* state = reinterpret_cast<BarState*>(ref);
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->code == TTN_GETDISPINFOW &&
            header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0))) {
            if (const wchar_t* tip = TipFor(toolbar, *state, header->idFrom)) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                info->hinst = nullptr;
                info->lpszText = const_cast<wchar_t*>(tip);
                return 0;
            }
        }
        break;
    }
    case WM_NCDESTROY: {
        LRESULT result = DefSubclassProc(toolbar, message, wParam, lParam);
        RemoveWindowSubclass(toolbar, BarSubclassProc, id);
        RemovePropW(toolbar, kStateProperty);
        if (state->ownedTooltip && IsWindow(state->ownedTooltip)) DestroyWindow(state->ownedTooltip);
        if (state->ownedImages) ImageList_Destroy(state->ownedImages);
        delete state;
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(toolbar, message, wParam, lParam);
}

// The state of a toolbar, attached on first use.
BarState* StateOf(HWND toolbar) {
    if (auto* known = static_cast<BarState*>(GetPropW(toolbar, kStateProperty))) return known;
    auto* state = new BarState;
    if (!SetPropW(toolbar, kStateProperty, state)) {
        delete state;
        return nullptr;
    }
    if (!SetWindowSubclass(toolbar, BarSubclassProc, kBarSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
        RemovePropW(toolbar, kStateProperty);
        delete state;
        return nullptr;
    }
    return state;
}

// A toolbar created without a tooltip control gets one; its buttons so far
// are registered by hand, later ones by the toolbar itself.
HWND EnsureTooltip(HWND toolbar, BarState& state) {
    if (auto tooltip = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0))) return tooltip;
    HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, toolbar, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) return nullptr;
    state.ownedTooltip = tooltip;
    SendMessageW(toolbar, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(tooltip), 0);
    auto count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)) || (button.fsStyle & BTNS_SEP))
            continue;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = toolbar;
        tool.uId = static_cast<UINT_PTR>(button.idCommand);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tool.rect));
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return tooltip;
}

// Draws `count` images of side `side` from the strip onto a magenta canvas,
// scaling the strip's images to that side; images the strip lacks stay clear.
HBITMAP MakeStripCanvas(HBITMAP strip, int stripSide, int stripImages, int count, int side) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = count * side;
    format.bmiHeader.biHeight = side;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas) return nullptr;
    HDC target = CreateCompatibleDC(nullptr);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ oldTarget = SelectObject(target, canvas);
    HGDIOBJ oldSource = SelectObject(source, strip);
    RECT all{0, 0, count * side, side};
    HBRUSH mask = CreateSolidBrush(kStripMask);
    FillRect(target, &all, mask);
    DeleteObject(mask);
    int copied = stripImages < count ? stripImages : count;
    // Nearest-pixel scaling: a blend would tint the edges with the mask colour.
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, copied * side, side, source, 0, 0, copied * stripSide, stripSide, SRCCOPY);
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteDC(source);
    DeleteDC(target);
    return canvas;
}

}  // namespace

namespace ce {

int AddImageStrip(HIMAGELIST& list, HINSTANCE module, int bitmapId, int imageCount) {
    if (bitmapId == 0 || imageCount < 0) return -1;
    auto strip = static_cast<HBITMAP>(LoadImageW(module ? module : GetModuleHandleW(nullptr),
                                                 MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0,
                                                 LR_CREATEDIBSECTION));
    if (!strip) return -1;
    BITMAP info{};
    GetObjectW(strip, sizeof(info), &info);
    const int stripSide = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    const int stripImages = stripSide > 0 ? info.bmWidth / stripSide : 0;
    const int count = imageCount > 0 ? imageCount : stripImages;
    int side = stripSide;
    if (list) {
        int cy = 0;
        ImageList_GetIconSize(list, &side, &cy);
    }
    int first = -1;
    if (count > 0 && side > 0) {
        if (HBITMAP canvas = MakeStripCanvas(strip, stripSide, stripImages, count, side)) {
            HIMAGELIST target = list ? list : ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, count, 4);
            if (target) {
                first = ImageList_GetImageCount(target);
                if (ImageList_AddMasked(target, canvas, kStripMask) < 0) {
                    first = -1;
                    if (!list) ImageList_Destroy(target);
                } else {
                    list = target;
                }
            }
            DeleteObject(canvas);
        }
    }
    DeleteObject(strip);
    return first;
}

}  // namespace ce

HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id) {
    if (!IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST |
                                   TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance ? instance : GetModuleHandleW(nullptr), nullptr);
    if (!bar) return nullptr;
    if (!StateOf(bar)) {
        DestroyWindow(bar);
        return nullptr;
    }
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    return bar;
}

int CommandBar_AddBitmap(HWND bar, HINSTANCE module, int bitmapId, int imageCount, int cx, int cy) {
    HWND toolbar = ToolbarOf(bar);
    if (!toolbar || imageCount <= 0 || cx <= 0 || cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    BarState* state = StateOf(toolbar);
    if (!state) return -1;
    auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    const bool fresh = list == nullptr;
    int first = ce::AddImageStrip(list, module, bitmapId, imageCount);
    if (first < 0) return -1;
    if (fresh) {
        // The button size follows the image size only when it is set before
        // the first button is added.
        state->ownedImages = list;
        int width = 0, height = 0;
        ImageList_GetIconSize(list, &width, &height);
        SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    }
    // Setting the list again tells the toolbar its size and its new count.
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    InvalidateRect(toolbar, nullptr, TRUE);
    return first;
}

BOOL CommandBar_AddButtons(HWND bar, UINT count, const TBBUTTON* buttons) {
    return static_cast<BOOL>(SendMessageW(bar, TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons)));
}

BOOL CommandBar_AddToolTips(HWND bar, UINT count, const wchar_t* const* tips) {
    HWND toolbar = ToolbarOf(bar);
    if (!toolbar || (count > 0 && !tips)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BarState* state = StateOf(toolbar);
    if (!state || !EnsureTooltip(toolbar, *state)) return FALSE;
    state->tips.clear();
    for (UINT i = 0; i < count; ++i) state->tips.emplace_back(tips[i] ? tips[i] : L"");
    return TRUE;
}

int CommandBar_Height(HWND bar) {
    RECT frame;
    if (!IsWindow(bar) || !GetWindowRect(bar, &frame)) return 0;
    return frame.bottom - frame.top;
}

void CommandBar_Destroy(HWND bar) {
    if (IsWindow(bar)) DestroyWindow(bar);
}

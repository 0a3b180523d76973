// Dialogs and property sheets: the shared procedures, the default handlers
// that give every dialog the handheld's full-screen look, and the sheet.
#include "framework/dialog.h"

#include "framework/appvalues.h"
#include "framework/errorbox.h"
#include "framework/gdi.h"
#include "framework/language.h"
#include "platform/aygshell.h"

FObjectMap<FWnd> DialogMap(true);

namespace {

// The empty bar description and the button strips (single and double size)
// of the dialogs' menu bar.
constexpr UINT kEmptyBarDescription = 99;
constexpr int kBarImages = 105;
constexpr int kBarImagesHiRes = 106;
constexpr int kBarImageCount = 9;

constexpr int kLastEndingCommand = 20;
constexpr int kTitleUnits = MAX_PATH;
constexpr COLORREF kTitleColour = RGB(0, 0, 139);
constexpr LRESULT kPocketSheetVersion = 0x20C;

// Title and link text of the sheet being shown, for the sheet callback.
// Sheets are shown by the user-interface thread only.
wchar_t sheetTitle[kTitleUnits] = L"";
const wchar_t* sheetLinkText = nullptr;

// Finds a dialog template of AppInstance, reporting a missing one with the
// fatal box. Resource names are matched without regard to case.
HRSRC FindDialogTemplate(HWND owner, const wchar_t* name) {
    HRSRC found = FindResourceW(AppInstance, name, RT_DIALOG);
    if (found) return found;
    if (IS_INTRESOURCE(name))
        ShowFatal(owner, L"DIALOG[#%d]", static_cast<int>(reinterpret_cast<UINT_PTR>(name)));
    else
        ShowFatal(owner, L"DIALOG[%s]", name);
    return nullptr;
}

// Binds `object` to `hwnd` and registers it, most recent first.
void Bind(FWnd* object, HWND hwnd) {
    object->hwnd = hwnd;
    DialogMap.Add(object);
}

// The dialog procedure of every FDlg. An object whose WM_DESTROY handler
// threw is unbound all the same.
INT_PTR CALLBACK DlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    FDlg* dialog = nullptr;
    try {
        if (message == WM_INITDIALOG && lParam) Bind(reinterpret_cast<FDlg*>(lParam), hwnd);
        dialog = dynamic_cast<FDlg*>(DialogMap.Find(hwnd));
        if (!dialog) return FALSE;
        INT_PTR result = dialog->DialogProc(hwnd, message, wParam, lParam);
        if (message == WM_DESTROY) DialogMap.Remove(dialog);
        return result;
    } catch (...) {
        if (message == WM_DESTROY && dialog) DialogMap.Remove(dialog);
        ShowFatal(hwnd, L"DlgProc");
        return 0;
    }
}

// The dialog procedure of every FPropPage; the object is the lParam of the
// page description that WM_INITDIALOG brings.
INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    FPropPage* page = nullptr;
    try {
        if (message == WM_INITDIALOG && lParam) {
            auto* description = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
            if (description->lParam) Bind(reinterpret_cast<FPropPage*>(description->lParam), hwnd);
        }
        page = dynamic_cast<FPropPage*>(DialogMap.Find(hwnd));
        if (!page) return FALSE;
        INT_PTR result = page->DialogProc(hwnd, message, wParam, lParam);
        if (message == WM_DESTROY) DialogMap.Remove(page);
        return result;
    } catch (...) {
        if (message == WM_DESTROY && page) DialogMap.Remove(page);
        ShowFatal(hwnd, L"FPropPage");
        return 0;
    }
}

// The sheet's callback: the handheld's sheet style, its menu bar and title.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam) {
    switch (message) {
    case PSCB_INITIALIZED:
        CreateDialogMenuBar(sheet);
        return 0;
    case PSCB_GETVERSION:
        return kPocketSheetVersion;
    case PSCB_GETTITLE:
        // The copy never runs longer than the remembered title's buffer.
        if (lParam) lstrcpynW(reinterpret_cast<wchar_t*>(lParam), sheetTitle, kTitleUnits);
        return 0;
    case PSCB_GETLINKTEXT:
        if (lParam && sheetLinkText) lstrcpynW(reinterpret_cast<wchar_t*>(lParam), sheetLinkText, kTitleUnits);
        return 0;
    default:
        return 0;
    }
}

}  // namespace

// ---- Menu bar -------------------------------------------------------------------

HWND CreateDialogMenuBar(HWND parent, bool withButtons) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof(info);
    info.hwndParent = parent;
    info.dwFlags = 0;
    info.nToolBarId = kEmptyBarDescription;
    info.hInstRes = AppInstance;
    info.nBmpId = HiRes ? kBarImagesHiRes : kBarImages;
    info.cBmpImages = kBarImageCount;
    if (!SHCreateMenuBar(&info)) return nullptr;
    if (!withButtons) return info.hwndMB;

    TBBUTTON buttons[2]{};
    buttons[0].iBitmap = 0;
    buttons[0].idCommand = IDCANCEL;
    buttons[1].iBitmap = 1;
    buttons[1].idCommand = IDOK;
    for (TBBUTTON& button : buttons) {
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = -1;
    }
    SendMessageW(info.hwndMB, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));

    const wchar_t* labels[2] = {ByLanguage(L"Cancel", L"ｷｬﾝｾﾙ"), L"OK"};
    for (int i = 0; i < 2; ++i) {
        TBBUTTONINFOW label{};
        label.cbSize = sizeof(label);
        label.dwMask = TBIF_TEXT;
        label.pszText = const_cast<wchar_t*>(labels[i]);
        SendMessageW(info.hwndMB, TB_SETBUTTONINFOW, buttons[i].idCommand, reinterpret_cast<LPARAM>(&label));
    }
    SendMessageW(info.hwndMB, TB_AUTOSIZE, 0, 0);
    return info.hwndMB;
}

// ---- FDlg -------------------------------------------------------------------------

FDlg::~FDlg() { DialogMap.Remove(this); }

INT_PTR FDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(hwnd, message, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(hwnd, message, wParam, lParam);
    case WM_COMMAND:
        return OnCommand(hwnd, message, wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(hwnd, message, wParam, lParam);
    case WM_PAINT:
        return OnPaint(hwnd, message, wParam, lParam);
    default:
        return FALSE;
    }
}

INT_PTR FDlg::OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) {
    SHINITDLGINFO init{};
    init.dwMask = SHIDIM_FLAGS;
    init.hDlg = hwnd;
    init.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
    SHInitDialog(&init);
    CreateDialogMenuBar(hwnd);
    return TRUE;
}

INT_PTR FDlg::OnDestroy(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

INT_PTR FDlg::OnCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
    int id = LOWORD(wParam);
    if (id == 0 || id > kLastEndingCommand) return FALSE;
    EndDialog(hwnd, static_cast<INT_PTR>(wParam));
    return TRUE;
}

INT_PTR FDlg::OnNotify(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

INT_PTR FDlg::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
    FPaintDC paint(hwnd);
    if (!paint.dc) return TRUE;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    RECT line{0, ScaleY(23), screenWidth, ScaleY(23) + GetSystemMetrics(SM_CXBORDER)};
    FillRect(paint.dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    wchar_t text[kTitleUnits] = L"";
    GetWindowTextW(hwnd, text, kTitleUnits);
    // The dialog's own font, so that Japanese titles show as the controls do.
    FSelectObject font(paint.dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SetTextColor(paint.dc, kTitleColour);
    SetBkMode(paint.dc, TRANSPARENT);
    RECT band{ScaleX(4), ScaleY(6), screenWidth - ScaleX(4), ScaleY(20)};
    DrawTextW(paint.dc, text, -1, &band, DT_NOPREFIX);
    return TRUE;
}

void FDlg::SetNotifyResult(LONG_PTR result) { SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result); }

INT_PTR DoModal(FDlg& dialog, HWND owner, const wchar_t* templateName) {
    HRSRC found = FindDialogTemplate(owner, templateName);
    if (!found) return -1;
    HGLOBAL loaded = LoadResource(AppInstance, found);
    auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(loaded ? LockResource(loaded) : nullptr);
    if (!dialogTemplate) return -1;
    return DialogBoxIndirectParamW(AppInstance, dialogTemplate, owner, DlgProc, reinterpret_cast<LPARAM>(&dialog));
}

// ---- FPropPage --------------------------------------------------------------------

FPropPage::~FPropPage() {
    DialogMap.Remove(this);
    // A sheet destroys the pages it was given; a page left out is ours.
    if (page && !inSheet) DestroyPropertySheetPage(page);
}

INT_PTR FPropPage::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(hwnd, message, wParam, lParam);
    case WM_COMMAND:
        return OnCommand(hwnd, message, wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(hwnd, message, wParam, lParam);
    case WM_PAINT:
        return OnPaint(hwnd, message, wParam, lParam);
    default:
        return FALSE;
    }
}

INT_PTR FPropPage::OnInitDialog(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR FPropPage::OnCommand(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR FPropPage::OnPaint(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR FPropPage::OnNotify(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return FALSE;
    INT_PTR result = 0;
    switch (header->code) {
    case PSN_SETACTIVE: result = OnSetActive(); break;
    case PSN_KILLACTIVE: result = OnKillActive(); break;
    case PSN_APPLY: result = OnApply(); break;
    case PSN_WIZBACK: result = OnWizBack(); break;
    case PSN_WIZNEXT: result = OnWizNext(); break;
    case PSN_WIZFINISH: result = OnWizFinish(); break;
    case PSN_QUERYCANCEL: result = OnQueryCancel(); break;
    case PSN_RESET:
        OnReset();
        return TRUE;
    case PSN_HELP:
        OnHelp();
        return TRUE;
    default:
        return FALSE;
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR FPropPage::OnApply() { return 0; }
void FPropPage::OnHelp() {}
INT_PTR FPropPage::OnKillActive() { return 0; }
INT_PTR FPropPage::OnQueryCancel() { return 0; }
void FPropPage::OnReset() {}
INT_PTR FPropPage::OnSetActive() { return 0; }
INT_PTR FPropPage::OnWizBack() { return 0; }
INT_PTR FPropPage::OnWizFinish() { return 0; }
INT_PTR FPropPage::OnWizNext() { return 0; }

// ---- FPropSheet -------------------------------------------------------------------

HPROPSHEETPAGE AddPage(FPropPage& page, FPropSheet& sheet, const wchar_t* templateName) {
    page.sheet = &sheet;
    // Without its template the desktop would refuse the whole sheet.
    if (!FindDialogTemplate(nullptr, templateName)) return nullptr;

    PROPSHEETPAGEW description{};
    description.dwSize = sizeof(description);
    description.dwFlags = PSP_DEFAULT;
    description.hInstance = AppInstance;
    description.pszTemplate = templateName;
    description.pfnDlgProc = PageProc;
    description.lParam = reinterpret_cast<LPARAM>(&page);
    page.page = CreatePropertySheetPageW(&description);
    page.inSheet = false;
    if (page.page && sheet.count < FPropSheet::kMaxPages) {
        sheet.pages[sheet.count++] = page.page;
        page.inSheet = true;
    }
    return page.page;
}

INT_PTR ShowSheet(FPropSheet& sheet, HWND owner, DWORD flags, const wchar_t* title) {
    lstrcpynW(sheetTitle, title ? title : L"", kTitleUnits);
    sheetLinkText = nullptr;

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = flags | PSH_USECALLBACK | PSH_MAXIMIZE;
    header.hwndParent = owner;
    header.hInstance = AppInstance;
    header.pszCaption = sheetTitle;
    header.nPages = static_cast<UINT>(sheet.count);
    header.nStartPage = 0;
    header.phpage = sheet.pages;
    header.pfnCallback = SheetCallback;
    INT_PTR result = ce::PropertySheetW(&header);
    if (flags & PSH_MODELESS) {
        sheet.hwnd = reinterpret_cast<HWND>(result);
        sheet.owned = sheet.hwnd != nullptr;
    }
    return result;
}

// The shared image lists, their standard images and the icon-source cache.
#include "shell/iconcache.h"

#include <shellapi.h>

#include <climits>
#include <cwchar>
#include <string_view>

#include "framework/allocator.h"
#include "framework/appvalues.h"
#include "framework/errorbox.h"
#include "framework/gdi.h"
#include "framework/paths.h"
#include "resource.h"
#include "shell/filetypes.h"

const int kStandardIconIds[kStandardImageCount] = {
    IDI_SHELL_DOCUMENT,      // 0
    IDI_SHELL_PROGRAM,       // 1
    IDI_SHELL_FOLDER,        // 2
    IDI_SHELL_SHORTCUT,      // 3, overlay 1
    IDI_SHELL_IN_ROM,        // 4, overlay 2
    IDI_SHELL_ROM_SHORTCUT,  // 5, overlay 3
    IDI_SHELL_DATABASE,      // 6
    IDI_SHELL_CHECKLIST,     // 7
    IDI_SHELL_STORE,         // 8
    IDI_SHELL_MY_DEVICE,     // 9
    IDI_SHELL_MY_NETWORK,    // 10
    IDI_SHELL_MY_DOCUMENTS,  // 11
    IDI_SHELL_FAVORITES,     // 12
};

namespace {

struct TextHash {
    std::size_t operator()(const ShellText& text) const noexcept {
        return std::hash<std::wstring_view>{}(std::wstring_view(text.data(), text.size()));
    }
};

// The process's lists, shared by every handle.
struct IconCacheData {
    HIMAGELIST largeList = nullptr;
    bool largeOwned = false;
    HIMAGELIST smallList = nullptr;
    bool smallOwned = false;
    FileTypeTable* types = nullptr;  // a handle of the cache's own
    // Where an image came from (a lowered program or icon path, or a type
    // key) to its number.
    FHashMap<ShellText, int, TextHash> sources{100};
};

IconCacheData* gIcons = nullptr;
int gIconHandles = 0;

// A list made with the colour depth left open holds only 16 colours on the
// desktop. 24 bits keep the icons' colours; 32 would keep their soft edges
// too, but the platform's lists then draw no overlays.
constexpr UINT kListFlags = ILC_MASK | ILC_COLOR24;

SIZE LargeIconSize() { return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)}; }
SIZE SmallIconSize() { return {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}; }

// Appends an icon (borrowed) to one list. On high-density screens the icon
// is redrawn at the list's size first.
int AppendIcon(HIMAGELIST list, HICON icon) {
    return HiRes ? ReplaceImageListIcon(list, -1, icon) : ImageList_ReplaceIcon(list, -1, icon);
}

// Appends one picture to both lists, which must stay image for image alike:
// when either list refuses, neither keeps it. Returns the number or -1.
int AppendToBothLists(HICON large, HICON small) {
    const int index = AppendIcon(gIcons->largeList, large);
    if (index < 0) return -1;
    const int smallIndex = AppendIcon(gIcons->smallList, small);
    if (smallIndex != index) {
        if (smallIndex >= 0) ImageList_Remove(gIcons->smallList, smallIndex);
        ImageList_Remove(gIcons->largeList, index);
        return -1;
    }
    return index;
}

HICON LoadIconResource(int id, SIZE size) {
    return static_cast<HICON>(
        LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, size.cx, size.cy, LR_DEFAULTCOLOR));
}

void LoadStandardImages() {
    for (int id : kStandardIconIds) {
        FIcon large(LoadIconResource(id, LargeIconSize()));
        FIcon small(LoadIconResource(id, SmallIconSize()));
        if (!large || !small) {
            ShowDebug(L"ICON [%d]", id);
            continue;
        }
        AppendToBothLists(large.Get(), small.Get());
    }
    for (int overlay = kOverlayShortcut; overlay <= kOverlayShortcutInRom; ++overlay) {
        const int image = kImageShortcut + overlay - kOverlayShortcut;
        ImageList_SetOverlayImage(gIcons->largeList, image, overlay);
        ImageList_SetOverlayImage(gIcons->smallList, image, overlay);
    }
}

void CreateCache() {
    gIcons = new IconCacheData;
    const SIZE large = LargeIconSize();
    const SIZE small = SmallIconSize();
    gIcons->largeList = ImageList_Create(large.cx, large.cy, kListFlags, 64, 64);
    gIcons->largeOwned = gIcons->largeList != nullptr;
    gIcons->smallList = ImageList_Create(small.cx, small.cy, kListFlags, 64, 64);
    gIcons->smallOwned = gIcons->smallList != nullptr;
    gIcons->types = new FileTypeTable;
    gIcons->sources.clear();
    ImageList_RemoveAll(gIcons->largeList);
    ImageList_RemoveAll(gIcons->smallList);
    LoadStandardImages();
}

void DestroyCache() {
    if (gIcons->largeOwned) ImageList_Destroy(gIcons->largeList);
    if (gIcons->smallOwned) ImageList_Destroy(gIcons->smallList);
    delete gIcons->types;
    gIcons->sources.clear();
    delete gIcons;
    gIcons = nullptr;
}

// Icon `number` of `file` at the large or the small size, or null.
HICON ExtractOneIcon(const wchar_t* file, int number, bool large) {
    HICON icon = nullptr;
    const UINT extracted = large ? ExtractIconExW(file, number, &icon, nullptr, 1)
                                 : ExtractIconExW(file, number, nullptr, &icon, 1);
    // A file without icons may leave anything in the handle: only a count
    // says it is an icon.
    return extracted == 0 || extracted == UINT_MAX ? nullptr : icon;
}

// Takes icon `number` out of `file` at both sizes into the holders (left as
// they were when the file gives none).
void ExtractIcons(const wchar_t* file, int number, FIcon& large, FIcon& small) {
    // One size per call: asked for both at once, the platform fills the
    // small icon with the wrong picture data.
    large.Reset(ExtractOneIcon(file, number, true));
    small.Reset(ExtractOneIcon(file, number, false));
}

// A copy of `icon` drawn at `size`; the given icon stays the caller's.
HICON CopyIconAtSize(HICON icon, SIZE size) {
    HICON copy = CopyIcon(icon);
    if (copy) FitIcon(copy, size.cx, size.cy);
    return copy;
}

bool IsExtension(const wchar_t* extension, const wchar_t* wanted) { return std::wcscmp(extension, wanted) == 0; }

}  // namespace

ShellIconCache::ShellIconCache() {
    if (gIconHandles++ == 0) CreateCache();
}

ShellIconCache::~ShellIconCache() {
    if (--gIconHandles == 0) DestroyCache();
}

HIMAGELIST ShellIconCache::LargeList() const { return gIcons->largeList; }
HIMAGELIST ShellIconCache::SmallList() const { return gIcons->smallList; }
const FileTypeTable& ShellIconCache::Types() const { return *gIcons->types; }

int GetFileIconIndex(ShellIconCache& cache, const wchar_t* path, DWORD attributes, DWORD flags) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return kImageFolder;

    ShellText lowered(path);
    LowerText(lowered);
    // Only the last name counts: a dot in a folder's name is no extension.
    const wchar_t* extension = FindExtension(FindFileName(lowered.c_str()));
    if (extension[0] == L'\0') return kImageDocument;

    if (IsExtension(extension, L".exe")) {
        if (flags & kIconsFromPrograms) {
            const int image = AddIconFromFile(cache, lowered.c_str(), lowered.c_str(), 0, nullptr);
            if (image != -1) return image;
        }
        return kImageProgram;
    }
    if (IsExtension(extension, L".ico") || IsExtension(extension, L".ic2")) {
        if (flags & kIconsFromIconFiles) {
            const int image = AddIconFromFile(cache, lowered.c_str(), lowered.c_str(), 0, nullptr);
            if (image != -1) return image;
        }
        return kImageDocument;
    }

    const FileTypeInfo* type = cache.Types().FindByExtension(extension);
    if (!type || type->typeKey.empty() || type->iconFile.empty()) return kImageDocument;
    if (flags & kIconsFromTypes) {
        const int image =
            AddIconFromFile(cache, type->typeKey.c_str(), type->iconFile.c_str(), type->iconNumber, nullptr);
        if (image != -1) return image;
    }
    return kImageDocument;
}

int AddIconFromFile(ShellIconCache& cache, const wchar_t* key, const wchar_t* file, int number, HICON fallback) {
    ShellText source(key);
    if (auto found = gIcons->sources.find(source); found != gIcons->sources.end()) return found->second;

    FIcon large;
    FIcon small;
    // High-density screens may have a resource twin of a library beside it,
    // named after the density: "x.192.dll" for "x.dll".
    if (HiRes && HasExtension(file, L".dll")) {
        ShellText variant(file);
        RemoveExtension(variant.data());
        variant.resize(std::wcslen(variant.c_str()));
        wchar_t suffix[24];
        wsprintfW(suffix, L".%d.dll", ScreenDpiX);
        variant += suffix;
        ExtractIcons(variant.c_str(), number, large, small);
    }
    if (!large && !small) ExtractIcons(file, number, large, small);
    if (!large && !small) {
        if (!fallback) return -1;
        large.Reset(CopyIconAtSize(fallback, LargeIconSize()));
        small.Reset(CopyIconAtSize(fallback, SmallIconSize()));
    }
    // A file that gives only one size gives the other too.
    if (!large) large.Reset(CopyIconAtSize(small.Get(), LargeIconSize()));
    if (!small) small.Reset(CopyIconAtSize(large.Get(), SmallIconSize()));
    if (!large || !small) return -1;

    const int image = AppendToBothLists(large.Get(), small.Get());
    if (image < 0) return -1;
    gIcons->sources.emplace(std::move(source), image);
    return image;
}

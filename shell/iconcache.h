// The shared image lists of the file dialog: the program's standard images,
// the overlays, and icons taken from files, cached by where they came from.
//
// Both lists are created, with the standard images, when the first
// ShellIconCache handle is made and destroyed when the last one goes. They
// always hold the same images at the same numbers, the large list at the
// system icon size and the small one at the small icon size. Icons taken
// from files stay cached while the lists live; an entry is never removed
// alone. Handles belong to the user-interface thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/fobject.h"

// Standard images in the order they are loaded, when every icon resource is
// present (a missing one shifts the later images down by one).
inline constexpr int kImageDocument = 0;       // a file without an icon of its own
inline constexpr int kImageProgram = 1;        // a program without an icon of its own
inline constexpr int kImageFolder = 2;         // every folder
inline constexpr int kImageShortcut = 3;       // overlay 1
inline constexpr int kImageInRom = 4;          // overlay 2
inline constexpr int kImageShortcutInRom = 5;  // overlay 3
inline constexpr int kImageDatabase = 6;
inline constexpr int kImageMyDevice = 9;
inline constexpr int kImageMyDocuments = 11;
inline constexpr int kStandardImageCount = 13;

// Overlay numbers for INDEXTOOVERLAYMASK.
inline constexpr int kOverlayShortcut = 1;
inline constexpr int kOverlayInRom = 2;
inline constexpr int kOverlayShortcutInRom = 3;

// The icon resources of the standard images, in image order.
extern const int kStandardIconIds[kStandardImageCount];

// Where GetFileIconIndex may take icons from.
inline constexpr DWORD kIconsFromPrograms = 0x1;   // ".exe" files
inline constexpr DWORD kIconsFromIconFiles = 0x2;  // ".ico" and ".ic2" files
inline constexpr DWORD kIconsFromTypes = 0x4;      // the DefaultIcon of registered types
inline constexpr DWORD kIconsFromAll = 15;         // what the folder view asks for

class FileTypeTable;

// A handle on the process's image lists.
class ShellIconCache : public FObject {
public:
    // The first handle creates both lists and loads the standard images; a
    // standard icon that cannot be loaded is reported with a debug box and
    // left out.
    ShellIconCache();
    // The last handle destroys the lists and forgets every cached icon.
    ~ShellIconCache() override;
    ShellIconCache(const ShellIconCache&) = delete;
    ShellIconCache& operator=(const ShellIconCache&) = delete;

    // The lists, for list controls that share them: such a control must not
    // destroy them (LVS_SHAREIMAGELISTS).
    HIMAGELIST LargeList() const;
    HIMAGELIST SmallList() const;
    // The registered types the cache looks icons up in.
    const FileTypeTable& Types() const;
};

// The image number for a file or folder. `attributes` may be
// INVALID_FILE_ATTRIBUTES when unknown. Folders give kImageFolder; programs,
// icon files and files of registered types give the icon they carry or name,
// as far as `flags` allow, and otherwise kImageProgram for programs and
// kImageDocument for everything else. Paths differing only in case share an
// image.
int GetFileIconIndex(ShellIconCache& cache, const wchar_t* path, DWORD attributes, DWORD flags);

// The image number of icon `number` of `file`, added to both lists the first
// time `key` is asked for (the key is compared exactly, case included). When
// the file gives no icon a copy of `fallback` is added instead; without a
// fallback the result is -1 and nothing is cached. `fallback` stays the
// caller's.
[[nodiscard]] int AddIconFromFile(ShellIconCache& cache, const wchar_t* key, const wchar_t* file, int number, HICON fallback);

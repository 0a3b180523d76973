// The listed entry for a file, a folder or a special location, and the find
// data of one path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/paths.h"
#include "shell/locations.h"

// Reads the find data of the file or folder at `path`: FindFirstFileW on the
// path, closed at once. True when found. A path holding a wildcard ("*" or
// "?") names no single file, so it is refused rather than answered with the
// first file it matches; the marker paths of special locations ("\*CONTROLS")
// are refused that way too. On false `data` is all zeros.
[[nodiscard]] bool ReadFindData(const wchar_t* path, WIN32_FIND_DATAW* data);

// A file (kind kFileEntry, image -1 until first shown), a plain folder (kind
// kPlainFolder, image 2) or a special location (its own code and the image
// given). The folder view sets the type text.
//
// A view holds tens of thousands of these, so an item keeps its full path in
// a block of its own length, not a path buffer, and its type text as a
// pointer to one shared copy of each distinct text.
class FileItem : public ListEntry {
public:
    // A file or folder found in `folder`: the full path is the folder, a
    // backslash unless the folder is empty or already ends with one, then
    // the found name. When that would not fit in kMaxPath units the full
    // path and the name are empty, so that no operation reaches another
    // file through a shortened path.
    FileItem(const wchar_t* folder, const WIN32_FIND_DATAW& data);
    // A special location: its marker path, folder attributes, no size or
    // time, and the type text "System Folder" in the interface language of
    // the moment.
    FileItem(LocationCode code, int image);
    ~FileItem() override = default;

    FileItem(const FileItem&) = delete;
    FileItem& operator=(const FileItem&) = delete;

    // A special location's display name (in the language of the moment),
    // else the file name within the full path.
    const wchar_t* Name() const override;
    std::uint32_t Size() const override { return size_; }
    // A special location's marker path, else the full path.
    const wchar_t* Path() const;

    // Writes `name` over the full path from the name's position on. Refuses
    // (false, nothing changed) a name that would not fit in kMaxPath units,
    // and any name for an item whose full path is empty.
    [[nodiscard]] bool SetName(const wchar_t* name);

    // The type text, nullptr while none was given.
    const wchar_t* TypeText() const { return typeText_; }
    // Takes `text` (any buffer: the item refers to a lasting copy of it);
    // nullptr forgets the one held.
    void SetTypeText(const wchar_t* text);

    DWORD Attributes() const { return attributes_; }
    const FILETIME& Time() const { return time_; }

private:
    // Null for a special location and for a path that did not fit.
    std::unique_ptr<wchar_t[]> fullPath_;
    const wchar_t* typeText_ = nullptr;
    int namePosition_ = 0;
    DWORD attributes_ = 0;
    std::uint32_t size_ = 0;
    FILETIME time_{};
};

// The lasting copy of `text` that FileItem::SetTypeText keeps: one per
// distinct text for the life of the process, shared by every item and
// thread. Type texts are few (one per registered type or extension met, in
// each language), so they are never given back.
const wchar_t* SharedTypeText(const wchar_t* text);

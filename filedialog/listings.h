// The entries of the two special locations that list things that are not
// files: the applets of the control-panel modules in "\Windows", and the
// databases of the device's object store.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/allocator.h"
#include "shell/locations.h"

class ShellIconCache;

// One applet of a control-panel module. Its image is the applet's icon in
// the shared image lists.
class AppletEntry : public ListEntry {
public:
    AppletEntry(int image, const wchar_t* name);
    const wchar_t* Name() const override { return name_; }
    std::uint32_t Size() const override { return 0; }

private:
    wchar_t name_[32];
};

// One database of the object store.
class DatabaseEntry : public ListEntry {
public:
    DatabaseEntry(const wchar_t* name, std::uint32_t size);
    const wchar_t* Name() const override { return name_; }
    std::uint32_t Size() const override { return size_; }

private:
    wchar_t name_[260];
    std::uint32_t size_;
};

// Appends an AppletEntry for every applet with an icon of every module
// "\Windows\*.cpl", asking each module through its CPlApplet entry with
// `listControl` as window; the caller owns the entries. Modules that do not
// load or answer are left out silently.
void ListControlPanelApplets(HWND listControl, ShellIconCache& icons, FList<ListEntry*>& entries);

// Appends a DatabaseEntry for every database of the object store whose name
// does not begin with a backslash; the caller owns the entries.
void ListDatabases(FList<ListEntry*>& entries);

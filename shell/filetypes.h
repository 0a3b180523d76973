// Registered file types: the table read from HKEY_CLASSES_ROOT and the type
// text the file dialog shows for a file.
//
// The table is built when the first FileTypeTable handle is made and
// discarded when the last one goes; every handle of the process reads the
// same data. It is never refreshed while it lives: types registered
// meanwhile appear once every handle has gone and a new one is made.
// Handles belong to the user-interface thread.
//
// Registry data is not ours: a key or value that cannot be read, is not a
// string, is empty or is longer than a path leaves its field absent (an
// empty text) and never fails the table.
#pragma once

#include <windows.h>

#include <string>

#include "framework/allocator.h"
#include "framework/fobject.h"

// An owned UTF-16 text from the framework's pool.
using ShellText = std::basic_string<wchar_t, std::char_traits<wchar_t>, FAllocator<wchar_t>>;

// One registered type. An empty text means the field was not read.
struct FileTypeInfo {
    ShellText typeKey;      // the type's own key below HKEY_CLASSES_ROOT
    ShellText description;  // default value of the type's key
    // Every extension of the type, each with its dot, without separators, in
    // registry order: the first as the registry spells it, later ones lowered.
    ShellText extensions;
    ShellText openCommand;  // default value of <type>\Shell\Open\Command
    ShellText iconFile;     // <type>\DefaultIcon before its first comma, unquoted
    int iconNumber = 0;    // the number after that comma; negative: a resource id
};

// Units of a handle's text buffer, terminator included.
inline constexpr int kTypeTextUnits = 262;

// A handle on the process's table of registered types.
class FileTypeTable : public FObject {
public:
    // The first handle of the process reads the registry.
    FileTypeTable();
    // The last handle discards the table.
    ~FileTypeTable() override;
    FileTypeTable(const FileTypeTable&) = delete;
    FileTypeTable& operator=(const FileTypeTable&) = delete;

    // The type of an extension (with its dot, any case), or null.
    const FileTypeInfo* FindByExtension(const wchar_t* extension) const;
    // The type registered under exactly this type key (case counts), or null.
    const FileTypeInfo* FindByType(const wchar_t* typeKey) const;
    // Number of types in the table.
    int TypeCount() const;

    // The handle's own buffer for generated texts: valid until the next call
    // that writes it on the same handle.
    wchar_t* TextBuffer() { return text_; }

private:
    wchar_t text_[kTypeTextUnits] = {};
};

// Lowers a text in place as the type table and the icon cache do for their
// keys, so that both agree on what "the same extension" is.
void LowerText(ShellText& text);

// The type text of a file for the interface language at the moment of the
// call: "File Folder" for a folder, "Shortcut" for a .lnk name, the
// registered description, "ABC File" for an unregistered .abc, "File"
// without an extension (a name ending in a lone dot has none). An extension
// too long for the buffer is cut so that the text still ends in "File". `name` may be a path; only its last name counts.
// `attributes` of INVALID_FILE_ATTRIBUTES means unknown (not a folder).
// The text is static or lives in the handle's buffer (see TextBuffer).
const wchar_t* GetFileTypeName(FileTypeTable& table, const wchar_t* name, DWORD attributes);

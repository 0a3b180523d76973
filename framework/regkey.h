// Registry access: one open key per object, and a one-shot number reader.
//
// Every call returns the platform's registry error code (ERROR_SUCCESS on
// success). Errors are never shown; callers treat them as a missing value.
#pragma once

#include <windows.h>

#include "framework/fobject.h"

class FRegKey : public FObject {
public:
    // `root` is a predefined or open key; the object never closes it.
    explicit FRegKey(HKEY root) : root_(root) {}
    ~FRegKey() override;
    FRegKey(const FRegKey&) = delete;
    FRegKey& operator=(const FRegKey&) = delete;

    // Opens an existing subkey (closing the key held before). Keys that are
    // only read should ask for KEY_READ: shared keys of the machine refuse
    // write access to ordinary users.
    [[nodiscard]] LONG Open(const wchar_t* subkey, REGSAM access = KEY_ALL_ACCESS);
    // Creates the subkey or opens it when it exists (closing the key held before).
    [[nodiscard]] LONG Create(const wchar_t* subkey);
    // Closes the held key; 0 when none was open.
    LONG Close();

    // Reads a string value into `buffer`; `*bytes` is the capacity in bytes on
    // entry and the bytes stored on return. The text is always terminated
    // within the buffer: stored data without a terminator gets one, cutting
    // the last character when the buffer has no room left. On failure the
    // buffer holds an empty text.
    [[nodiscard]] LONG QueryString(const wchar_t* name, wchar_t* buffer, DWORD* bytes);
    // Writes `text` as REG_SZ, terminator included.
    [[nodiscard]] LONG SetString(const wchar_t* name, const wchar_t* text);

    HKEY Handle() const { return key_; }

private:
    HKEY root_;
    HKEY key_ = nullptr;
};

// Reads a value of at most 4 bytes below root\subkey as a 32-bit number,
// whatever its stored type. On failure `*out` is untouched.
[[nodiscard]] LONG ReadRegValue(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD* out);

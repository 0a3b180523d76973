// The rules of moving among locations, apart from any window: the parent of
// a location for Up, the ancestors that the location menu lists, and the
// path of an ancestor. The file dialog applies them.
#pragma once

#include <string>
#include <vector>

#include "framework/paths.h"
#include "shell/locations.h"

// The location Up goes to from (code, path), path in marker form. Plain
// folders lose their last component and are classified again (the empty
// text is the Desktop, "\" My Device, "\\" My Network, "\My Documents" My
// Documents); My Device, My Network and My Documents go to the Desktop,
// Control Panel and Database to My Device. False where there is no parent
// (Desktop, Trash Box, Find Result, no location); `parentPath` holds
// kMaxPath units.
bool ParentLocation(LocationCode code, const wchar_t* path, LocationCode& parentCode, wchar_t* parentPath);

// The components of a location path in marker form: a leading "\" (or "\\")
// first, then every non-empty name between backslashes.
std::vector<std::wstring> SplitLocationPath(const wchar_t* path);

// The text of location-menu item k (k >= 1) for these components: k spaces,
// then for the first component the display name of the special location
// whose marker it is (else its part after the last backslash), for later
// ones a "*" marker's location name or the component itself.
std::wstring LocationMenuText(const std::vector<std::wstring>& components, int k);

// The path of the first `level` components (level >= 1), joined again with
// backslashes except directly after a root "\" or "\\". False, with an
// empty text, when the result would not fit in kMaxPath units.
bool AncestorPath(const std::vector<std::wstring>& components, int level, wchar_t* out);

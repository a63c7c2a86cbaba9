#pragma once
// Files and folders the plug-in tests make and take down again.
#include <windows.h>

#include <string>

namespace testsupport {

// Deletes the folder with everything in it; what cannot be deleted stays.
void RemoveTree(const std::string& folder);

// A folder of this test process's own at the root of drive C:, made on first use and removed at exit, for the
// folders that a folder browser is to find. The browser finds a path step by step through the items it listed,
// and under Wine an item holds its folder's last-access time, which reading the folder moves when it changed
// since it was last read: in a folder that another test process changes meanwhile (ctest runs two at once, and
// they share the temporary folder) the path is not found and nothing is selected.
const std::string& BrowsableFolderRoot();

// The file name, without its folder, of a loaded module.
std::string ModuleName(HMODULE module);

}  // namespace testsupport

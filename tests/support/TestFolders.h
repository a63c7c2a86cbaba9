#pragma once
// Files and folders the plug-in tests make and take down again.
#include <windows.h>

#include <string>

namespace testsupport {

// Deletes the folder with everything in it; what cannot be deleted stays.
void RemoveTree(const std::string& folder);

// The file name, without its folder, of a loaded module.
std::string ModuleName(HMODULE module);

}  // namespace testsupport

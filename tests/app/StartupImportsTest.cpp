// What velmira.exe has the system load before its first line runs, read from the program file's import table:
// every DLL there is start-up time spent before the main window can show.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/ProgramFolder.h"

namespace {

std::string ProgramPath() {
    return testsupport::ProgramFolder() + "..\\velmira.exe";  // the build puts the program one folder above the tests
}

template <class T>
const T* At(const std::vector<char>& file, std::size_t offset) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return nullptr;
    return reinterpret_cast<const T*>(file.data() + offset);
}

// The file offset of a relative virtual address, through the section that holds it.
std::size_t FileOffset(const IMAGE_NT_HEADERS32& nt, const IMAGE_SECTION_HEADER* sections, DWORD rva) {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        const IMAGE_SECTION_HEADER& s = sections[i];
        if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
            return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return static_cast<std::size_t>(-1);
}

// The names of the DLLs in the import table, in lower case; empty when the file is no 32-bit program.
std::vector<std::string> ImportedDlls(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    const auto* dos = At<IMAGE_DOS_HEADER>(file, 0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
    const auto* nt = At<IMAGE_NT_HEADERS32>(file, static_cast<std::size_t>(dos->e_lfanew));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE) return names;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        reinterpret_cast<const char*>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (std::size_t at = FileOffset(*nt, sections, dir.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(file, at);
        if (!entry || entry->Name == 0) break;
        const std::size_t name = FileOffset(*nt, sections, entry->Name);
        if (name >= file.size()) break;
        std::string text(file.data() + name, ::strnlen(file.data() + name, file.size() - name));
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        names.push_back(text);
    }
    return names;
}

bool Contains(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(StartupImportsTest, TheProgramLoadsTheCommonDialogsOnlyWhenItOpensOne) {
    const std::vector<std::string> imports = ImportedDlls(ProgramPath());
    ASSERT_TRUE(Contains(imports, "user32.dll")) << "the import table of " << ProgramPath() << " was not read";
    EXPECT_FALSE(Contains(imports, "comdlg32.dll"));
}

}  // namespace

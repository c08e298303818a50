// SPDX-License-Identifier: MIT
// Checks the resources built into clip2c.exe and clip2c-board.exe: the
// version information that Explorer and installers show, and the one
// application manifest Windows reads when it starts the program.
//
//   resource_check PATH-OF-PROGRAM.EXE...
//
// Each program's internal name is its file name without ".exe"; the
// product is clip2c. Prints one line for every check that fails and exits
// with 1 if any did.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;
std::string checked;  // the program being checked, as its failures name it

void fail(const std::string& what) {
    std::printf("resource_check: %s: %s\n", checked.c_str(), what.c_str());
    ++failures;
}

// One RT_MANIFEST resource as the loader sees it: its name and language.
struct ManifestEntry {
    std::string name;
    WORD language;
};

BOOL CALLBACK addLanguage(HMODULE, LPCSTR, LPCSTR name, WORD language, LONG_PTR param) {
    auto& entries = *reinterpret_cast<std::vector<ManifestEntry>*>(param);
    entries.push_back(
        {IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name, language});
    return TRUE;
}

BOOL CALLBACK addName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
    EnumResourceLanguagesA(module, type, name, addLanguage, param);
    return TRUE;
}

// Windows uses manifest 1 of an .exe; a second manifest (another name, or
// resource 1 in a second language) is a build that merged two of them.
void checkManifest(const std::string& exe) {
    const HMODULE module =
        LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        fail("cannot load " + exe + " as a data file (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    std::vector<ManifestEntry> entries;
    EnumResourceNamesA(module, RT_MANIFEST, addName, reinterpret_cast<LONG_PTR>(&entries));
    if (entries.size() != 1 || entries[0].name != "1") {
        std::string found;
        for (const ManifestEntry& entry : entries) {
            found += " " + entry.name + "/" + std::to_string(entry.language);
        }
        fail("expected exactly one manifest, resource 1; found " + std::to_string(entries.size()) +
             (found.empty() ? "" : ":" + found));
    }

    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        fail("manifest resource 1 cannot be loaded");
    } else {
        const std::string text(static_cast<const char*>(bytes), SizeofResource(module, resource));
        const auto has = [&text](const char* piece) { return text.find(piece) != std::string::npos; };
        if (!has("http://schemas.microsoft.com/SMI/2016/WindowsSettings") || !has("longPathAware>true</")) {
            fail("the manifest does not declare longPathAware true in the 2016 WindowsSettings namespace");
        }
        if (!has("level=\"asInvoker\"") || !has("uiAccess=\"false\"")) {
            fail("the manifest does not request level asInvoker with uiAccess false");
        }
        // The element, not the word: a comment may mention it.
        if (has("activeCodePage>")) {
            fail("the manifest declares activeCodePage: the program's ANSI code page would change");
        }
    }
    FreeLibrary(module);
}

std::string versionString(const std::vector<char>& info, const std::string& block, const char* key) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\" + block + "\\" + key;
    if (VerQueryValueA(info.data(), path.c_str(), &value, &length) == 0 || value == nullptr || length == 0) {
        return {};
    }
    return static_cast<const char*>(value);
}

// `exe` is a full path; `program` its file name without ".exe".
void checkVersion(const std::string& exe, const std::string& program) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || GetFileVersionInfoA(exe.c_str(), 0, size, info.data()) == 0) {
        fail("no version information (error " + std::to_string(GetLastError()) + ")");
        return;
    }

    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(info.data(), "\\", &value, &length) == 0 || length < sizeof(VS_FIXEDFILEINFO)) {
        fail("no fixed file information");
    } else {
        const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
        // Major.minor in the high word pair, patch.0 in the low one.
        const DWORD high = (DWORD{CLIP2C_VERSION_MAJOR} << 16) | DWORD{CLIP2C_VERSION_MINOR};
        const DWORD low = DWORD{CLIP2C_VERSION_PATCH} << 16;
        if (fixed.dwFileVersionMS != high || fixed.dwFileVersionLS != low) {
            fail("file version is not " CLIP2C_VERSION ".0");
        }
        if (fixed.dwProductVersionMS != high || fixed.dwProductVersionLS != low) {
            fail("product version is not " CLIP2C_VERSION ".0");
        }
        if (fixed.dwFileType != VFT_APP) fail("file type is not VFT_APP");
    }

    // The strings are looked up in the block that the translation table
    // names, as Explorer does: a block under any other name is never shown.
    if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length) == 0 || length < 4) {
        fail("no translation table");
        return;
    }
    const auto* translation = static_cast<const WORD*>(value);
    char block[9];
    std::snprintf(block, sizeof block, "%04X%04X", static_cast<unsigned>(translation[0]),
                  static_cast<unsigned>(translation[1]));

    if (versionString(info, block, "FileDescription").empty()) fail("FileDescription is empty or missing");
    const std::string fileName = program + ".exe";
    const struct {
        const char* key;
        const char* expected;
    } strings[] = {{"FileVersion", CLIP2C_VERSION},
                   {"ProductVersion", CLIP2C_VERSION},
                   {"OriginalFilename", fileName.c_str()},
                   {"InternalName", program.c_str()},
                   {"ProductName", "clip2c"}};
    for (const auto& string : strings) {
        const std::string actual = versionString(info, block, string.key);
        if (actual != string.expected) {
            fail(std::string(string.key) + " is \"" + actual + "\", expected \"" + string.expected + "\"");
        }
    }
}

// Checks the program at `path`; false when it cannot be found.
bool checkProgram(const char* path) {
    // A full path: the loader would look for a bare file name on its DLL
    // search path instead of in the current folder.
    char full[MAX_PATH];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH || name == nullptr) {
        std::printf("resource_check: cannot make a full path of %s\n", path);
        return false;
    }
    const std::string exe(full, length);
    if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("resource_check: %s does not exist\n", exe.c_str());
        return false;
    }
    std::string program = name;
    if (program.size() > 4 && _stricmp(program.c_str() + program.size() - 4, ".exe") == 0) {
        program.resize(program.size() - 4);
    }
    checked = exe;
    const int before = failures;
    checkVersion(exe, program);
    checkManifest(exe);
    if (failures == before)
        std::printf("resource_check: %s: version and manifest as expected\n", exe.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: resource_check PATH-OF-PROGRAM.EXE...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        if (!checkProgram(argv[i])) return 1;
    }
    return failures == 0 ? 0 : 1;
}

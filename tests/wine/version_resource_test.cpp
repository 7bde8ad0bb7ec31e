// The version resource of the real vantrel.dll, read back the way Windows' file
// properties read it: through version.dll (loaded at run time, so the test program
// needs no extra import library).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "vantrel_dll.h"

namespace {

using GetSizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetInfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

template <class Fn>
Fn VersionEntry(const char* name) {
    static const HMODULE module = LoadLibraryA("version.dll");
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class VersionResource : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(dll().module, nullptr) << "vantrel.dll not loaded: " << GetLastError();
        getSize_ = VersionEntry<GetSizeFn>("GetFileVersionInfoSizeA");
        getInfo_ = VersionEntry<GetInfoFn>("GetFileVersionInfoA");
        query_ = VersionEntry<QueryFn>("VerQueryValueA");
        ASSERT_TRUE(getSize_ && getInfo_ && query_) << "version.dll entries missing";

        // The file the library was loaded from, not whatever a name search finds.
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(dll().module, path, MAX_PATH);
        ASSERT_GT(n, 0u);
        DWORD ignored = 0;
        const DWORD size = getSize_(path, &ignored);
        ASSERT_GT(size, 0u) << "no version resource in " << path << ": " << GetLastError();
        block_.assign(size, 0);
        ASSERT_TRUE(getInfo_(path, 0, size, block_.data()));
    }

    static VantrelDll& dll() {
        static VantrelDll instance;
        return instance;
    }

    // A value of the block; nullptr when the entry is absent.
    void* value(const std::string& subBlock, UINT* length) {
        void* data = nullptr;
        *length = 0;
        if (!query_(block_.data(), subBlock.c_str(), &data, length)) return nullptr;
        return data;
    }

    // A string entry of the first (language, code page) pair the block lists.
    std::string stringEntry(const char* name) {
        UINT length = 0;
        const auto* translation = static_cast<const WORD*>(value("\\VarFileInfo\\Translation", &length));
        if (translation == nullptr || length < 2 * sizeof(WORD)) return "<no translation>";
        char path[96];
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        const auto* text = static_cast<const char*>(value(path, &length));
        if (text == nullptr) return std::string("<missing ") + name + ">";
        return std::string(text);
    }

    GetSizeFn getSize_ = nullptr;
    GetInfoFn getInfo_ = nullptr;
    QueryFn query_ = nullptr;
    std::vector<char> block_;
};

}  // namespace

TEST_F(VersionResource, FixedInfoIsVersionOneOfADll) {
    UINT length = 0;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value("\\", &length));
    ASSERT_NE(info, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    // 1.0.0.0: major in the high word of the MS half, minor in its low word.
    EXPECT_EQ(info->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info->dwFileVersionLS, 0u);
    EXPECT_EQ(info->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info->dwProductVersionLS, 0u);
    EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(info->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(info->dwFileFlags & info->dwFileFlagsMask, 0u) << "no debug or pre-release flag";
}

TEST_F(VersionResource, StringEntries) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"ProductName", "Vantrel"},
        {"ProductVersion", "1.0"},
        {"FileVersion", "1.0"},
        {"OriginalFilename", "vantrel.dll"},
        {"FileDescription", "Vantrel character LCD display driver"},
    };
    for (const auto& c : cases) EXPECT_EQ(stringEntry(c.name), c.expected) << c.name;
    EXPECT_NE(stringEntry("LegalCopyright").find("The Vantrel developers"), std::string::npos);
}

// The driver name that hosts show is written in the source, the resource's version
// comes from the build: a release with one changed and not the other fails here.
TEST_F(VersionResource, AgreesWithTheDriverName) {
    ASSERT_NE(dll().DriverName, nullptr);
    EXPECT_EQ(std::string(dll().DriverName()),
              stringEntry("ProductName") + " v" + stringEntry("ProductVersion"));
}

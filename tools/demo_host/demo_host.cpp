// vantrel_demo.exe: loads vantrel.dll from its own folder the way a host program
// does (LoadLibrary + GetProcAddress by name), shows four rows and a custom
// character on a 20x4 panel, closes the display, and prints every transfer that
// reached the bridge library (the stand-in CH341DLL.DLL beside it records them).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bridge_decode.h"
#include "bridge_stub.h"
#include "entries.h"

namespace {

std::string ownFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, n);
    const size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

// Entry types come from the declarations in entries.h, stdcall included.
template <typename Function>
Function entry(HMODULE dll, const char* name) {
    const FARPROC address = GetProcAddress(dll, name);
    if (!address) {
        std::fprintf(stderr, "vantrel.dll does not export %s\n", name);
        std::exit(1);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

void printBridgeStream() {
    std::vector<BridgeRecord> records(BridgeStubCount());
    for (uint32_t i = 0; i < records.size(); ++i) BridgeStubGet(i, &records[i]);
    std::printf("\nBridge stream (%zu records; time since the previous record):\n", records.size());
    for (const std::string& line : bridge_decode::decode(records)) std::printf("%s\n", line.c_str());
}

}  // namespace

int main() {
    BridgeStubReset();

    const std::string path = ownFolder() + "vantrel.dll";
    const HMODULE dll = LoadLibraryA(path.c_str());
    if (!dll) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return 1;
    }
    const auto driverName = entry<decltype(&DISPLAYDLL_DriverName)>(dll, "DISPLAYDLL_DriverName");
    const auto init = entry<decltype(&DISPLAYDLL_Init)>(dll, "DISPLAYDLL_Init");
    const auto setPosition = entry<decltype(&DISPLAYDLL_SetPosition)>(dll, "DISPLAYDLL_SetPosition");
    const auto write = entry<decltype(&DISPLAYDLL_Write)>(dll, "DISPLAYDLL_Write");
    const auto customChar = entry<decltype(&DISPLAYDLL_CustomChar)>(dll, "DISPLAYDLL_CustomChar");
    const auto done = entry<decltype(&DISPLAYDLL_Done)>(dll, "DISPLAYDLL_Done");

    const char* name = driverName();
    std::printf("Driver: %s\n", name ? name : "(null)");

    uint8_t ok = 0;
    const char* result = init(20, 4, "0", &ok);
    std::printf("DISPLAYDLL_Init(20, 4, \"0\") returned \"%s\", ok flag %u\n", result ? result : "(null)",
                static_cast<unsigned>(ok));
    int status = 0;
    if (ok) {
        static const char* const rows[4] = {"Vantrel v1.0 demo", "20x4 panel via USB", "Four rows mirrored",
                                            "Custom char:"};
        for (uint8_t y = 1; y <= 4; ++y) {
            setPosition(1, y);
            write(rows[y - 1]);
        }
        // Pattern numbers count from 1 and show as codes from 0; code 0 cannot be
        // written in a C string, so pattern 2 (code 1) is the one shown.
        static const uint8_t heart[8] = {0x00, 0x0A, 0x1F, 0x1F, 0x0E, 0x04, 0x00, 0x00};
        customChar(2, heart);
        setPosition(14, 4);
        write("\x01 \x01 \x01");
    } else {
        status = 1;
    }
    done();
    FreeLibrary(dll);

    printBridgeStream();
    return status;
}

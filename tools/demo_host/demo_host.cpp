// vantrel_demo.exe: drives vantrel.dll the way a display host does (LoadLibrary and
// GetProcAddress by name): starts a panel, writes its rows and a bar graph made of
// custom characters, lets a second process read the mirrored rows with
// vantrel_reader.exe while the block is alive, then closes the display.
//
//   vantrel_demo [--hold FILE] [--refresh-until FILE] [COLUMNSxROWS] [ROW TEXT...]
//
// --refresh-until FILE keeps the display open and rewrites row 1 every 20 ms until
// FILE exists, then reports how many writes were made; --hold FILE, once the
// display is closed and the driver unloaded, waits until FILE exists. Both give up
// after ten minutes. They let a test look at (or close) the virtual panel's window
// while the host runs.
//
// It runs beside the real bridge library as well as beside the stand-in, which
// writes every transfer to the file that VANTREL_BRIDGE_LOG names; `lcdview` turns
// that file into a picture of the panel (`lcdview --decode` lists the transfers).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// Runs vantrel_reader.exe from our folder as a second process and waits for it.
void runReader() {
    std::string command = "\"" + ownFolder() + "vantrel_reader.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::fflush(stdout);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("(vantrel_reader.exe could not be started: error %lu)\n", GetLastError());
        return;
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

// Bars of 1 to 7 dots high, bottom-aligned: patterns 2 to 8 show as codes 1 to 7.
// (Pattern 1 is code 0, which a zero-terminated text cannot carry.)
void loadBars(decltype(&DISPLAYDLL_CustomChar) customChar) {
    for (int height = 1; height <= 7; ++height) {
        uint8_t rows[8] = {};
        for (int row = 8 - height; row < 8; ++row) rows[row] = 0x1F;
        customChar(static_cast<uint8_t>(height + 1), rows);
    }
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

constexpr DWORD kGiveUpMs = 10 * 60 * 1000;

// Calls `step` every `periodMs` until `path` exists or ten minutes have passed;
// returns the number of calls.
template <typename Step>
unsigned long untilFileExists(const std::string& path, DWORD periodMs, Step step) {
    const DWORD start = GetTickCount();
    unsigned long steps = 0;
    while (!fileExists(path) && GetTickCount() - start < kGiveUpMs) {
        step();
        ++steps;
        Sleep(periodMs);
    }
    return steps;
}

std::string barGraph(int columns) {
    static const char levels[] = {1, 2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2, 1};
    std::string text = "Bars ";
    while (static_cast<int>(text.size()) < columns) text += levels[(text.size() - 5) % sizeof levels];
    return text.substr(0, static_cast<size_t>(columns));
}

}  // namespace

int main(int argc, char** argv) {
    int columns = 20, rows = 4;
    std::vector<std::string> texts;
    std::string holdFile, refreshFile;
    int first = 1;
    for (; first + 1 < argc; first += 2) {
        const std::string option = argv[first];
        if (option == "--hold")
            holdFile = argv[first + 1];
        else if (option == "--refresh-until")
            refreshFile = argv[first + 1];
        else
            break;
    }
    for (int i = first; i < argc; ++i) {
        int c = 0, r = 0;
        char tail = 0;
        if (i == first && std::sscanf(argv[i], "%dx%d%c", &c, &r, &tail) == 2 && c > 0 && c < 256 &&
                   r > 0 && r < 256) {
            columns = c;
            rows = r;
        } else {
            texts.emplace_back(argv[i]);
        }
    }
    const std::string path = ownFolder() + "vantrel.dll";
    const HMODULE dll = LoadLibraryA(path.c_str());
    if (!dll) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", path.c_str(), GetLastError());
        return 1;
    }
    const auto init = entry<decltype(&DISPLAYDLL_Init)>(dll, "DISPLAYDLL_Init");
    const auto setPosition = entry<decltype(&DISPLAYDLL_SetPosition)>(dll, "DISPLAYDLL_SetPosition");
    const auto write = entry<decltype(&DISPLAYDLL_Write)>(dll, "DISPLAYDLL_Write");
    const auto customChar = entry<decltype(&DISPLAYDLL_CustomChar)>(dll, "DISPLAYDLL_CustomChar");
    const auto done = entry<decltype(&DISPLAYDLL_Done)>(dll, "DISPLAYDLL_Done");

    uint8_t ok = 0;
    const char* result = init(static_cast<uint8_t>(columns), static_cast<uint8_t>(rows), "0", &ok);
    std::printf("DISPLAYDLL_Init(%d, %d, \"0\") returned \"%s\", OK flag %u\n", columns, rows,
                result ? result : "(null)", static_cast<unsigned>(ok));
    if (!ok) return 1;

    if (texts.empty()) {
        const std::string geometry = std::to_string(columns) + "x" + std::to_string(rows);
        texts = {"Vantrel v1.0", geometry + " via USB", "Rows mirrored: 4"};
        texts.resize(static_cast<size_t>(rows > 1 ? rows - 1 : 1));
    }
    loadBars(customChar);
    // Every row from the texts; the last row of a multi-row panel shows the bars.
    for (int y = 1; y <= rows && y <= 4; ++y) {
        const bool bars = rows > 1 && y == rows && static_cast<int>(texts.size()) < y;
        const std::string text = bars ? barGraph(columns)
                                      : static_cast<size_t>(y) <= texts.size() ? texts[y - 1] : std::string();
        setPosition(1, static_cast<uint8_t>(y));
        write(text.substr(0, static_cast<size_t>(columns)).c_str());
    }

    std::printf("\nA second process reads the mirror (vantrel_reader.exe):\n");
    runReader();
    if (!refreshFile.empty()) {
        const std::string row1 = texts.empty() ? std::string() : texts[0].substr(0, static_cast<size_t>(columns));
        std::fflush(stdout);
        const unsigned long writes = untilFileExists(refreshFile, 20, [&] {
            setPosition(1, 1);
            write(row1.c_str());
        });
        std::printf("Row 1 rewritten %lu times; every Write returned.\n", writes);
    }
    done();
    // As a host does when it stops using the driver; the bridge goes with it unless
    // something else holds it (the virtual panel's window does).
    FreeLibrary(dll);
    if (!holdFile.empty()) {
        std::printf("Driver unloaded; holding until %s exists.\n", holdFile.c_str());
        std::fflush(stdout);
        untilFileExists(holdFile, 50, [] {});
    }
    return 0;
}

// vantrel_reader: a small reader host. Loads vantrel.dll as a reader host would and
// prints the four mirrored rows with their output names.
//
//   vantrel_reader            print the rows once
//   vantrel_reader --watch    print them every second until interrupted
//
// A freshly loaded library answers its first CalculateEx with the fallback text
// while it attaches to the block, so the first print asks twice.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define VANTREL_CALL __attribute__((stdcall))

namespace {

using NumOutputsFn = uint8_t(VANTREL_CALL*)();
using OutputNameFn = void(VANTREL_CALL*)(uint32_t, uint8_t*);
using CalculateExFn = void(VANTREL_CALL*)(char* const*);

constexpr int kMaxOutputs = 101;  // the table a reader host passes has 101 entries
constexpr int kBufferSize = 256;

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Reader {
    NumOutputsFn numOutputs;
    OutputNameFn outputName;
    CalculateExFn calculate;
    int count = 0;
    char names[kMaxOutputs][kBufferSize] = {};
    char buffers[kMaxOutputs][kBufferSize] = {};
    char* table[kMaxOutputs] = {};

    void Calculate() { calculate(table); }
    bool AllFallback() const {
        for (int i = 0; i < count; ++i) {
            if (strcmp(buffers[i], "Glimmora?") != 0) return false;
        }
        return true;
    }
    // Control codes (custom characters are 0 to 7) are shown as \xNN.
    void Print() const {
        for (int i = 0; i < count; ++i) {
            printf("%-4s \"", names[i]);
            for (const char* c = buffers[i]; *c != '\0'; ++c) {
                const unsigned char code = static_cast<unsigned char>(*c);
                if (code < 0x20 || code == 0x7F) {
                    printf("\\x%02X", code);
                } else {
                    putchar(code);
                }
            }
            printf("\"\n");
        }
        fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool watch = argc > 1 && strcmp(argv[1], "--watch") == 0;
    if (argc > 1 && !watch) {
        fprintf(stderr, "usage: vantrel_reader [--watch]\n");
        return 2;
    }
    HMODULE dll = LoadLibraryA("vantrel.dll");
    if (dll == nullptr) {
        fprintf(stderr, "vantrel_reader: cannot load vantrel.dll (error %lu)\n", GetLastError());
        return 1;
    }
    static Reader reader;
    reader.numOutputs = Entry<NumOutputsFn>(dll, "NumOutputs");
    reader.outputName = Entry<OutputNameFn>(dll, "OutputName");
    reader.calculate = Entry<CalculateExFn>(dll, "CalculateEx");
    if (!reader.numOutputs || !reader.outputName || !reader.calculate) {
        fprintf(stderr, "vantrel_reader: vantrel.dll lacks the reader entries\n");
        return 1;
    }
    reader.count = reader.numOutputs();
    if (reader.count > kMaxOutputs) reader.count = kMaxOutputs;
    for (int i = 0; i < reader.count; ++i) {
        uint8_t record[256] = {};
        reader.outputName(static_cast<uint32_t>(i), record);
        memcpy(reader.names[i], record + 1, record[0]);
        reader.table[i] = reader.buffers[i];
    }

    reader.Calculate();
    if (reader.AllFallback()) reader.Calculate();  // the first call only attaches
    reader.Print();
    while (watch) {
        Sleep(1000);
        reader.Calculate();
        printf("\n");
        reader.Print();
    }
    return 0;
}

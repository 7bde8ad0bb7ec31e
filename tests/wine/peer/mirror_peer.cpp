// A second process for the line-mirror tests: a display host or a reader host of
// its own, loading vantrel.dll from its folder.
//
//   mirror_peer write ROW1 ROW2 ROW3 ROW4 [--hold]
//       Init of a 20x4 panel, each row written, then "ready" on stdout; with
//       --hold it stays alive until its standard input closes.
//   mirror_peer read N
//       N calls of CalculateEx, one line each: the four outputs joined by '|'.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define VANTREL_CALL __attribute__((stdcall))

using InitFn = const char*(VANTREL_CALL*)(uint32_t, uint32_t, const char*, uint8_t*);
using SetPositionFn = void(VANTREL_CALL*)(uint32_t, uint32_t);
using WriteFn = void(VANTREL_CALL*)(const char*);
using CalculateExFn = void(VANTREL_CALL*)(char* const*);

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int main(int argc, char** argv) {
    HMODULE dll = LoadLibraryA("vantrel.dll");
    if (dll == nullptr || argc < 3) return 2;
    if (strcmp(argv[1], "write") == 0 && argc >= 6) {
        uint8_t ok = 0;
        Entry<InitFn>(dll, "DISPLAYDLL_Init")(20, 4, "0", &ok);
        for (uint32_t row = 1; row <= 4; ++row) {
            Entry<SetPositionFn>(dll, "DISPLAYDLL_SetPosition")(1, row);
            Entry<WriteFn>(dll, "DISPLAYDLL_Write")(argv[1 + row]);
        }
        printf("ready\n");
        fflush(stdout);
        if (argc >= 7 && strcmp(argv[6], "--hold") == 0) {
            char line[64];
            while (fgets(line, sizeof line, stdin) != nullptr) {
            }
        }
        return ok == 1 ? 0 : 1;
    }
    if (strcmp(argv[1], "read") == 0) {
        const int calls = atoi(argv[2]);
        for (int call = 0; call < calls; ++call) {
            char buffers[4][81];
            char* table[101] = {buffers[0], buffers[1], buffers[2], buffers[3]};
            Entry<CalculateExFn>(dll, "CalculateEx")(table);
            printf("%s|%s|%s|%s\n", buffers[0], buffers[1], buffers[2], buffers[3]);
        }
        return 0;
    }
    return 2;
}

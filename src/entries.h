// The library's exported entries, as the hosts call them.
//
// Every entry uses the Win32 stdcall convention (the callee pops its arguments).
// An argument declared as uint8_t occupies a full 32-bit slot in the call; only its
// low 8 bits count. In the native build VANTREL_STDCALL is empty and the entries are
// ordinary C functions, so tests call the same code directly.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VANTREL_STDCALL __attribute__((stdcall))
#else
#define VANTREL_STDCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Display-driver entries (ordinals 4 to 17).
const char* VANTREL_STDCALL DISPLAYDLL_Init(uint8_t columns, uint8_t rows, const char* parameter,
                                            uint8_t* okFlag);
void VANTREL_STDCALL DISPLAYDLL_Done(void);
const char* VANTREL_STDCALL DISPLAYDLL_DriverName(void);
const char* VANTREL_STDCALL DISPLAYDLL_Usage(void);
const char* VANTREL_STDCALL DISPLAYDLL_DefaultParameters(void);
void VANTREL_STDCALL DISPLAYDLL_SetPosition(uint8_t x, uint8_t y);
void VANTREL_STDCALL DISPLAYDLL_Write(const char* text);
void VANTREL_STDCALL DISPLAYDLL_CustomChar(uint8_t number, const uint8_t* pattern);
uint16_t VANTREL_STDCALL DISPLAYDLL_ReadKey(void);
void VANTREL_STDCALL DISPLAYDLL_SetBacklight(uint32_t value);
void VANTREL_STDCALL DISPLAYDLL_SetContrast(uint32_t value);
void VANTREL_STDCALL DISPLAYDLL_SetBrightness(uint32_t value);
void VANTREL_STDCALL DISPLAYDLL_SetGPO(uint32_t output, uint32_t value);
void VANTREL_STDCALL DISPLAYDLL_SetFan(uint32_t fan, uint32_t value);

// Reader entries (ordinals 1 to 3).
void VANTREL_STDCALL OutputName(uint8_t index, uint8_t* record);
void VANTREL_STDCALL CalculateEx(char* const* buffers);
uint8_t VANTREL_STDCALL NumOutputs(void);

#ifdef __cplusplus
}
#endif

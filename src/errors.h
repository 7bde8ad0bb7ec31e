// Errors of the library: their kinds, the record that carries one from the point
// where it is raised to the entry's frame, the checked arithmetic and narrowing
// that raise them, and their German message texts.
//
// Errors are raised, never returned. Raise() does not return: it jumps back into
// the innermost frame of the calling thread (see platform/platform.h), so nothing
// between a frame and a raise may own resources. Texts are views or fixed buffers.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Every kind descends from the base kind Exception: all errors raised inside the
// library, faults of the operating system included, are of that base kind.
enum class ErrorKind : uint8_t {
    ERangeError,
    EIntOverflow,
    EConvertError,
    EOutOfMemory,
    EAccessViolation,
    EDivByZero,
    EInvalidOp,
    EZeroDivide,
    EOverflow,
    EUnderflow,
    EPrivilege,
    EStackOverflow,
    EControlC,
    EExternalException,
};

struct Error {
    ErrorKind kind = ErrorKind::EExternalException;
    uint32_t exceptionCode = 0;           // a fault's code (0 for errors the library raises)
    const void* faultAddress = nullptr;   // EAccessViolation: the faulting instruction
    const void* accessAddress = nullptr;  // EAccessViolation: the address accessed
    bool writeAccess = false;             // EAccessViolation: "Schreiben" when true
    const uint8_t* text = nullptr;        // EConvertError: the text that is not a number
    size_t textLength = 0;
};

// Windows exception codes of the faults that frames translate into errors.
namespace FaultCode {
constexpr uint32_t AccessViolation = 0xC0000005;
constexpr uint32_t ArrayBoundsExceeded = 0xC000008C;
constexpr uint32_t FltDenormalOperand = 0xC000008D;
constexpr uint32_t FltDivideByZero = 0xC000008E;
constexpr uint32_t FltInexactResult = 0xC000008F;
constexpr uint32_t FltInvalidOperation = 0xC0000090;
constexpr uint32_t FltOverflow = 0xC0000091;
constexpr uint32_t FltStackCheck = 0xC0000092;
constexpr uint32_t FltUnderflow = 0xC0000093;
constexpr uint32_t IntDivideByZero = 0xC0000094;
constexpr uint32_t IntOverflow = 0xC0000095;
constexpr uint32_t PrivilegedInstruction = 0xC0000096;
constexpr uint32_t StackOverflow = 0xC00000FD;
constexpr uint32_t ControlCExit = 0xC000013A;
}  // namespace FaultCode

// The error kind of a fault reported with `code`.
ErrorKind ErrorKindFromFaultCode(uint32_t code);

// Ends the current entry's steps with the error (implemented by the platform layer).
[[noreturn]] void Raise(const Error& error);
[[noreturn]] void RaiseKind(ErrorKind kind);

// Checked arithmetic: all of the library's integer sums, differences and products
// are signed 32-bit; a result outside that range raises EIntOverflow. Inline, so
// that a check costs a compare and a branch on the hot paths.
inline int32_t CheckedAdd(int32_t a, int32_t b) {
    int32_t result;
    if (__builtin_add_overflow(a, b, &result)) RaiseKind(ErrorKind::EIntOverflow);
    return result;
}

inline int32_t CheckedSub(int32_t a, int32_t b) {
    int32_t result;
    if (__builtin_sub_overflow(a, b, &result)) RaiseKind(ErrorKind::EIntOverflow);
    return result;
}

inline int32_t CheckedMul(int32_t a, int32_t b) {
    int32_t result;
    if (__builtin_mul_overflow(a, b, &result)) RaiseKind(ErrorKind::EIntOverflow);
    return result;
}

// Checked narrowing, made immediately before the value is used: a value outside
// the target's bounds raises ERangeError. A lower bound of 0 refuses negatives.
inline int32_t CheckIndex(int32_t value, int32_t low, int32_t high) {
    if (value < low || value > high) RaiseKind(ErrorKind::ERangeError);
    return value;
}

inline uint8_t NarrowToByte(int32_t value) {
    return static_cast<uint8_t>(CheckIndex(value, 0, 255));
}

inline uint32_t NarrowToUnsigned(int32_t value) {
    if (value < 0) RaiseKind(ErrorKind::ERangeError);
    return static_cast<uint32_t>(value);
}


// Output for message texts: counts every byte, stores what fits.
struct MessageSink {
    char* buffer;
    size_t capacity;
    size_t length = 0;
    void Put(char c);
    void Put(const char* text);
    void Put(const uint8_t* bytes, size_t count);
    void PutHex(uintptr_t value, int minDigits);
};

// Writes the error's message text (Windows-1252 bytes) into the sink.
void FormatErrorMessage(const Error& error, MessageSink& sink);

#include "errors.h"

#include "platform/platform.h"

namespace {

// Message texts in Windows-1252: 0xFC is "ü", 0xDC is "Ü".
constexpr const char kRangeError[] = "Fehler bei Bereichspr\xFC" "fung";
constexpr const char kIntOverflow[] = "Integer\xFC" "berlauf";
constexpr const char kOutOfMemory[] = "Zu wenig Arbeitsspeicher";
constexpr const char kDivByZero[] = "Division durch Null";
constexpr const char kInvalidOp[] = "Ung\xFCltige Gleitkommaoperation";
constexpr const char kZeroDivide[] = "Gleitkommadivision durch Null";
constexpr const char kOverflow[] = "Gleitkomma\xFC" "berlauf";
constexpr const char kUnderflow[] = "Gleitkommaunterlauf";
constexpr const char kPrivilege[] = "Privilegierte Anweisung";
constexpr const char kStackOverflow[] = "Stack-\xDC" "berlauf";
constexpr const char kControlC[] = "Strg+C gedr\xFC" "ckt";

struct FaultKind {
    uint32_t code;
    ErrorKind kind;
};

constexpr FaultKind kFaultKinds[] = {
    {FaultCode::AccessViolation, ErrorKind::EAccessViolation},
    {FaultCode::ArrayBoundsExceeded, ErrorKind::ERangeError},
    {FaultCode::IntDivideByZero, ErrorKind::EDivByZero},
    {FaultCode::IntOverflow, ErrorKind::EIntOverflow},
    {FaultCode::FltInexactResult, ErrorKind::EInvalidOp},
    {FaultCode::FltInvalidOperation, ErrorKind::EInvalidOp},
    {FaultCode::FltStackCheck, ErrorKind::EInvalidOp},
    {FaultCode::FltDivideByZero, ErrorKind::EZeroDivide},
    {FaultCode::FltOverflow, ErrorKind::EOverflow},
    {FaultCode::FltDenormalOperand, ErrorKind::EUnderflow},
    {FaultCode::FltUnderflow, ErrorKind::EUnderflow},
    {FaultCode::PrivilegedInstruction, ErrorKind::EPrivilege},
    {FaultCode::StackOverflow, ErrorKind::EStackOverflow},
    {FaultCode::ControlCExit, ErrorKind::EControlC},
};

void PutAccessViolation(const Error& error, MessageSink& sink) {
    // "Zugriffsverletzung bei Adresse %p[ in Modul '%s']. %s von Adresse %p"
    char module[260];
    sink.Put("Zugriffsverletzung bei Adresse ");
    sink.PutHex(reinterpret_cast<uintptr_t>(error.faultAddress), 8);
    if (PlatformModuleFileName(error.faultAddress, module, sizeof module)) {
        sink.Put(" in Modul '");
        sink.Put(module);
        sink.Put('\'');
    }
    sink.Put(". ");
    sink.Put(error.writeAccess ? "Schreiben" : "Lesen");
    sink.Put(" von Adresse ");
    sink.PutHex(reinterpret_cast<uintptr_t>(error.accessAddress), 8);
}

}  // namespace

ErrorKind ErrorKindFromFaultCode(uint32_t code) {
    for (const FaultKind& entry : kFaultKinds) {
        if (entry.code == code) return entry.kind;
    }
    return ErrorKind::EExternalException;
}

__attribute__((cold)) void RaiseKind(ErrorKind kind) {
    Error error;
    error.kind = kind;
    Raise(error);
}

void MessageSink::Put(char c) {
    if (length < capacity) buffer[length] = c;
    ++length;
}

void MessageSink::Put(const char* text) {
    while (*text != '\0') Put(*text++);
}

void MessageSink::Put(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(static_cast<char>(bytes[i]));
}

void MessageSink::PutHex(uintptr_t value, int minDigits) {
    char digits[2 * sizeof value];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (count < minDigits) digits[count++] = '0';
    while (count > 0) Put(digits[--count]);
}

void FormatErrorMessage(const Error& error, MessageSink& sink) {
    switch (error.kind) {
    case ErrorKind::ERangeError: sink.Put(kRangeError); break;
    case ErrorKind::EIntOverflow: sink.Put(kIntOverflow); break;
    case ErrorKind::EOutOfMemory: sink.Put(kOutOfMemory); break;
    case ErrorKind::EDivByZero: sink.Put(kDivByZero); break;
    case ErrorKind::EInvalidOp: sink.Put(kInvalidOp); break;
    case ErrorKind::EZeroDivide: sink.Put(kZeroDivide); break;
    case ErrorKind::EOverflow: sink.Put(kOverflow); break;
    case ErrorKind::EUnderflow: sink.Put(kUnderflow); break;
    case ErrorKind::EPrivilege: sink.Put(kPrivilege); break;
    case ErrorKind::EStackOverflow: sink.Put(kStackOverflow); break;
    case ErrorKind::EControlC: sink.Put(kControlC); break;
    case ErrorKind::EAccessViolation: PutAccessViolation(error, sink); break;
    case ErrorKind::EConvertError:
        sink.Put('\'');
        sink.Put(error.text, error.textLength);
        sink.Put("' ist kein g\xFCltiger Integerwert");
        break;
    case ErrorKind::EExternalException:
        sink.Put("Externe Exception ");
        sink.PutHex(error.exceptionCode, 1);
        break;
    }
}

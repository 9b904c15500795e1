#include "crash/CrashReport.h"

#include <csignal>

namespace ravix {

namespace {

struct NamedFault {
    uint32_t mCode;
    const char* mName;
};

constexpr NamedFault kFaultNames[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x00000000, "Wait 0"},
    {0x00000080, "Abandoned Wait 0"},
    {0x000000C0, "User APC"},
    {0x00000102, "Timeout"},
    {0x00000103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
};

uint32_t FloatFaultCode(int signalCode) {
    switch (signalCode) {
    case FPE_INTDIV:
        return kFaultIntegerDivideByZero;
    case FPE_INTOVF:
        return kFaultIntegerOverflow;
    case FPE_FLTDIV:
        return kFaultDivideByZero;
    case FPE_FLTOVF:
        return kFaultFloatOverflow;
    case FPE_FLTUND:
        return kFaultFloatUnderflow;
    case FPE_FLTRES:
        return kFaultFloatInexactResult;
    case FPE_FLTSUB:
        return kFaultArrayBoundsExceeded;
    default:
        return kFaultFloatInvalidOperation;
    }
}

// si_code values above 0 come from the processor; 0 and below from kill, raise and the like.
bool FromProcessor(int signalCode) {
    return signalCode > 0;
}

} // namespace

const char* FaultName(uint32_t code) {
    for (const NamedFault& fault : kFaultNames) {
        if (fault.mCode == code) {
            return fault.mName;
        }
    }
    return nullptr;
}

uint32_t FaultCodeForSignal(int signal, int signalCode, bool stackOverflow) {
    if (!FromProcessor(signalCode)) {
        return static_cast<uint32_t>(signal);
    }
    switch (signal) {
    case SIGSEGV:
        return stackOverflow ? kFaultStackOverflow : kFaultAccessViolation;
    case SIGBUS:
        return signalCode == BUS_ADRALN ? kFaultDataTypeMisalignment : kFaultInPageError;
    case SIGFPE:
        return FloatFaultCode(signalCode);
    case SIGILL:
        return signalCode == ILL_PRVOPC || signalCode == ILL_PRVREG ? kFaultPrivilegedInstruction
                                                                    : kFaultIllegalInstruction;
    default:
        return static_cast<uint32_t>(signal);
    }
}

ReportText::ReportText(char* buffer, size_t capacity) : mBuffer(buffer), mCapacity(capacity) {
    Clear();
}

void ReportText::Clear() {
    mLength = 0;
    if (mCapacity > 0) {
        mBuffer[0] = '\0';
    }
}

ReportText& ReportText::Append(std::string_view text) {
    for (char c : text) {
        if (mLength + 1 >= mCapacity) {
            break;
        }
        mBuffer[mLength++] = c;
    }
    if (mCapacity > 0) {
        mBuffer[mLength] = '\0';
    }
    return *this;
}

namespace {

// Digits of value in the base, most significant first, padded to minDigits; returns the count.
int FormatDigits(char (&digits)[24], uint64_t value, unsigned base, int minDigits,
                 const char* alphabet) {
    char reversed[24];
    int count = 0;
    do {
        reversed[count++] = alphabet[value % base];
        value /= base;
    } while (value != 0 && count < 24);
    while (count < minDigits && count < 24) {
        reversed[count++] = '0';
    }
    for (int i = 0; i < count; ++i) {
        digits[i] = reversed[count - 1 - i];
    }
    return count;
}

} // namespace

ReportText& ReportText::AppendHex(uint64_t value, int minDigits) {
    char digits[24];
    int count = FormatDigits(digits, value, 16, minDigits, "0123456789ABCDEF");
    return Append(std::string_view(digits, static_cast<size_t>(count)));
}

ReportText& ReportText::AppendLowerHex(uint64_t value) {
    char digits[24];
    int count = FormatDigits(digits, value, 16, 1, "0123456789abcdef");
    return Append(std::string_view(digits, static_cast<size_t>(count)));
}

ReportText& ReportText::AppendDecimal(uint64_t value, int minDigits) {
    char digits[24];
    int count = FormatDigits(digits, value, 10, minDigits, "0123456789");
    return Append(std::string_view(digits, static_cast<size_t>(count)));
}

void AppendExceptionLine(ReportText& text, uint32_t code, uint64_t address, uint64_t thread) {
    if (const char* name = FaultName(code)) {
        text.Append("Exception: ").Append(name).Append(" (code 0x");
    } else {
        text.Append("Unknown exception: (code 0x");
    }
    text.AppendLowerHex(code).Append(") at address ").AppendHex(address, 16);
    text.Append(" in thread ").AppendHex(thread).Append("\r\n");
}

void AppendLogicalAddress(ReportText& text, unsigned section, uint64_t offset) {
    text.AppendHex(section, 4).Append(":").AppendHex(offset, 8);
}

void AppendStackFrame(ReportText& text, uint64_t address, const char* symbol, uint64_t symbolOffset,
                      unsigned section, uint64_t offset, const char* module) {
    text.AppendHex(address, 16).Append(" ");
    if (symbol != nullptr && symbol[0] != '\0') {
        text.Append(symbol).Append("+").AppendHex(symbolOffset);
    } else {
        AppendLogicalAddress(text, section, offset);
        text.Append(" ").Append(module != nullptr ? module : "");
    }
    text.Append("\r\n");
}

void AppendRegisters(ReportText& text, const ReportRegisters& r) {
    auto reg = [&](const char* name, uint64_t value, const char* after) {
        text.Append(name).Append(":").AppendHex(value, 16).Append(after);
    };
    reg("RAX", r.mRax, " ");
    reg("RBX", r.mRbx, " ");
    reg("RCX", r.mRcx, " ");
    reg("RDX", r.mRdx, " ");
    reg("RSI", r.mRsi, " ");
    reg("RDI", r.mRdi, "\r\n");
    reg("R8", r.mR8, " ");
    reg("R9", r.mR9, " ");
    reg("R10", r.mR10, " ");
    reg("R11", r.mR11, "\r\n");
    reg("R12", r.mR12, " ");
    reg("R13", r.mR13, " ");
    reg("R14", r.mR14, " ");
    reg("R15", r.mR15, "\r\n");
    reg("RIP", r.mRip, " ");
    reg("RSP", r.mRsp, "  ");
    reg("RBP", r.mRbp, "\r\n");
    text.Append("CS:").AppendHex(r.mCs, 4).Append(" FS:").AppendHex(r.mFs, 4);
    text.Append(" GS:").AppendHex(r.mGs, 4).Append("\r\n");
    text.Append("Flags:").AppendHex(r.mFlags, 8).Append("\r\n\r\n");
}

} // namespace ravix

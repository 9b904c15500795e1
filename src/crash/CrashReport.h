#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ravix {

// The pieces of the crash report's text. Everything here works on fixed buffers without
// allocating or locking, so that the crash handler can use it in a signal handler.

// Fault codes, numbered like the status codes of the platform the report format comes from.
enum FaultCode : uint32_t {
    kFaultDataTypeMisalignment = 0x80000002,
    kFaultAccessViolation = 0xC0000005,
    kFaultInPageError = 0xC0000006,
    kFaultIllegalInstruction = 0xC000001D,
    kFaultArrayBoundsExceeded = 0xC000008C,
    kFaultFloatDenormalOperand = 0xC000008D,
    kFaultDivideByZero = 0xC000008E,
    kFaultFloatInexactResult = 0xC000008F,
    kFaultFloatInvalidOperation = 0xC0000090,
    kFaultFloatOverflow = 0xC0000091,
    kFaultFloatUnderflow = 0xC0000093,
    kFaultIntegerDivideByZero = 0xC0000094,
    kFaultIntegerOverflow = 0xC0000095,
    kFaultPrivilegedInstruction = 0xC0000096,
    kFaultStackOverflow = 0xC00000FD,
};

// The name of a fault code, or null for a code the table does not know.
const char* FaultName(uint32_t code);

// The fault code of a signal with its si_code. Signals that are no processor fault (an abort,
// or a fault signal sent by kill) have no code of their own: their signal number is the code,
// which the table does not know.
uint32_t FaultCodeForSignal(int signal, int signalCode, bool stackOverflow);

// Text appended into a fixed buffer; what does not fit is dropped. Numbers are formatted here
// because printf is not safe in a signal handler.
class ReportText {
public:
    ReportText(char* buffer, size_t capacity);

    ReportText& Append(std::string_view text);
    // Upper-case hexadecimal with at least minDigits digits (never cut short).
    ReportText& AppendHex(uint64_t value, int minDigits = 1);
    // Lower-case hexadecimal without padding.
    ReportText& AppendLowerHex(uint64_t value);
    // Decimal with at least minDigits digits.
    ReportText& AppendDecimal(uint64_t value, int minDigits = 1);

    std::string_view View() const { return std::string_view(mBuffer, mLength); }
    // The text, NUL-terminated.
    const char* CString() const { return mBuffer; }
    void Clear();

private:
    char* mBuffer;
    size_t mCapacity;
    size_t mLength = 0;
};

// "Exception: <name> (code 0x<code>) at address <address> in thread <thread>", or the
// "Unknown exception" form, with the line break. Addresses are 64 bits wide here and printed
// with all their digits.
void AppendExceptionLine(ReportText& text, uint32_t code, uint64_t address, uint64_t thread);
// A logical address: segment number and offset within the module, "SSSS:OOOOOOOO".
void AppendLogicalAddress(ReportText& text, unsigned section, uint64_t offset);
// One stack frame: "<address> <symbol>+<offset>" when the symbol is known, else
// "<address> <logical address> <module>", with the line break.
void AppendStackFrame(ReportText& text, uint64_t address, const char* symbol, uint64_t symbolOffset,
                      unsigned section, uint64_t offset, const char* module);

// The processor state at the fault, as far as the report shows it.
struct ReportRegisters {
    uint64_t mRax = 0, mRbx = 0, mRcx = 0, mRdx = 0, mRsi = 0, mRdi = 0;
    uint64_t mR8 = 0, mR9 = 0, mR10 = 0, mR11 = 0, mR12 = 0, mR13 = 0, mR14 = 0, mR15 = 0;
    uint64_t mRip = 0, mRsp = 0, mRbp = 0;
    uint32_t mFlags = 0;
    uint16_t mCs = 0, mFs = 0, mGs = 0;
};

// The register lines of an x86-64 processor, then an empty line.
void AppendRegisters(ReportText& text, const ReportRegisters& registers);

} // namespace ravix

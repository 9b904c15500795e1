// Decodes arbitrary text as the crash reporter's form-field line, and checks that fields taken
// from it survive encoding and decoding again.
#include "crash/CrashSubmission.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ravix::ReportFields fields = ravix::DecodeReportFields(text);
    std::map<std::string, std::string> unique(fields.begin(), fields.end());
    const ravix::ReportFields again = ravix::DecodeReportFields(ravix::EncodeReportFields(unique));
    if (again != ravix::ReportFields(unique.begin(), unique.end())) {
        std::abort();
    }
    return 0;
}

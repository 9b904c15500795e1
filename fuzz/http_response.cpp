// Parses arbitrary bytes as a received HTTP response. The result is one of the parse results and
// the body never holds more than arrived.
#include "net/HTTPTransfer.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using ravix::HTTPTransfer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    std::string body;
    const int result = HTTPTransfer::ParseResponse(raw, body);
    if (result != HTTPTransfer::kDone && result != HTTPTransfer::kNotFound &&
        result != HTTPTransfer::kHttpError)
        std::abort();
    if (body.size() > raw.size())
        std::abort();
    return 0;
}

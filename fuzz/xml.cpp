// Reads the input as a markup file to the end, with comments dropped and allowed, with and
// without looking for a byte-order mark, and goes on reading a little after a failure.
#include "files/XMLParser.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace ravix;

namespace {

void ReadAll(const std::string& path, bool allowComments, bool skipDetection) {
    XMLParser parser;
    parser.SetAllowComments(allowComments);
    parser.SetSkipEncodingDetection(skipDetection);
    if (!parser.Open(path))
        std::abort(); // the file exists
    XMLItem item;
    int readsAfterFailure = 0;
    for (;;) {
        if (parser.ReadItem(item)) {
            if (item.mKind == XMLItem::Kind::None ||
                (item.mKind == XMLItem::Kind::Comment && !allowComments))
                std::abort();
            for (const std::string& name : item.mAttributeOrder)
                if (!item.mAttributes.count(name))
                    std::abort();
            continue;
        }
        if (!parser.HasError() || ++readsAfterFailure > 8)
            break;
    }
    if (parser.HasError() && parser.ErrorText().empty())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput("input.xml", data, size);
    for (bool allowComments : {false, true})
        for (bool skipDetection : {false, true})
            ReadAll(path, allowComments, skipDetection);
    return 0;
}

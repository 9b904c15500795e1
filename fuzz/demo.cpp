// Reads arbitrary bytes as a demo file and walks its events as the tool's dump does. What is
// read must come back unchanged when it is written out and read again.
#include "demo/DemoFile.h"
#include "demo/DemoStream.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<ravix::DemoEvent> ReadEvents(const uint8_t* data, size_t size) {
    ravix::DemoStream stream;
    stream.Assign(data, size);
    std::vector<ravix::DemoEvent> events;
    ravix::DemoEvent event;
    while (stream.Read(event)) {
        // Describing every event is what the dump does with it.
        if (ravix::DemoStream::EventName(event.mCommand).empty()) {
            std::abort();
        }
        (void)ravix::DemoStream::DescribePayload(event);
        events.push_back(event);
    }
    return events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ravix::DemoFile file;
    if (file.Parse(data, size) != ravix::DemoFile::Result::Ok) {
        return 0;
    }
    const std::vector<ravix::DemoEvent> events =
        ReadEvents(file.mEvents.data(), file.mEvents.size());

    ravix::DemoStream rewritten;
    for (const ravix::DemoEvent& event : events) {
        rewritten.Write(event);
    }
    const ravix::Buffer& bytes = rewritten.Data();
    if (ReadEvents(bytes.Data(), bytes.ByteLength()) != events) {
        std::abort();
    }

    const std::string serialized = file.Serialize();
    ravix::DemoFile again;
    if (again.Parse(reinterpret_cast<const uint8_t*>(serialized.data()), serialized.size()) !=
            ravix::DemoFile::Result::Ok ||
        again.mStartTick != file.mStartTick || again.mProductVersion != file.mProductVersion ||
        again.mMarkers != file.mMarkers || again.mDemoLength != file.mDemoLength ||
        again.mEvents != file.mEvents) {
        std::abort();
    }
    return 0;
}

// tarnwick-tool demo: read recorded demos.
#include "ToolCommands.h"

#include "demo/DemoFile.h"
#include "demo/DemoStream.h"

#include <cstdio>

namespace tarnwick::tool {

namespace {

using ravix::DemoEvent;
using ravix::DemoFile;
using ravix::DemoStream;

int Fail(const std::string& message) {
    std::fprintf(stderr, "tarnwick-tool: %s\n", message.c_str());
    return 1;
}

bool Load(const std::string& path, DemoFile& file, std::string& error) {
    switch (file.Load(path)) {
    case DemoFile::Result::Ok:
        return true;
    case DemoFile::Result::NotFound:
        error = "Demo file not found: " + path;
        return false;
    default:
        error = path + ": Invalid demo file.";
        return false;
    }
}

// Calls visit for every event of the stream, in order.
template <class Visit>
void ForEachEvent(const DemoFile& file, Visit visit) {
    DemoStream stream;
    stream.Assign(file.mEvents.data(), file.mEvents.size());
    DemoEvent event;
    while (stream.Read(event)) {
        visit(event);
    }
}

int Info(const DemoFile& file) {
    int count = 0;
    ForEachEvent(file, [&](const DemoEvent&) { ++count; });
    std::printf("format version\t%u\n", file.mVersion);
    std::printf("start tick\t%u\n", file.mStartTick);
    std::printf("product version\t%s\n", file.mProductVersion.c_str());
    std::printf("demo length\t%u\n", file.mDemoLength);
    std::printf("event count\t%d\n", count);
    std::printf("markers\t%zu\n", file.mMarkers.size());
    for (const ravix::DemoMarker& marker : file.mMarkers) {
        std::printf("marker\t%u\t%s\n", marker.mUpdate, marker.mName.c_str());
    }
    return 0;
}

int Dump(const DemoFile& file) {
    ForEachEvent(file, [](const DemoEvent& event) {
        const std::string payload = EscapeText(DemoStream::DescribePayload(event));
        std::printf("%u\t%s%s%s\n", event.mUpdate, DemoStream::EventName(event.mCommand).c_str(),
                    payload.empty() ? "" : "\t", payload.c_str());
    });
    return 0;
}

} // namespace

int RunDemoCommand(const Args& args) {
    if (args.size() != 2 || (args[0] != "info" && args[0] != "dump"))
        return UsageError();
    DemoFile file;
    std::string error;
    if (!Load(args[1], file, error))
        return Fail(error);
    const int status = args[0] == "info" ? Info(file) : Dump(file);
    return std::fflush(stdout) == 0 ? status : Fail("cannot write the output");
}

} // namespace tarnwick::tool

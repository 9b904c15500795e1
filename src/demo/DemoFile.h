#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ravix {

// A marker of a demo: a name for a moment of the recording.
struct DemoMarker {
    std::string mName;
    uint32_t mUpdate = 0;

    bool operator==(const DemoMarker&) const = default;
};

// The demo file: a header and the event stream's bytes. All numbers are little-endian:
//   magic 0x42BEEF78, format version (4), start tick (4), product version (2-byte length and
//   characters), from version 2 on a marker block (4-byte length, then marker count (4) and per
//   marker its name (2-byte length and characters) and update number (4)), demo length in
//   updates (4), and the event stream to the end of the file.
// Parsing treats the bytes as untrusted: every length is checked against what is left.
class DemoFile {
public:
    // How reading went, in the order the fields are met. Up to Truncated nothing but the
    // magic is known; from BadMarkers on the product version has been read.
    enum class Result { Ok, NotFound, BadMagic, Truncated, BadMarkers, NoEvents };

    // Reads and parses the file at path (NotFound when it cannot be read).
    [[nodiscard]] Result Load(const std::string& path);
    [[nodiscard]] Result Parse(const uint8_t* data, size_t size);
    // The file's bytes, written in format version 2.
    std::string Serialize() const;

    static constexpr uint32_t kMagic = 0x42BEEF78;
    static constexpr uint32_t kWrittenVersion = 2;
    // The product version is compared on its first 255 characters.
    static constexpr size_t kMaxProductVersion = 255;
    // Larger files are refused before they are read into memory.
    static constexpr uint64_t kMaxFileSize = uint64_t{1} << 30;

    uint32_t mVersion = kWrittenVersion;
    uint32_t mStartTick = 0;
    std::string mProductVersion;
    std::vector<DemoMarker> mMarkers;
    uint32_t mDemoLength = 0;
    std::vector<uint8_t> mEvents;
};

} // namespace ravix

#pragma once

// Helpers for the sound tests: fixture paths, rendering through OpenAL's loopback device and
// measuring what came out, and files built byte by byte.

#include "audio/ALDevice.h"

#include "files/PakTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace audiotest {

inline constexpr int kOutputRate = 44100;
// Frames the mixer takes to move to a changed gain or position without a click.
inline constexpr size_t kSettle = 1024;

inline std::string Fixture(const std::string& name) {
    return std::string(TARNWICK_TEST_DIR) + "/audio/fixtures/" + name;
}

// Interleaved stereo float frames as the loopback device mixed them.
struct Rendered {
    std::vector<float> samples;

    size_t Frames() const { return samples.size() / 2; }
    float Peak(int channel) const {
        float peak = 0;
        for (size_t i = channel; i < samples.size(); i += 2)
            peak = std::max(peak, std::fabs(samples[i]));
        return peak;
    }
    float Peak() const { return std::max(Peak(0), Peak(1)); }
    bool IsSilent() const { return Peak() == 0.0f; }
    // The number of sign changes in one channel: twice the frequency of a pure tone per second.
    int ZeroCrossings(int channel) const {
        int count = 0;
        for (size_t i = channel + 2; i < samples.size(); i += 2)
            if ((samples[i - 2] < 0) != (samples[i] < 0))
                ++count;
        return count;
    }
};

inline Rendered Render(ravix::ALDevice& device, size_t frames) {
    Rendered out;
    out.samples.resize(frames * 2);
    device.Render(out.samples.data(), frames);
    return out;
}

inline void PutU16(std::string& out, uint32_t value) {
    out += char(value);
    out += char(value >> 8);
}

inline void PutU32(std::string& out, uint32_t value) {
    PutU16(out, value);
    PutU16(out, value >> 16);
}

inline void PutBig32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(value >> shift);
}

inline std::string Chunk(const std::string& id, const std::string& body) {
    std::string out = id;
    PutU32(out, uint32_t(body.size()));
    return out + body;
}

inline std::string FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::string body;
    PutU16(body, tag);
    PutU16(body, channels);
    PutU32(body, rate);
    PutU32(body, rate * channels * bits / 8);
    PutU16(body, channels * bits / 8);
    PutU16(body, bits);
    return body;
}

// A WAV file of the chunks given, with a correct RIFF size.
inline std::string Riff(const std::string& chunks) {
    std::string out = "RIFF";
    PutU32(out, uint32_t(chunks.size() + 4));
    return out + "WAVE" + chunks;
}

// A mono 16-bit WAV file holding a square wave of the given period (in frames).
inline std::string SquareWav(int rate, size_t frames, int period = 50, int16_t level = 8000) {
    std::string data;
    for (size_t i = 0; i < frames; ++i)
        PutU16(data, uint16_t(int(i % period) < period / 2 ? level : -level));
    return Riff(Chunk("fmt ", FormatBody(1, 1, uint32_t(rate), 16)) + Chunk("data", data));
}

inline std::string SunAudio(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t rate,
                            uint32_t channels, const std::string& data) {
    std::string out = ".snd";
    for (uint32_t value : {offset, size, encoding, rate, channels})
        PutBig32(out, value);
    out.resize(std::max<size_t>(offset, out.size()), '\0');
    return out + data;
}

// A four-channel ProTracker module: one looped square-wave sample played on channel 1 at the
// first row of its only pattern, so that it sounds for as long as the song runs.
inline std::string TrackerModule() {
    std::string out(20, '\0');
    out.replace(0, 4, "test");
    for (int sample = 0; sample < 31; ++sample) {
        std::string header(30, '\0');
        if (sample == 0) {
            header[22] = 0;
            header[23] = 16; // length in words
            header[25] = 64; // volume
            header[29] = 16; // loop length in words, from word 0
        }
        out += header;
    }
    out += char(1);   // song length
    out += char(127); // restart position
    out += std::string(128, '\0');
    out += "M.K.";
    std::string pattern(64 * 4 * 4, '\0');
    const int period = 428; // C-2
    pattern[0] = char(period >> 8);
    pattern[1] = char(period & 0xFF);
    pattern[2] = char(1 << 4); // sample 1
    out += pattern;
    for (int i = 0; i < 32; ++i)
        out += char(i < 16 ? 100 : -100);
    return out;
}

} // namespace audiotest

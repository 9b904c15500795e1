#include "LoopEncoder.h"

#include "VorbisWriter.h"
#include "audio/OggVorbisDecoder.h"
#include "files/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace tarnwick::synth {

namespace {

// How much of a loop's start is encoded after its end: more than two of the encoder's longest
// blocks, so that the end's last block overlaps real sound.
constexpr size_t kLeadFrames = 4096;
// The turns tried: steps of about 4 ms, at most about 30 ms late.
constexpr size_t kShiftStep = 181;
constexpr int kMaxTries = 8;
// Frames decoded on each side of the seam to judge it.
constexpr size_t kSeamContext = 256;
// A bend at the seam that nobody hears, in 16-bit units (about -60 dBFS): a smooth quiet
// passage has nearly no bend between its frames, and the seam need not beat that.
constexpr double kInaudibleBend = 32;

// The loop turned so that every frame moves shift frames later, followed by its own start.
Audio TurnedWithLead(const Audio& audio, size_t shift) {
    const size_t frames = audio.Frames();
    const size_t channels = size_t(audio.mChannels);
    Audio out;
    out.mChannels = audio.mChannels;
    out.mSamples.resize((frames + std::min(kLeadFrames, frames)) * channels);
    for (size_t i = 0; i < out.mSamples.size() / channels; ++i) {
        const size_t from = (i % frames + frames - shift % frames) % frames;
        for (size_t c = 0; c < channels; ++c)
            out.mSamples[i * channels + c] = audio.mSamples[from * channels + c];
    }
    return out;
}

// A file in the temporary folder for the decoder to read, removed with the object.
class ScratchFile {
public:
    ScratchFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarnwick-synth-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            close(fd);
            mPath = pattern;
        }
    }
    ~ScratchFile() {
        if (!mPath.empty())
            std::filesystem::remove(mPath);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

bool ReadFrames(ravix::OggVorbisDecoder& decoder, int64_t first, size_t count,
                std::vector<int16_t>& out) {
    out.assign(count * size_t(decoder.GetChannels()), 0);
    return decoder.SeekFrame(first) && decoder.Read(out.data(), count) == count;
}

double Percentile(std::vector<double> values, int percent) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) * size_t(percent) / 100];
}

// The seam of decoded tail and head frames: the step from the tail's last frame to the head's
// first, and how much it bends away from the steps beside it, against the same figures within
// the tail and the head.
void JudgeSeam(const std::vector<int16_t>& tail, const std::vector<int16_t>& head, int channels,
               LoopSeam& seam) {
    std::vector<int16_t> joined = tail;
    joined.insert(joined.end(), head.begin(), head.end());
    const size_t stride = size_t(channels);
    const size_t frames = joined.size() / stride;
    const size_t seamFrame = tail.size() / stride; // the step into this frame crosses the seam
    const auto step = [&](size_t frame, size_t c) {
        return double(joined[frame * stride + c]) - double(joined[(frame - 1) * stride + c]);
    };
    std::vector<double> steps, bends;
    seam = LoopSeam{seam.mShift};
    for (size_t c = 0; c < stride; ++c)
        for (size_t f = 2; f + 1 < frames; ++f) {
            const double bend = std::abs(step(f, c) - (step(f - 1, c) + step(f + 1, c)) / 2);
            if (f == seamFrame) {
                seam.mJump = std::max(seam.mJump, std::abs(step(f, c)));
                seam.mBend = std::max(seam.mBend, bend);
            } else if (f + 1 != seamFrame && f != seamFrame + 1) {
                // The steps next to the seam take part in its bend, so they are left out.
                steps.push_back(std::abs(step(f, c)));
                bends.push_back(bend);
            }
        }
    seam.mTypicalStep = Percentile(steps, 50);
    seam.mTypicalBend = Percentile(bends, 90);
}

} // namespace

bool MeasureLoopSeam(const std::string& bytes, LoopSeam& seam) {
    ScratchFile scratch;
    if (scratch.Path().empty() || !ravix::WriteFileAtomically(scratch.Path(), bytes))
        return false;
    ravix::OggVorbisDecoder decoder;
    if (!decoder.Open(scratch.Path()))
        return false;
    const int64_t frames = decoder.GetTotalFrames();
    const size_t context = size_t(std::min<int64_t>(int64_t(kSeamContext), frames / 2));
    std::vector<int16_t> head, tail;
    if (context == 0 || !ReadFrames(decoder, frames - int64_t(context), context, tail) ||
        !ReadFrames(decoder, 0, context, head))
        return false;
    JudgeSeam(tail, head, decoder.GetChannels(), seam);
    return true;
}

bool EncodeLoop(const Audio& audio, double quality, std::string& bytes, LoopSeam& seam,
                std::string& error) {
    bool found = false;
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        LoopSeam tried;
        tried.mShift = size_t(attempt) * kShiftStep;
        std::string encoded;
        if (!EncodeOggVorbis(TurnedWithLead(audio, tried.mShift), audio.Frames(), quality, encoded,
                             error))
            return false;
        if (!MeasureLoopSeam(encoded, tried)) {
            error = "cannot decode the encoded loop to check its seam";
            return false;
        }
        const auto badness = [](const LoopSeam& s) {
            return s.mBend - std::max(s.mTypicalBend, kInaudibleBend);
        };
        if (!found || badness(tried) < badness(seam)) {
            seam = tried;
            bytes = std::move(encoded);
            found = true;
        }
        if (badness(seam) <= 0)
            break;
    }
    return true;
}

} // namespace tarnwick::synth

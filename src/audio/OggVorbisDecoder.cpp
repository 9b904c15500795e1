#include "audio/OggVorbisDecoder.h"

#include "files/PakInterface.h"

#include <algorithm>
#include <climits>
#include <vorbis/vorbisfile.h>

namespace ravix {

namespace {

size_t ReadCallback(void* buffer, size_t size, size_t count, void* source) {
    return pak_fread(buffer, size, count, static_cast<PakFile*>(source));
}

int SeekCallback(void* source, ogg_int64_t offset, int origin) {
    if (offset < LONG_MIN || offset > LONG_MAX)
        return -1;
    return pak_fseek(static_cast<PakFile*>(source), long(offset), origin);
}

int CloseCallback(void* source) {
    return pak_fclose(static_cast<PakFile*>(source));
}

long TellCallback(void* source) {
    return pak_ftell(static_cast<PakFile*>(source));
}

constexpr ov_callbacks kFileLayerCallbacks = {ReadCallback, SeekCallback, CloseCallback,
                                              TellCallback};

} // namespace

struct OggVorbisDecoder::State {
    OggVorbis_File mFile{};
    bool mOpen = false;
    int mLink = -1; // the chain link being decoded

    ~State() {
        if (mOpen)
            ov_clear(&mFile); // closes the file through the callbacks
    }
};

OggVorbisDecoder::OggVorbisDecoder() = default;
OggVorbisDecoder::~OggVorbisDecoder() = default;

bool OggVorbisDecoder::Open(const std::string& name) {
    mState.reset();
    PakFile* file = pak_fopen(name.c_str(), "rb");
    if (!file)
        return false;
    auto state = std::make_unique<State>();
    if (ov_open_callbacks(file, &state->mFile, nullptr, 0, kFileLayerCallbacks) != 0) {
        pak_fclose(file); // not taken over on failure
        return false;
    }
    state->mOpen = true;
    const vorbis_info* info = ov_info(&state->mFile, -1);
    const ogg_int64_t total = ov_pcm_total(&state->mFile, -1);
    if (!info || !ov_seekable(&state->mFile) || total < 0)
        return false;
    mChannels = info->channels;
    mRate = info->rate > kMaxPcmRate ? 0 : int(info->rate);
    mTotalFrames = total;
    PcmSound format{mChannels, mRate, 16, {}};
    if (!format.HasPlayableFormat())
        return false;
    mState = std::move(state);
    return true;
}

size_t OggVorbisDecoder::Read(int16_t* out, size_t frames) {
    if (!mState)
        return 0;
    const size_t frameBytes = size_t(mChannels) * 2;
    char* bytes = reinterpret_cast<char*>(out);
    size_t done = 0;
    while (done < frames) {
        const size_t wanted = std::min<size_t>((frames - done) * frameBytes, INT_MAX);
        int link = 0;
        const long got =
            ov_read(&mState->mFile, bytes + done * frameBytes, int(wanted), 0, 2, 1, &link);
        if (got <= 0)
            break;
        if (link != mState->mLink) {
            const vorbis_info* info = ov_info(&mState->mFile, link);
            if (!info || info->channels != mChannels || info->rate != mRate)
                break;
            mState->mLink = link;
        }
        done += size_t(got) / frameBytes;
    }
    return done;
}

bool OggVorbisDecoder::SeekFrame(int64_t frame) {
    return mState && frame >= 0 && frame <= mTotalFrames && ov_pcm_seek(&mState->mFile, frame) == 0;
}

bool DecodeOggFile(const std::string& name, PcmSound& sound) {
    OggVorbisDecoder decoder;
    if (!decoder.Open(name))
        return false;
    const uint64_t frameBytes = uint64_t(decoder.GetChannels()) * 2;
    const uint64_t total = uint64_t(decoder.GetTotalFrames());
    if (total > kMaxPcmBytes / frameBytes)
        return false;
    const size_t channels = size_t(decoder.GetChannels());
    std::vector<int16_t> samples;
    // Grow with what the decoder delivers: a damaged file may state far more than it holds.
    // The buffer doubles as it fills but never beyond the stated length.
    constexpr size_t kStep = 16384;
    size_t frames = 0;
    while (frames < total) {
        const size_t want = std::min<uint64_t>(kStep, total - frames);
        const size_t needed = (frames + want) * channels;
        if (needed > samples.capacity())
            samples.reserve(std::min<uint64_t>(total * channels,
                                               std::max(needed, samples.capacity() * 2)));
        samples.resize(needed);
        const size_t got = decoder.Read(samples.data() + frames * channels, want);
        if (got == 0)
            return false;
        frames += got;
    }
    samples.resize(frames * channels);
    sound = PcmSound::FromSigned16(decoder.GetChannels(), decoder.GetRate(), samples);
    return true;
}

} // namespace ravix

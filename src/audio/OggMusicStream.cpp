#include "audio/OggMusicStream.h"

namespace ravix {

std::unique_ptr<OggMusicStream> OggMusicStream::Open(const std::string& fileName) {
    std::unique_ptr<OggMusicStream> stream(new OggMusicStream);
    if (!stream->mDecoder.Open(fileName))
        return nullptr;
    return stream;
}

size_t OggMusicStream::ReadFrames(int16_t* out, size_t frames) {
    return mDecoder.Read(out, frames);
}

bool OggMusicStream::SeekToFrame(int64_t frame) {
    return mDecoder.SeekFrame(frame);
}

} // namespace ravix

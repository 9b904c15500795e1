#include "audio/MusicStream.h"

namespace ravix {

size_t MusicStream::Read(int16_t* out, size_t frames) {
    size_t done = 0;
    bool rewoundEmpty = false; // a stream that gives nothing right after a rewind never will
    while (done < frames) {
        const size_t got = ReadFrames(out + done * GetChannels(), frames - done);
        done += got;
        if (got > 0) {
            rewoundEmpty = false;
            continue;
        }
        if (!mLooping || rewoundEmpty || !SeekToFrame(0))
            break;
        rewoundEmpty = true;
    }
    return done;
}

bool MusicStream::Restart(int offset) {
    if (offset < 0)
        return false;
    return SeekToFrame(offset / (GetChannels() * 2));
}

} // namespace ravix

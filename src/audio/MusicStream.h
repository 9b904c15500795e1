#pragma once

#include <cstddef>
#include <cstdint>

namespace ravix {

// A song's decoder as the music back-end streams it: interleaved signed 16-bit frames, mono or
// stereo. Looping happens inside Read, so that the loop point has no gap.
class MusicStream {
public:
    virtual ~MusicStream() = default;
    virtual int GetChannels() const = 0;
    virtual int GetRate() const = 0;

    // Decodes up to frames frames into out. A looping stream goes on from its start when it
    // reaches its end; the result is 0 only at the end of a stream that does not loop (or one
    // with nothing in it).
    virtual size_t Read(int16_t* out, size_t frames);
    virtual void SetLooping(bool looping) { mLooping = looping; }
    // Goes to a starting point: a byte offset into the decoded 16-bit data for sampled streams,
    // an order number for tracker modules. False when the point lies outside the song.
    virtual bool Restart(int offset);
    // The loudness of a tracker module (0.5 normal); sampled streams ignore it.
    virtual void SetAmplify(double /*factor*/) {}

protected:
    // Decodes up to frames frames from the current position; 0 at the end.
    virtual size_t ReadFrames(int16_t* out, size_t frames) = 0;
    // Moves to a frame counted from the start.
    virtual bool SeekToFrame(int64_t frame) = 0;

    bool mLooping = true;
};

} // namespace ravix

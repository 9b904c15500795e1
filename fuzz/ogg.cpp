// Decodes the input as Ogg Vorbis, whole as the sound manager does and streamed as the music
// back-end does (looping, seeking back to the start).
#include "audio/OggMusicStream.h"
#include "audio/OggVorbisDecoder.h"
#include "audio/PcmSound.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace ravix;

// libvorbisfile 1.3.7 leaks a few bytes (its list of stream serial numbers) when
// ov_open_callbacks refuses a file whose headers are damaged. The library is built without frame
// pointers, so the leak's stack ends in it and only its module name tells it apart. The test
// suite, which runs under the leak checker without this suppression, watches our own use of it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbisfile.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput("input.ogg", data, size);
    PcmSound sound;
    if (DecodeOggFile(path, sound) && !sound.HasPlayableFormat())
        std::abort();

    std::unique_ptr<OggMusicStream> stream = OggMusicStream::Open(path);
    if (!stream)
        return 0;
    std::vector<int16_t> buffer(4096 * size_t(stream->GetChannels()));
    // Enough to pass the end of a small stream and loop around it; bounded for long ones.
    for (int pass = 0; pass < 8; ++pass)
        if (stream->Read(buffer.data(), 4096) > 4096)
            std::abort();
    stream->SetLooping(false);
    (void)stream->Restart(int(data[0]) * 4); // an open stream has a non-empty file
    while (stream->Read(buffer.data(), 4096) > 0) {
    }
    return 0;
}

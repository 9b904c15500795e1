#include "VorbisWriter.h"

#include "Recipe.h"

#include <algorithm>
#include <vorbis/vorbisenc.h>

namespace tarnwick::synth {

namespace {

// The serial number of every stream we write ("TWsy"); a random one would change the bytes.
constexpr int kStreamSerial = 0x54577379;
constexpr size_t kBlockFrames = 1024;

// The encoder's state, released in reverse order of setting up.
struct Encoder {
    vorbis_info mInfo{};
    vorbis_comment mComment{};
    vorbis_dsp_state mDsp{};
    vorbis_block mBlock{};
    ogg_stream_state mStream{};
    bool mDspReady = false;
    bool mEnded = false;

    Encoder() {
        vorbis_info_init(&mInfo);
        vorbis_comment_init(&mComment);
    }
    ~Encoder() {
        if (mDspReady) {
            ogg_stream_clear(&mStream);
            vorbis_block_clear(&mBlock);
            vorbis_dsp_clear(&mDsp);
        }
        vorbis_comment_clear(&mComment);
        vorbis_info_clear(&mInfo);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void AppendPage(const ogg_page& page, std::string& bytes) {
        bytes.append(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
        bytes.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
    }

    // Moves every finished block into packets and every full page into bytes. The packet that
    // reaches the stated end closes the stream with that end as its position (the decoder
    // drops what it would deliver beyond); packets after it are left out.
    void Drain(int64_t statedEnd, std::string& bytes) {
        while (vorbis_analysis_blockout(&mDsp, &mBlock) == 1) {
            vorbis_analysis(&mBlock, nullptr);
            vorbis_bitrate_addblock(&mBlock);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&mDsp, &packet) == 1) {
                if (mEnded)
                    continue;
                if (packet.granulepos >= statedEnd) {
                    packet.granulepos = statedEnd;
                    packet.e_o_s = 1;
                    mEnded = true;
                }
                ogg_stream_packetin(&mStream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&mStream, &page) != 0)
                    AppendPage(page, bytes);
            }
        }
    }
};

} // namespace

bool EncodeOggVorbis(const Audio& audio, size_t frames, double quality, std::string& bytes,
                     std::string& error) {
    Encoder encoder;
    if (vorbis_encode_init_vbr(&encoder.mInfo, audio.mChannels, kSampleRate, float(quality)) != 0) {
        error = "the Vorbis encoder refuses " + std::to_string(audio.mChannels) + " channels";
        return false;
    }
    vorbis_comment_add_tag(&encoder.mComment, "ENCODER", "tarnwick-synth");
    vorbis_analysis_init(&encoder.mDsp, &encoder.mInfo);
    vorbis_block_init(&encoder.mDsp, &encoder.mBlock);
    ogg_stream_init(&encoder.mStream, kStreamSerial);
    encoder.mDspReady = true;

    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&encoder.mDsp, &encoder.mComment, &identification, &comments,
                              &codebooks);
    ogg_stream_packetin(&encoder.mStream, &identification);
    ogg_stream_packetin(&encoder.mStream, &comments);
    ogg_stream_packetin(&encoder.mStream, &codebooks);
    // The headers end their own page, as players expect.
    ogg_page page;
    bytes.clear();
    while (ogg_stream_flush(&encoder.mStream, &page) != 0)
        encoder.AppendPage(page, bytes);

    const size_t fed = audio.Frames();
    const int64_t statedEnd = int64_t(std::min(frames, fed));
    const size_t channels = size_t(audio.mChannels);
    for (size_t at = 0; at < fed; at += kBlockFrames) {
        const size_t count = std::min(kBlockFrames, fed - at);
        float** buffer = vorbis_analysis_buffer(&encoder.mDsp, int(count));
        for (size_t i = 0; i < count; ++i)
            for (size_t c = 0; c < channels; ++c)
                buffer[c][i] = float(audio.mSamples[(at + i) * channels + c]);
        vorbis_analysis_wrote(&encoder.mDsp, int(count));
        encoder.Drain(statedEnd, bytes);
    }
    vorbis_analysis_wrote(&encoder.mDsp, 0); // the end of the stream
    encoder.Drain(statedEnd, bytes);
    while (ogg_stream_flush(&encoder.mStream, &page) != 0)
        encoder.AppendPage(page, bytes);
    return true;
}

} // namespace tarnwick::synth

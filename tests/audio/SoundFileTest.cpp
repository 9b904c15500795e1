#include "audio/OggVorbisDecoder.h"
#include "audio/SoundCache.h"
#include "audio/SoundFileLoader.h"
#include "audio/SunAudioFile.h"
#include "audio/WavFile.h"
#include "files/PakFileReader.h"
#include "files/PakInterface.h"

#include "audio/AudioTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ravix;
using namespace audiotest;

std::vector<int16_t> SamplesOf(const std::string& wavFile) {
    PcmSound sound;
    EXPECT_TRUE(ReadWavFile(wavFile, sound)) << wavFile;
    return sound.ToSigned16();
}

TEST(SoundFileTest, ReadsFilesMadeByOtherPrograms) {
    PcmSound wav;
    ASSERT_TRUE(ReadWavFile(Fixture("tone.wav"), wav));
    EXPECT_EQ(wav.mChannels, 1);
    EXPECT_EQ(wav.mRate, 22050);
    EXPECT_EQ(wav.mBits, 16);
    EXPECT_EQ(wav.mData.size(), 2205u * 2);

    // 8-bit stereo scales up as the program that made the file scales it.
    PcmSound wav8;
    ASSERT_TRUE(ReadWavFile(Fixture("stereo8.wav"), wav8));
    EXPECT_EQ(wav8.mChannels, 2);
    EXPECT_EQ(wav8.mBits, 8);
    EXPECT_EQ(wav8.ToSigned16(), SamplesOf(Fixture("stereo8-as16.wav")));

    // The decoder gives exactly what the reference decoder gave.
    PcmSound ogg;
    ASSERT_TRUE(DecodeOggFile(Fixture("tone.ogg"), ogg));
    EXPECT_EQ(ogg.mChannels, 1);
    EXPECT_EQ(ogg.mRate, 22050);
    EXPECT_EQ(ogg.ToSigned16(), SamplesOf(Fixture("tone-ogg.wav")));

    // Mu-law expansion follows a piecewise-linear curve within 3.1% of the exact one.
    PcmSound au;
    ASSERT_TRUE(ReadSunAudioFile(Fixture("tone.au"), au));
    EXPECT_EQ(au.mRate, 8000);
    EXPECT_EQ(au.mBits, 16);
    const std::vector<int16_t> ours = au.ToSigned16();
    const std::vector<int16_t> exact = SamplesOf(Fixture("tone-au-sox.wav"));
    ASSERT_EQ(ours.size(), exact.size());
    for (size_t i = 0; i < ours.size(); ++i)
        ASSERT_NEAR(ours[i], exact[i], std::abs(exact[i]) * 0.031 + 1) << i;
}

TEST(SoundFileTest, MuLawExpansion) {
    const struct {
        uint8_t byte;
        int16_t sample;
    } cases[] = {
        {0xFF, 0},
        {0x7F, 0},
        {0xF0, 120},
        {0x70, -120},
        {0xE0, 368},
        {0xC8, 4 * 16 * (221 - 200)},
        {0xA0, 4 * (12192 - 64 * 160)},
        {0x90, 4 * (22368 - 128 * 144)},
        {0x81, 30592},
        {0x01, -30592},
        // The loudest codes continue the top segment instead of collapsing to a whisper.
        {0x80, 31616},
        {0x00, -31616},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandMuLaw(c.byte), c.sample) << int(c.byte);
}

TEST(SoundFileTest, SunAudioEncodingsAndSizes) {
    paktest::TempFolder folder;
    const std::string name = folder / "a.au";
    PcmSound sound;

    // 8-bit linear is signed in the file and unsigned in 8-bit PCM.
    paktest::WriteFile(name, SunAudio(28, 3, 2, 11025, 2, std::string("\x00\x7f\x80", 3)));
    ASSERT_TRUE(ReadSunAudioFile(name, sound));
    EXPECT_EQ(sound.mBits, 8);
    EXPECT_EQ(sound.mChannels, 2);
    EXPECT_EQ(sound.mData, (std::vector<uint8_t>{0x80, 0xFF, 0x00}));

    // An unknown data size runs to the end of the file.
    paktest::WriteFile(name, SunAudio(24, 0xFFFFFFFF, 1, 8000, 1, "\xff\xf0"));
    ASSERT_TRUE(ReadSunAudioFile(name, sound));
    EXPECT_EQ(sound.ToSigned16(), (std::vector<int16_t>{0, 120}));
}

TEST(SoundFileTest, RefusesDamagedFiles) {
    const std::string pcm = Chunk("fmt ", FormatBody(1, 1, 8000, 16));
    const std::string data4 = Chunk("data", "abcd");
    std::string tooLong = "data";
    PutU32(tooLong, 1000);
    tooLong += "abcd";
    std::string huge = "data";
    PutU32(huge, 0xFFFFFFF0);
    const std::string ogg = paktest::ReadFile(Fixture("tone.ogg"));
    const struct {
        const char* what;
        const char* file;
        std::string bytes;
    } cases[] = {
        {"empty", "x.wav", ""},
        {"not RIFF", "x.wav", "RIFX" + Riff(pcm + data4).substr(4)},
        {"no data chunk", "x.wav", Riff(pcm)},
        {"data past the end", "x.wav", Riff(pcm + tooLong)},
        {"data size near 4 GiB", "x.wav", Riff(pcm + huge)},
        {"chunk cut short", "x.wav", Riff(pcm).append("dat")},
        {"chunk size past the end", "x.wav",
         Riff(Chunk("LIST", "") + data4).replace(16, 4, "\xff\xff\xff\x7f")},
        {"float samples", "x.wav", Riff(Chunk("fmt ", FormatBody(3, 1, 8000, 32)) + data4)},
        {"24-bit samples", "x.wav", Riff(Chunk("fmt ", FormatBody(1, 1, 8000, 24)) + data4)},
        {"three channels", "x.wav", Riff(Chunk("fmt ", FormatBody(1, 3, 8000, 16)) + data4)},
        {"rate 0", "x.wav", Riff(Chunk("fmt ", FormatBody(1, 1, 0, 16)) + data4)},
        {"fmt cut short", "x.wav", Riff(Chunk("fmt ", std::string("\x01\x00", 2)))},
        {"xor without key", "x.wav", Riff(Chunk("xor ", "") + data4)},
        {"dep cut short", "x.wav", Riff(Chunk("dep ", std::string("\x05\0ab", 4)) + data4)},
        {"au magic", "x.au", SunAudio(24, 2, 1, 8000, 1, "ab").replace(0, 4, ".snx")},
        {"au 16-bit linear", "x.au", SunAudio(24, 2, 3, 8000, 1, "ab")},
        {"au offset in the header", "x.au", SunAudio(20, 2, 1, 8000, 1, "ab")},
        {"au offset past the end", "x.au",
         SunAudio(24, 2, 1, 8000, 1, "ab").replace(4, 4, "\0\0\1\0", 4)},
        {"au size past the end", "x.au", SunAudio(24, 3, 1, 8000, 1, "ab")},
        {"au no channels", "x.au", SunAudio(24, 2, 1, 8000, 0, "ab")},
        {"au header cut short", "x.au", SunAudio(24, 2, 1, 8000, 1, "").substr(0, 20)},
        {"ogg garbage", "x.ogg", std::string(5000, 'O')},
        {"ogg cut short", "x.ogg", ogg.substr(0, ogg.size() / 2)},
        {"mp3", "x.mp3", "ID3"},
    };
    paktest::TempFolder folder;
    for (const auto& c : cases) {
        const std::string name = folder / c.file;
        paktest::WriteFile(name, c.bytes);
        PcmSound sound;
        EXPECT_FALSE(LoadSoundFile(name, sound)) << c.what;
    }
}

TEST(SoundFileTest, CacheFileLayout) {
    const PcmSound sound{2, 11025, 16, {1, 2, 3, 0x5D}};
    const FileTime time = FileTime::FromTicks(0x0102030405060708);
    std::string expected = "RIFF";
    PutU32(expected, 4 + 24 + 8 + 15 + 9 + 12);
    expected += "WAVEfmt ";
    PutU32(expected, 16);
    expected += std::string("\x01\x00\x02\x00\x11\x2b\x00\x00\x44\xac\x00\x00\x04\x00\x10\x00", 16);
    expected += "dep ";
    PutU32(expected, 15);
    expected += std::string("\x05\x00x.ogg\x08\x07\x06\x05\x04\x03\x02\x01", 15);
    expected += "xor ";
    PutU32(expected, 1);
    expected += '\x5D';
    expected += "data";
    PutU32(expected, 4);
    expected += std::string("\x5c\x5f\x5e\x00", 4);
    EXPECT_EQ(EncodeWavFile(sound, WavDependency{"x.ogg", time}), expected);

    // A plain file has neither chunk.
    const std::string plain = EncodeWavFile(sound, std::nullopt);
    EXPECT_EQ(plain.size(), 44u + 4);
    EXPECT_EQ(plain.substr(36), std::string("data\x04\0\0\0\x01\x02\x03\x5d", 12));
}

TEST(SoundFileTest, DependencyChunkTracksTheSourceFile) {
    paktest::TempFolder folder;
    const std::string source = folder / "click.ogg";
    paktest::WriteFile(source, paktest::ReadFile(Fixture("tone.ogg")));

    PcmSound decoded;
    ASSERT_TRUE(DecodeOggFile(source, decoded));
    const std::string cacheFile = folder / "cached.wav";
    ASSERT_TRUE(
        WriteWavFile(cacheFile, decoded, WavDependency{source, *FindFileWriteTime(source)}));
    PcmSound cached;
    ASSERT_TRUE(ReadWavFile(cacheFile, cached)); // descrambled
    EXPECT_EQ(cached.mData, decoded.mData);

    // A new write time makes the cache stale.
    std::filesystem::last_write_time(source, std::filesystem::last_write_time(source) +
                                                 std::chrono::seconds(1));
    EXPECT_FALSE(ReadWavFile(cacheFile, cached));
    std::filesystem::remove(source);
    EXPECT_FALSE(ReadWavFile(cacheFile, cached));
}

TEST(SoundFileTest, CachePaths) {
    const SoundCache cache("/data/");
    EXPECT_EQ(cache.PathFor("sounds\\click"), "/data/cached/sounds/click.wav");
    EXPECT_EQ(cache.PathFor("abc"), "/data/cached/abc.wav");
    for (const char* name : {"ab", "/abs/name", "\\abs\\name", "c:\\name", "a/../../x"})
        EXPECT_EQ(cache.PathFor(name), "") << name;
    EXPECT_EQ(SoundCache("").PathFor("sounds/click"), "");
    EXPECT_EQ(SoundCache("/data").PathFor("abc"), "/data/cached/abc.wav");
}

TEST(SoundFileTest, NamesFindTheFirstFormatThatDecodes) {
    paktest::TempFolder folder;
    const std::string name = folder / "sound";
    PcmSound sound;
    std::string source;
    EXPECT_FALSE(LoadSoundByName(name, sound, source));

    paktest::WriteFile(name + ".au", paktest::ReadFile(Fixture("tone.au")));
    paktest::WriteFile(name + ".mp3", "ID3");
    ASSERT_TRUE(LoadSoundByName(name, sound, source));
    EXPECT_EQ(source, name + ".au");

    paktest::WriteFile(name + ".ogg", paktest::ReadFile(Fixture("tone.ogg")));
    paktest::WriteFile(name + ".wav", "RIFF but broken");
    ASSERT_TRUE(LoadSoundByName(name, sound, source));
    EXPECT_EQ(source, name + ".ogg");

    paktest::WriteFile(name + ".wav", paktest::ReadFile(Fixture("tone.wav")));
    ASSERT_TRUE(LoadSoundByName(name, sound, source));
    EXPECT_EQ(source, name + ".wav");
}

TEST(SoundFileTest, ReadsFromThePakArchive) {
    paktest::TempFolder folder;
    const uint64_t stored = 0x01D0000012345678;
    paktest::WriteFile(
        folder / "sounds.pak",
        paktest::Archive({{"snd\\pak-tone.ogg", paktest::ReadFile(Fixture("tone.ogg")), stored},
                          {"snd\\pak-tone.wav", paktest::ReadFile(Fixture("tone.wav")), stored}}));
    ASSERT_TRUE(gPakInterface->MountArchive(folder / "sounds.pak"));

    PcmSound sound;
    ASSERT_TRUE(DecodeOggFile("snd/PAK-TONE.ogg", sound));
    EXPECT_EQ(sound.ToSigned16(), SamplesOf(Fixture("tone-ogg.wav")));
    ASSERT_TRUE(ReadWavFile("snd\\pak-tone.wav", sound));
    EXPECT_EQ(sound.mData.size(), 2205u * 2);
    // An entry's write time is the one the archive stores.
    EXPECT_EQ(FindFileWriteTime("snd\\pak-tone.ogg"), FileTime::FromTicks(stored));
}

} // namespace

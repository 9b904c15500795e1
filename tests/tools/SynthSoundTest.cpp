// tarnwick-synth's sound: envelopes without jumps, normalised levels, circular loops, and Ogg
// Vorbis files that the game's own decoder reads, the same bytes every time.
#include "EnvelopeShape.h"
#include "Levels.h"
#include "RecipeParser.h"
#include "Renderer.h"
#include "Synthesizer.h"
#include "VorbisWriter.h"
#include "audio/OggVorbisDecoder.h"
#include "files/PakTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using namespace tarnwick::synth;

Recipe Parsed(const std::string& text) {
    Recipe recipe;
    RecipeError error;
    EXPECT_TRUE(ParseRecipe(text, recipe, error)) << error.mLine << ": " << error.mMessage;
    return recipe;
}

// The largest change of the envelope from one sample to the next, from before the start to
// after the end.
double LargestStep(const Envelope& envelope, double gate) {
    double largest = 0, previous = 0;
    const double end = EnvelopeEnd(envelope, gate) + 0.01;
    for (int i = -10; i / double(kSampleRate) < end; ++i) {
        const double level = EnvelopeLevel(envelope, gate, i / double(kSampleRate));
        largest = std::max(largest, std::abs(level - previous));
        previous = level;
    }
    return largest;
}

TEST(SynthSoundTest, EnvelopeHasNoJump) {
    const struct {
        Envelope envelope;
        double gate;
    } cases[] = {
        {{0.01, 0.1, 0.5, 0.2}, 0.5},   // the whole course
        {{0.0, 0.0, 1.0, 0.0}, 0.05},   // zero attack and release get the shortest ramps
        {{0.2, 0.1, 0.5, 0.05}, 0.05},  // the gate ends during the attack
        {{0.005, 0.5, 0.0, 0.0}, 0.02}, // a pluck cut during its decay
        {{0.001, 0.0, 0.0, 0.001}, 1},  // no decay time: straight to a silent sustain
    };
    // The steepest raised-cosine ramp of kMinEdgeSeconds rises pi / 2 / 88.2 per sample.
    const double steepest = std::numbers::pi / 2 / (kMinEdgeSeconds * kSampleRate) + 1e-9;
    for (const auto& c : cases) {
        EXPECT_LE(LargestStep(c.envelope, c.gate), steepest) << c.envelope.mAttack;
        EXPECT_EQ(EnvelopeLevel(c.envelope, c.gate, 0), 0.0);
        EXPECT_EQ(EnvelopeLevel(c.envelope, c.gate, EnvelopeEnd(c.envelope, c.gate)), 0.0);
    }
    const Envelope held{0.01, 0.1, 0.5, 0.2};
    EXPECT_DOUBLE_EQ(EnvelopeLevel(held, 1, 0.01), 1.0);         // the top of the attack
    EXPECT_NEAR(EnvelopeLevel(held, 1, 0.11), 0.5, 0.5 * 0.011); // the decay reaches sustain
}

TEST(SynthSoundTest, NormalisesToThePeakOrTheLoudnessWhicheverIsLower) {
    const std::string notes = "instrument a\nplay a 0 0.3 A4\nplay a 0.5 0.3 A4 gain=0.25\n";
    Audio audio;
    std::string error;
    ASSERT_TRUE(SynthesizeRecipe(Parsed("level -3\n" + notes), audio, error)) << error;
    EXPECT_NEAR(PeakLevel(audio), std::pow(10.0, -3.0 / 20), 1e-12);
    // A sine's RMS is its peak over sqrt 2: -6 dBFS peak allows -9 dBFS RMS, so a loudness of
    // -12 dBFS wins, and -3 dBFS loses to the peak.
    ASSERT_TRUE(SynthesizeRecipe(Parsed("level -6 loudness=-12\n" + notes), audio, error));
    EXPECT_NEAR(ToDb(LoudestRms(audio, kLoudnessWindow)), -12.0, 1e-9);
    EXPECT_NEAR(ToDb(PeakLevel(audio)), -9.0, 0.05);
    ASSERT_TRUE(SynthesizeRecipe(Parsed("level -6 loudness=-3\n" + notes), audio, error));
    EXPECT_NEAR(ToDb(PeakLevel(audio)), -6.0, 1e-9);
}

TEST(SynthSoundTest, LengthFollowsTheLastReleaseOrTheRecipe) {
    Audio audio;
    std::string error;
    // 0.5 + 0.25 gate + 0.25 release = 1 s; with a reverb its time follows.
    ASSERT_TRUE(
        RenderRecipe(Parsed("instrument a release=0.25\nplay a 0.5 0.25 C4\n"), audio, error));
    EXPECT_EQ(audio.Frames(), size_t(kSampleRate));
    ASSERT_TRUE(RenderRecipe(
        Parsed("reverb time=0.5\ninstrument a release=0.25\nplay a 0.5 0.25 C4\n"), audio, error));
    EXPECT_EQ(audio.Frames(), size_t(1.5 * kSampleRate));
    ASSERT_TRUE(RenderRecipe(Parsed("length 0.1\ninstrument a\nplay a 0 1 C4\n"), audio, error));
    EXPECT_EQ(audio.Frames(), size_t(0.1 * kSampleRate));
    // A sound cut short by its length still ends at zero.
    EXPECT_EQ(audio.mSamples.back(), 0.0);
}

TEST(SynthSoundTest, LoopWrapsWhatRunsPastTheEnd) {
    // A note that starts 0.1 s before the end of a 1 s loop sounds on at the start.
    const std::string note = "length 1\ninstrument a attack=0.01 release=0.1\nplay a 0.9 0.2 A4\n";
    Audio loop, cut;
    std::string error;
    ASSERT_TRUE(RenderRecipe(Parsed("loop\n" + note), loop, error));
    ASSERT_TRUE(RenderRecipe(Parsed(note), cut, error));
    const auto loudestIn = [](const Audio& audio, size_t from, size_t to) {
        double peak = 0;
        for (size_t i = from; i < to; ++i)
            peak = std::max(peak, std::abs(audio.mSamples[i]));
        return peak;
    };
    EXPECT_GT(loudestIn(loop, 0, 4410), 0.5);
    EXPECT_EQ(loudestIn(cut, 0, 4410), 0.0);
    // The loop's last sample leads into its first as any two neighbours do.
    const double seam = std::abs(loop.mSamples.front() - loop.mSamples.back());
    EXPECT_LT(seam, 2 * std::sin(std::numbers::pi * 440 / kSampleRate) + 1e-9);
}

TEST(SynthSoundTest, RefusesRecipesTooLongOrTooHeavy) {
    Audio audio;
    std::string error;
    EXPECT_FALSE(RenderRecipe(Parsed("reverb time=10\ninstrument a release=30\nplay a 179 1 C4\n"),
                              audio, error));
    EXPECT_EQ(error, "the sound would last 220 s, more than 180");
    std::string text = "instrument a partials=1:1,2:1,3:1,4:1,5:1,6:1,7:1,8:1,9:1,10:1\n";
    for (int i = 0; i < 30; ++i)
        text += "play a 0 170 C1+D1+E1+F1+G1+A1+B1+C2\n";
    EXPECT_FALSE(RenderRecipe(Parsed(text), audio, error));
    EXPECT_NE(error.find("too much work"), std::string::npos) << error;
}

struct Decoded {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> samples;
};

// Decodes Ogg Vorbis bytes with the game's own reader.
Decoded Decode(const std::string& bytes) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "sound.ogg", bytes);
    ravix::PcmSound sound;
    Decoded decoded;
    if (!ravix::DecodeOggFile(folder / "sound.ogg", sound))
        return decoded;
    decoded.channels = sound.mChannels;
    decoded.rate = sound.mRate;
    decoded.samples = sound.ToSigned16();
    return decoded;
}

TEST(SynthSoundTest, WritesOggVorbisTheGameDecodesTheSameEveryTime) {
    const struct {
        std::string recipe;
        int channels;
        size_t frames;
    } cases[] = {
        {"seed 3\ninstrument n wave=noise attack=0.001 decay=0.02 sustain=0 release=0.01\n"
         "instrument b wave=triangle release=0.1\n"
         "play n 0 0.02 C4\nplay b 0 0.2 E5\n",
         1, size_t(0.3 * kSampleRate)},
        {"channels 2\nreverb\ninstrument p wave=square chorus=5\nplay p 0 0.4 C4+G4\n", 2,
         size_t(0.45 * kSampleRate + 1.5 * kSampleRate)},
    };
    for (const auto& c : cases) {
        std::string first, second;
        SoundStats stats;
        RecipeError error;
        ASSERT_TRUE(SynthesizeText(c.recipe, first, stats, error)) << error.mMessage;
        ASSERT_TRUE(SynthesizeText(c.recipe, second, stats, error)) << error.mMessage;
        EXPECT_EQ(first, second) << c.recipe;

        const Decoded decoded = Decode(first);
        EXPECT_EQ(decoded.channels, c.channels);
        EXPECT_EQ(decoded.rate, 44100);
        ASSERT_EQ(decoded.samples.size(), c.frames * size_t(c.channels)) << c.recipe;
        int peak = 0;
        for (int16_t sample : decoded.samples)
            peak = std::max(peak, std::abs(int(sample)));
        // -3 dBFS before encoding; lossy coding moves the peak a little, never to full scale.
        EXPECT_GT(peak, 32768 * 0.6);
        EXPECT_LT(peak, 32767 * 0.85);
    }
}

// How far the step across a decoded loop's seam strays from the steps beside it, the largest
// over the channels: the size of the click the seam would make.
double SeamBend(const Decoded& decoded) {
    const size_t channels = size_t(decoded.channels);
    const size_t last = decoded.samples.size() - channels;
    double bend = 0;
    for (size_t c = 0; c < channels; ++c) {
        const auto at = [&](size_t i) { return double(decoded.samples[i]); };
        const double before = at(last + c) - at(last - channels + c);
        const double across = at(c) - at(last + c);
        const double after = at(channels + c) - at(c);
        bend = std::max(bend, std::abs(across - (before + after) / 2));
    }
    return bend;
}

TEST(SynthSoundTest, LoopIsEncodedWithTheLeastBentSeamFound) {
    // A chord held across the end of a 3 s loop, with a bass that moves at the seam.
    const Recipe recipe = Parsed("channels 2\nlength 3\nloop\nlevel -6\nreverb mix=0.3\n"
                                 "instrument pad wave=triangle attack=0.5 release=1 chorus=6\n"
                                 "instrument bass partials=1:1,2:0.3 release=0.2\n"
                                 "play pad 1.5 2 C3+E3+G3\nplay bass 0 1.4 C2\n"
                                 "play bass 1.5 1.4 G1\n");
    Audio audio;
    std::string error;
    ASSERT_TRUE(SynthesizeRecipe(recipe, audio, error)) << error;
    SoundStats stats;
    std::string searched;
    ASSERT_TRUE(EncodeSound(recipe, audio, searched, stats, error)) << error;
    ASSERT_TRUE(stats.mSeam.has_value());
    const Decoded decoded = Decode(searched);
    ASSERT_EQ(decoded.samples.size(), size_t(3 * kSampleRate) * 2);
    // The seam reported is the seam in the file, and no worse than the loop encoded as it is.
    EXPECT_EQ(SeamBend(decoded), stats.mSeam->mBend);
    std::string plain;
    ASSERT_TRUE(EncodeOggVorbis(audio, audio.Frames(), kOggQuality, plain, error));
    EXPECT_LE(stats.mSeam->mBend, SeamBend(Decode(plain)));
    // The loop was turned by a few milliseconds at most.
    EXPECT_LT(stats.mSeam->mShift, size_t(0.05 * kSampleRate));
}

TEST(SynthSoundTest, FileErrorsNameTheRecipeAndLine) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "bad.txt", "instrument a\nplay a 0 1 X9\n");
    paktest::WriteFile(folder / "good.txt", "instrument a\nplay a 0 0.05 A4\n");
    const struct {
        std::string recipe, out, message;
    } cases[] = {
        {folder / "bad.txt", folder / "o.ogg", folder / "bad.txt:2: bad pitch 'X9'"},
        {folder / "none.txt", folder / "o.ogg", folder / "none.txt: cannot read the recipe"},
        {folder / "good.txt", folder / "no/such/o.ogg", folder / "no/such/o.ogg: cannot write"},
    };
    for (const auto& c : cases) {
        SoundStats stats;
        std::string error;
        EXPECT_FALSE(SynthesizeFile(c.recipe, c.out, stats, error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "o.ogg"));
}

} // namespace

// The recipe language of tarnwick-synth: what it accepts, and how it refuses the rest.
#include "RecipeParser.h"

#include <gtest/gtest.h>

namespace {

using tarnwick::synth::ParsePitch;
using tarnwick::synth::ParseRecipe;
using tarnwick::synth::Recipe;
using tarnwick::synth::RecipeError;

TEST(SynthRecipeTest, PitchNamesAndFrequencies) {
    const struct {
        const char* text;
        double hz;
    } cases[] = {
        {"A4", 440.0},
        {"A0", 27.5},
        {"C4", 261.6255653005986},
        {"C#4", 277.1826309768721},
        {"Db4", 277.1826309768721},
        {"Bb3", 233.08188075904496},
        {"B9", 15804.265640195976},
        {"523.25hz", 523.25},
        {"8hz", 8.0},
    };
    for (const auto& c : cases) {
        double hz = 0;
        ASSERT_TRUE(ParsePitch(c.text, hz)) << c.text;
        EXPECT_NEAR(hz, c.hz, 1e-4) << c.text;
    }
    for (const char* bad : {"", "H4", "a4", "C", "C#", "C-1", "C10", "Cb", "C4x", "C##4", "440",
                            "hz", "7hz", "20001hz", "-5hz", "nanhz", "1e9hz"}) {
        double hz = 0;
        EXPECT_FALSE(ParsePitch(bad, hz)) << bad;
    }
}

TEST(SynthRecipeTest, ReadsStatementsIntoSecondsAndNotes) {
    const char* text = "# a comment line\r\n"
                       "channels 2   # stereo\r\n"
                       "tempo 120\n"
                       "length 8\n"
                       "loop\n"
                       "level -6 loudness=-18\n"
                       "seed 42\n"
                       "reverb mix=0.3 time=2\n"
                       "echo delay=0.25\n"
                       "instrument pad wave=square attack=0.5 sustain=0.7 pan=-0.5 chorus=6\n"
                       "instrument hiss wave=noise band=3000 q=2\n"
                       "instrument bell partials=1:1,2.76:0.4\n"
                       "play pad 1 2 A4 C5+E5 gain=0.5 pan=0.25\n"
                       "\n"
                       "seq bell 4 0.5 C4:2 - E4+G4 legato=0.5\n";
    Recipe recipe;
    RecipeError error;
    ASSERT_TRUE(ParseRecipe(text, recipe, error)) << error.mLine << ": " << error.mMessage;
    EXPECT_EQ(recipe.mChannels, 2);
    EXPECT_EQ(recipe.mLength, 4.0); // 8 beats at 120 a minute
    EXPECT_TRUE(recipe.mLoop);
    EXPECT_EQ(recipe.mPeakDb, -6.0);
    EXPECT_EQ(recipe.mLoudnessDb, -18.0);
    EXPECT_EQ(recipe.mSeed, 42u);
    EXPECT_EQ(recipe.mReverb.mMix, 0.3);
    EXPECT_EQ(recipe.mReverb.mTime, 2.0);
    EXPECT_EQ(recipe.mEcho.mMix, 0.2); // the default once echo is named
    EXPECT_EQ(recipe.mEcho.mDelay, 0.25);

    ASSERT_EQ(recipe.mInstruments.size(), 3u);
    const auto& pad = recipe.mInstruments[0];
    EXPECT_EQ(pad.mName, "pad");
    EXPECT_EQ(pad.mPartials.size(), 5u); // odd harmonics 1..9
    EXPECT_EQ(pad.mEnvelope.mAttack, 0.5);
    EXPECT_EQ(pad.mEnvelope.mSustain, 0.7);
    EXPECT_EQ(pad.mPan, -0.5);
    EXPECT_EQ(pad.mChorusCents, 6.0);
    EXPECT_TRUE(recipe.mInstruments[1].mNoise);
    EXPECT_EQ(recipe.mInstruments[1].mNoiseBand, 3000.0);
    ASSERT_EQ(recipe.mInstruments[2].mPartials.size(), 2u);
    EXPECT_EQ(recipe.mInstruments[2].mPartials[1].mRatio, 2.76);
    EXPECT_EQ(recipe.mInstruments[2].mPartials[1].mAmplitude, 0.4);

    // play: three pitches together; seq: C4 for two steps, a rest, then E4 and G4 together,
    // each held for half its length.
    const struct {
        int instrument;
        double start, duration, hz, gain, pan;
    } expected[] = {
        {0, 0.5, 1.0, 440.0, 0.5, 0.25},
        {0, 0.5, 1.0, 523.2511306011972, 0.5, 0.25},
        {0, 0.5, 1.0, 659.2551138257398, 0.5, 0.25},
        {2, 2.0, 0.25, 261.6255653005986, 1, 0},
        {2, 2.75, 0.125, 329.6275569128699, 1, 0},
        {2, 2.75, 0.125, 391.99543598174927, 1, 0},
    };
    ASSERT_EQ(recipe.mNotes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& note = recipe.mNotes[i];
        EXPECT_EQ(note.mInstrument, expected[i].instrument) << i;
        EXPECT_DOUBLE_EQ(note.mStart, expected[i].start) << i;
        EXPECT_DOUBLE_EQ(note.mDuration, expected[i].duration) << i;
        EXPECT_NEAR(note.mFrequency, expected[i].hz, 1e-9) << i;
        EXPECT_EQ(note.mGain, expected[i].gain) << i;
        EXPECT_EQ(note.mPan, expected[i].pan) << i;
    }
}

TEST(SynthRecipeTest, RefusesMalformedLinesWithTheirNumber) {
    const std::string sine = "instrument a\n";
    const std::string note = "play a 0 1 C4\n";
    const struct {
        std::string text;
        int line;
        const char* message;
    } cases[] = {
        {sine + "volume 3\n", 2, "unknown statement 'volume'"},
        {sine + "play b 0 1 C4\n", 2, "unknown instrument 'b'"},
        {sine + "play a 0 1 H4\n", 2, "bad pitch 'H4'"},
        {sine + "play a 0 1 C4+\n", 2, "bad pitch ''"},
        {sine + "play a 0 1\n", 2, "usage: play INSTRUMENT TIME DURATION PITCH"},
        {sine + "play a 0 0 C4\n", 2, "duration must be above 0"},
        {sine + "play a -1 1 C4\n", 2, "time -1 is outside 0..180"},
        {sine + "play a 0 1 C4 gain=x\n", 2, "expected a number for gain, found 'x'"},
        {sine + "play a 0 1 C4 gain=+1\n", 2, "expected a number for gain"},
        {sine + "play a 0 1 C4 gain=inf\n", 2, "expected a number for gain"},
        {sine + "play a gain=1 0 1 C4\n", 2, "word '0' after the options"},
        {sine + "play a 0 1 C4 gain=1 gain=2\n", 2, "option 'gain' given twice"},
        {sine + "play a 0 1 C4 volume=1\n", 2, "unknown option 'volume' for 'play'"},
        {sine + "seq a 0 1 C4:0\n", 2, "steps 0 is outside"},
        {sine + "seq a 170 1 C4:64\n", 2, "the sequence runs past 180 seconds"},
        {"channels 3\n" + sine + note, 1, "channels 3 is outside 1..2"},
        {"channels 1.5\n" + sine + note, 1, "channels is 1 or 2"},
        {"level 3\n" + sine + note, 1, "level 3 is outside -40..0"},
        {"tempo 60 90\n" + sine + note, 1, "usage: tempo"},
        {"=1\n", 1, "misplaced option '=1'"},
        {sine + note + "tempo 60\n", 3, "tempo must come before the first line with a time"},
        {"length 200\n", 1, "length 200 is outside 0..180"},
        {"seed -1\n", 1, "expected a whole number for seed"},
        {sine + "instrument a\n", 2, "instrument 'a' defined twice"},
        {"instrument Pad\n", 1, "instrument name 'Pad' is not"},
        {"instrument a wave=saw partials=1:1\n", 1, "either wave= or partials="},
        {"instrument a wave=noise partials=1:1\n", 1, "noise has no partials"},
        {"instrument a wave=pulse\n", 1, "unknown wave 'pulse'"},
        {"instrument a partials=1:1,2\n", 1, "partial '2' is not RATIO:AMPLITUDE"},
        {"instrument a partials=0:1\n", 1, "partial ratio 0 is outside"},
        {"instrument a partials=\n", 1, "empty partials list"},
        {"instrument a attack=31\n", 1, "attack 31 is outside 0..30"},
        {"instrument a loudness=-3\n", 1, "unknown option 'loudness' for 'instrument'"},
        // Whole-recipe checks have no line.
        {"length 4\nloop\n" + sine, 0, "the recipe plays no note"},
        {"loop\n" + sine + note, 0, "a loop needs a length"},
        {"", 0, "the recipe plays no note"},
    };
    for (const auto& c : cases) {
        Recipe recipe;
        RecipeError error;
        EXPECT_FALSE(ParseRecipe(c.text, recipe, error)) << c.text;
        EXPECT_EQ(error.mLine, c.line) << c.text;
        EXPECT_NE(error.mMessage.find(c.message), std::string::npos)
            << c.text << "\n-> " << error.mMessage;
    }
}

TEST(SynthRecipeTest, BoundsTheNumberOfNotes) {
    std::string text = "instrument a\n";
    for (int i = 0; i < 1251; ++i)
        text += "play a 0 1 C4+D4+E4+F4+G4+A4+B4+C5+D5+E5+F5+G5+A5+B5+C6+D6\n"; // 16 notes
    Recipe recipe;
    RecipeError error;
    EXPECT_FALSE(ParseRecipe(text, recipe, error));
    EXPECT_EQ(error.mLine, 1252); // the 1251st play line
    EXPECT_EQ(error.mMessage, "more than 20000 notes");
}

} // namespace

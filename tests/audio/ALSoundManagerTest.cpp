#include "audio/ALSoundManager.h"
#include "audio/ALSoundInstance.h"

#include "audio/AudioTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace ravix;
using namespace audiotest;

// A sound manager on a loopback device with its data folder in a temporary folder and a clock
// the test moves by hand.
class ALSoundManagerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mDevice) << "OpenAL lacks the loopback extension";
        // 0.1 s of a 441 Hz square wave at 22050 Hz.
        paktest::WriteFile(mFolder / "square.wav", SquareWav(22050, 2205));
    }

    ALSoundInstance* Channel(int id) {
        return static_cast<ALSoundInstance*>(mSounds.CreateChannel(id));
    }
    Rendered Render(size_t frames) { return audiotest::Render(*mDevice, frames); }

    paktest::TempFolder mFolder;
    std::shared_ptr<ALDevice> mDevice = ALDevice::OpenLoopback(kOutputRate);
    int64_t mNow = 5000;
    ALSoundManager mSounds{mDevice, mFolder / "data/", [this] { return mNow; }};
    const std::string mSquare = mFolder / "square";
};

TEST_F(ALSoundManagerTest, PlayedEffectSoundsAndFinishes) {
    const int id = mSounds.LoadEffect(mSquare);
    ASSERT_EQ(id, 255);
    EXPECT_EQ(mSounds.GetEffectByteLength(id), 2205u * 2);
    SoundInstance* channel = mSounds.CreateChannel(id);
    ASSERT_NE(channel, nullptr);
    EXPECT_FALSE(channel->IsRunning()); // not before its launch
    ASSERT_TRUE(channel->Launch(false, true));
    EXPECT_TRUE(channel->IsRunning());
    EXPECT_GT(Render(2205).Peak(), 0.1f);
    Render(4410); // 0.1 s at 22050 Hz lasts 4410 output frames
    EXPECT_TRUE(Render(100).IsSilent());
    EXPECT_FALSE(channel->IsRunning());
    EXPECT_TRUE(channel->IsDisposed()); // auto-released once finished
}

TEST_F(ALSoundManagerTest, VolumeCurve) {
    const struct {
        double gain;
        int volume;
        bool audible;
    } cases[] = {
        {1.0, 0, true},       {0.5, -605, true},   {0.05, -1956, true}, {0.04, -10000, false},
        {0.0, -10000, false}, {-1, -10000, false}, {2.0, 0, true},
    };
    const int id = mSounds.LoadEffect(mSquare);
    for (const auto& c : cases) {
        EXPECT_EQ(ALSoundInstance::VolumeFromGain(c.gain), c.volume) << c.gain;
        ALSoundInstance* channel = Channel(id);
        ASSERT_NE(channel, nullptr);
        channel->SetGain(c.gain);
        EXPECT_EQ(channel->GetVolume(), c.volume);
        channel->Launch(false, false);
        const float peak = Render(1000).Peak();
        EXPECT_EQ(peak > 0, c.audible) << c.gain;
        channel->Dispose();
    }
    EXPECT_FLOAT_EQ(ALSoundInstance::AmplitudeFromVolume(-1956), std::pow(10.0f, -19.56f / 20));
    EXPECT_EQ(ALSoundInstance::AmplitudeFromVolume(-10000), 0.0f);
}

TEST_F(ALSoundManagerTest, GainsMultiply) {
    const int id = mSounds.LoadEffect(mSquare);
    ALSoundInstance* full = Channel(id);
    full->Launch(false, false);
    const float fullPeak = Render(1000).Peak();
    full->Dispose();

    // Base gain, gain and effects volume each at 0.5 make 0.125: -4201, silence.
    mSounds.SetEffectGain(id, 0.5);
    mSounds.SetEffectsVolume(0.5);
    ALSoundInstance* quiet = Channel(id);
    quiet->SetGain(0.5);
    EXPECT_EQ(quiet->GetVolume(), ALSoundInstance::VolumeFromGain(0.125));
    quiet->SetGain(1.0);
    quiet->Launch(false, false);
    const float expected =
        fullPeak * ALSoundInstance::AmplitudeFromVolume(ALSoundInstance::VolumeFromGain(0.25));
    EXPECT_NEAR(Render(1000).Peak(), expected, expected * 0.01);
    mSounds.SetEffectsVolume(0.0); // silencing reaches channels already playing
    Render(kSettle);
    EXPECT_TRUE(Render(1000).IsSilent());
}

TEST_F(ALSoundManagerTest, ChannelsOfOneSoundPlayTogether) {
    const int id = mSounds.LoadEffect(mSquare);
    SoundInstance* first = mSounds.CreateChannel(id);
    first->Launch(false, false);
    const float one = Render(1000).Peak();
    first->Launch(false, false); // from the start again
    SoundInstance* second = mSounds.CreateChannel(id);
    second->Launch(false, false);
    EXPECT_TRUE(first->IsRunning());
    EXPECT_TRUE(second->IsRunning());
    EXPECT_NEAR(Render(1000).Peak(), 2 * one, one * 0.01);
}

TEST_F(ALSoundManagerTest, ThirtyTwoChannelsAtMost) {
    const int id = mSounds.LoadEffect(mSquare);
    std::vector<SoundInstance*> channels;
    for (int i = 0; i < SoundManager::kMaxChannels; ++i) {
        channels.push_back(mSounds.CreateChannel(id));
        ASSERT_NE(channels.back(), nullptr) << i;
        channels.back()->Launch(false, i % 2 == 0);
    }
    EXPECT_EQ(mSounds.CreateChannel(id), nullptr);

    // A channel that finished with auto-release frees its slot.
    Render(5000);
    EXPECT_NE(mSounds.CreateChannel(id), nullptr);
    // The sweep, once a second, deletes the other 15; the rest finished but stay.
    mNow += 1001;
    for (int i = 0; i < SoundManager::kMaxChannels / 2 - 1; ++i)
        EXPECT_NE(mSounds.CreateChannel(id), nullptr) << i;
    EXPECT_EQ(mSounds.CreateChannel(id), nullptr);

    mSounds.DeleteAllChannels();
    EXPECT_NE(mSounds.CreateChannel(id), nullptr);
}

TEST_F(ALSoundManagerTest, PitchShift) {
    const int id = mSounds.LoadEffect(mSquare);
    const struct {
        double semitones;
        int frequency;
    } cases[] = {{0, 22050}, {12, 44100}, {-12, 11024}, {-100, 100}, {120, 100000}};
    for (const auto& c : cases) {
        ALSoundInstance* channel = Channel(id);
        EXPECT_EQ(channel->GetNaturalFrequency(), 22050);
        channel->ShiftPitch(c.semitones);
        EXPECT_EQ(channel->GetFrequency(), c.frequency) << c.semitones;
        channel->Dispose();
    }
    // An octave up: twice the tone, over in half the time.
    ALSoundInstance* channel = Channel(id);
    channel->ShiftPitch(12);
    channel->Launch(false, false);
    const Rendered rendered = Render(2205);
    EXPECT_NEAR(rendered.ZeroCrossings(0), 2 * 882 * 2205 / kOutputRate, 2);
    EXPECT_FALSE(channel->IsRunning());
}

TEST_F(ALSoundManagerTest, BalanceMovesTheSound) {
    const int id = mSounds.LoadEffect(mSquare);
    ALSoundInstance* channel = Channel(id);
    channel->Launch(true, false);
    Rendered centre = Render(1000);
    EXPECT_FLOAT_EQ(centre.Peak(0), centre.Peak(1));
    channel->SetBalance(-10000);
    Render(kSettle);
    Rendered left = Render(1000);
    EXPECT_GT(left.Peak(0), 0.1f);
    EXPECT_LT(left.Peak(1), left.Peak(0) / 100);
    mSounds.SetEffectBalance(id, 5000); // for channels made later
    channel->SetBaseBalance(20000);     // base + balance, kept within range: right
    Render(kSettle);
    Rendered right = Render(1000);
    EXPECT_LT(right.Peak(0), right.Peak(1) / 100);
}

TEST_F(ALSoundManagerTest, StopAllChannelsKeepsAutoRelease) {
    const int id = mSounds.LoadEffect(mSquare);
    SoundInstance* released = mSounds.CreateChannel(id);
    SoundInstance* kept = mSounds.CreateChannel(id);
    released->Launch(true, true);
    kept->Launch(true, false);
    mSounds.StopAllChannels();
    EXPECT_TRUE(Render(500).IsSilent());
    EXPECT_TRUE(released->IsDisposed());
    EXPECT_FALSE(kept->IsDisposed());
    kept->Launch(false, false);
    EXPECT_FALSE(Render(500).IsSilent());
}

TEST_F(ALSoundManagerTest, EffectIds) {
    EXPECT_EQ(mSounds.LoadEffect(mSquare), 255);
    EXPECT_EQ(mSounds.LoadEffect(mSquare), 255); // the same name, the same id
    EXPECT_EQ(mSounds.LoadEffect(mFolder / "missing"), -1);
    EXPECT_EQ(mSounds.FindFreeEffectId(), 0);
    EXPECT_EQ(mSounds.CountEffects(), 1);
    for (int id = 0; id < 255; ++id)
        ASSERT_TRUE(mSounds.LoadEffectAt(id, mSquare));
    EXPECT_EQ(mSounds.CountEffects(), 256);
    EXPECT_EQ(mSounds.FindFreeEffectId(), -1);
    EXPECT_EQ(mSounds.LoadEffect(mFolder / "other"), -1);

    for (int id : {-1, 256}) {
        EXPECT_FALSE(mSounds.LoadEffectAt(id, mSquare));
        EXPECT_FALSE(mSounds.SetEffectGain(id, 1));
        EXPECT_FALSE(mSounds.SetEffectBalance(id, 0));
        EXPECT_EQ(mSounds.CreateChannel(id), nullptr);
    }
    mSounds.UnloadEffect(7);
    EXPECT_EQ(mSounds.CreateChannel(7), nullptr); // an empty id
    EXPECT_EQ(mSounds.FindFreeEffectId(), 7);
    // A channel keeps playing its sound after the sound is unloaded.
    SoundInstance* channel = mSounds.CreateChannel(8);
    channel->Launch(false, false);
    mSounds.UnloadAllEffects();
    EXPECT_EQ(mSounds.CountEffects(), 0);
    EXPECT_FALSE(Render(500).IsSilent());
}

TEST_F(ALSoundManagerTest, DecodedSoundsAreCachedUntilTheirSourceChanges) {
    paktest::ScopedWorkingDirectory inFolder(mFolder.Path());
    const std::filesystem::path source = mFolder.Path() / "sounds/click.ogg";
    const std::filesystem::path cacheFile = mFolder.Path() / "data/cached/sounds/click.wav";
    paktest::WriteFile(source, paktest::ReadFile(Fixture("tone.ogg")));
    const auto originalTime = std::filesystem::last_write_time(source);

    ASSERT_TRUE(mSounds.LoadEffectAt(1, "sounds\\click"));
    EXPECT_EQ(mSounds.GetEffectByteLength(1), 2205u * 2);
    ASSERT_TRUE(std::filesystem::exists(cacheFile));
    EXPECT_NE(paktest::ReadFile(cacheFile).find("sounds\\click.ogg"), std::string::npos);
    // The cache is the player's own, as everything in the data folder.
    EXPECT_EQ(std::filesystem::status(cacheFile).permissions(), std::filesystem::perms(0600));
    for (const char* folder : {"data/cached", "data/cached/sounds"})
        EXPECT_EQ(std::filesystem::status(mFolder.Path() / folder).permissions(),
                  std::filesystem::perms(0700))
            << folder;

    // Different content under the old time: the cache still answers.
    paktest::WriteFile(source, paktest::ReadFile(Fixture("short.ogg")));
    std::filesystem::last_write_time(source, originalTime);
    ASSERT_TRUE(mSounds.LoadEffectAt(1, "sounds\\click"));
    EXPECT_EQ(mSounds.GetEffectByteLength(1), 2205u * 2);

    // A new time: decoded again, and the cache follows.
    std::filesystem::last_write_time(source, originalTime + std::chrono::seconds(2));
    ASSERT_TRUE(mSounds.LoadEffectAt(1, "sounds\\click"));
    const size_t shortLength = mSounds.GetEffectByteLength(1);
    EXPECT_LT(shortLength, 2205u * 2);

    // WAV files are read directly and never cached; nor is a sound only found as ".mp3".
    paktest::WriteFile(mFolder / "sounds/beep.wav", SquareWav(22050, 100));
    paktest::WriteFile(mFolder / "sounds/song.mp3", "ID3");
    ASSERT_TRUE(mSounds.LoadEffectAt(2, "sounds/beep"));
    EXPECT_FALSE(mSounds.LoadEffectAt(3, "sounds/song"));
    EXPECT_FALSE(std::filesystem::exists(mFolder.Path() / "data/cached/sounds/beep.wav"));
    // A broken cache file is ignored and replaced.
    paktest::WriteFile(cacheFile, "RIFF");
    paktest::WriteFile(source, paktest::ReadFile(Fixture("tone.ogg")));
    ASSERT_TRUE(mSounds.LoadEffectAt(1, "sounds\\click"));
    EXPECT_GT(paktest::ReadFile(cacheFile).size(), 2205u * 2);
}

TEST(ALSoundManagerSilentTest, WithoutDeviceEverythingSucceedsSilently) {
    int64_t now = 0;
    ALSoundManager sounds(nullptr, "", [&] { return now; });
    EXPECT_FALSE(sounds.HasDevice());
    EXPECT_TRUE(sounds.LoadEffectAt(3, "no/such/sound"));
    EXPECT_EQ(sounds.LoadEffect("no/such/sound"), 255);
    sounds.SetEffectsVolume(0.5);
    sounds.SetSystemVolume(0.5);
    EXPECT_NEAR(sounds.GetSystemVolume(), 0.5, 1.0 / 65535);
    for (int i = 0; i < 100; ++i) {
        SoundInstance* channel = sounds.CreateChannel(3);
        ASSERT_NE(channel, nullptr) << i; // silent channels finish at once
        EXPECT_TRUE(channel->Launch(false, true));
        EXPECT_FALSE(channel->IsRunning());
    }
    EXPECT_EQ(sounds.CreateChannel(256), nullptr);
}

} // namespace

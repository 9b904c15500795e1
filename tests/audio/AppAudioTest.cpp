#include "audio/ALMusicInterface.h"
#include "audio/ALSoundManager.h"

#include "app/AppTestSupport.h"
#include "audio/AudioTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ravix;
using namespace audiotest;
using ravix::testing::TempHome;
using ravix::testing::TestApp;

// A headless application whose sound goes to a loopback device: the game makes its own sound
// manager before Initialize, and the music back-end is fed by the test.
class LoopbackApp : public TestApp {
public:
    explicit LoopbackApp(std::shared_ptr<ALDevice> device) : mDevice(std::move(device)) {
        mSilent = false;
        mSounds = std::make_unique<ALSoundManager>(mDevice, "", [this] { return Now(); });
    }

    std::unique_ptr<MusicInterface> CreateMusicInterface() override {
        auto music =
            std::make_unique<ALMusicInterface>(mDevice, ALMusicInterface::Feeding::ByCaller);
        mLoopbackMusic = music.get();
        return music;
    }

    ALSoundManager& Sounds() { return static_cast<ALSoundManager&>(*mSounds); }
    // Renders after feeding the music.
    Rendered Play(size_t frames) {
        mLoopbackMusic->FeedStreams();
        return Render(*mDevice, frames);
    }

    std::shared_ptr<ALDevice> mDevice;
    ALMusicInterface* mLoopbackMusic = nullptr;
};

class AppAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mDevice) << "OpenAL lacks the loopback extension";
        paktest::WriteFile(mFolder / "beep.wav", SquareWav(22050, 22050));
    }

    TempHome mHome;
    paktest::TempFolder mFolder;
    std::shared_ptr<ALDevice> mDevice = ALDevice::OpenLoopback(kOutputRate);
};

TEST_F(AppAudioTest, SilentApplicationHasSilentSoundAndMusic) {
    TestApp app; // silent, as every headless test application
    app.Initialize();
    ASSERT_NE(app.mSounds, nullptr);
    EXPECT_FALSE(app.mSounds->HasDevice());
    ASSERT_NE(app.mMusic, nullptr);
    EXPECT_EQ(dynamic_cast<ALMusicInterface*>(app.mMusic.get()), nullptr);
    EXPECT_FALSE(app.mMusic->LoadSong(1, Fixture("tone.ogg")));
    // The sound cache lives below the application's data folder.
    EXPECT_EQ(app.mDataFolder.rfind(mHome.Data(), 0), 0u);
}

TEST_F(AppAudioTest, InitializeMakesTheMusicBackEndAndShutdownStopsTheMusic) {
    LoopbackApp app(mDevice);
    SoundManager* own = app.mSounds.get();
    app.Initialize();
    EXPECT_EQ(app.mSounds.get(), own); // the game's own sound manager is kept
    ASSERT_NE(app.mLoopbackMusic, nullptr);
    EXPECT_EQ(app.mMusic.get(), app.mLoopbackMusic);
    ASSERT_TRUE(app.mMusic->LoadSong(1, Fixture("tone.ogg")));
    app.mMusic->PlaySong(1, 0, false);
    EXPECT_GT(app.Play(2000).Peak(), 0.0f);
    app.BeginShutdown();
    EXPECT_FALSE(app.mMusic->IsSongPlaying(1));
}

TEST_F(AppAudioTest, LevelsAndSilencingReachSoundAndMusic) {
    LoopbackApp app(mDevice);
    app.mEffectsLevel = 0.5;
    app.mMusicLevel = 0.25;
    app.Initialize();
    EXPECT_EQ(app.Sounds().GetEffectsVolume(), 0.5);
    ASSERT_TRUE(app.mMusic->LoadSong(1, Fixture("tone.ogg")));
    app.mMusic->PlaySong(1, 0, false);
    app.Play(kSettle);
    const float quarter = app.Play(4410).Peak();
    app.SetMusicLevel(1.0);
    app.Play(kSettle);
    EXPECT_NEAR(app.Play(4410).Peak(), 4 * quarter, quarter * 0.1);

    app.Silence(false);
    EXPECT_EQ(app.Sounds().GetEffectsVolume(), 0.0);
    app.Play(kSettle);
    EXPECT_TRUE(app.Play(4410).IsSilent());
    app.SetEffectsLevel(0.75); // stored, but silenced still
    EXPECT_EQ(app.mEffectsLevel, 0.75);
    EXPECT_EQ(app.Sounds().GetEffectsVolume(), 0.0);
    app.Unsilence(false);
    EXPECT_EQ(app.Sounds().GetEffectsVolume(), 0.75);
    app.Play(kSettle);
    EXPECT_NEAR(app.Play(4410).Peak(), 4 * quarter, quarter * 0.1);

    app.SetMasterLevel(0.5);
    EXPECT_EQ(app.mEffectsLevel, 0.5);
    EXPECT_NEAR(app.GetMasterLevel(), 0.5, 1.0 / 65535);
}

TEST_F(AppAudioTest, PlayEffectPlaysOnceAndReleasesTheChannel) {
    LoopbackApp app(mDevice);
    app.Initialize();
    const int id = app.mSounds->LoadEffect(mFolder / "beep");
    ASSERT_GE(id, 0);
    app.PlayEffect(id);
    const Rendered centre = app.Play(2000);
    EXPECT_GT(centre.Peak(), 0.1f);
    EXPECT_FLOAT_EQ(centre.Peak(0), centre.Peak(1));
    app.PlayEffectPanned(id, -10000);
    // The first second-long beep is still playing; the second one adds to the left only.
    const Rendered both = app.Play(2000);
    EXPECT_GT(both.Peak(0), centre.Peak(0) * 1.5f);
    EXPECT_NEAR(both.Peak(1), centre.Peak(1), centre.Peak(1) * 0.01f);
    // 32 channels at most; a played effect releases its channel once it has finished.
    for (int i = 0; i < 40; ++i)
        app.PlayEffect(id);
    app.Play(2 * kOutputRate);
    EXPECT_NE(app.mSounds->CreateChannel(id), nullptr);
    app.PlayEffect(-1); // an id out of range plays nothing
    app.PlayEffect(3);  // nor does an empty one
    EXPECT_TRUE(app.Play(2000).IsSilent());
}

TEST_F(AppAudioTest, EveryUpdateAdvancesTheMusic) {
    LoopbackApp app(mDevice);
    app.Initialize();
    ASSERT_TRUE(app.mMusic->LoadSong(1, Fixture("tone.ogg")));
    app.mMusic->FadeInSong(1, 0, 0.01, false);
    app.RunFor(495); // 10 ms updates: 49 of them by 495 ms of the virtual clock
    ASSERT_EQ(app.UpdateCount(), 49);
    EXPECT_NEAR(app.mLoopbackMusic->GetSongVolume(1), 0.49, 1e-9);
    app.RunFor(1000);
    EXPECT_EQ(app.mLoopbackMusic->GetSongVolume(1), 1.0);
}

} // namespace

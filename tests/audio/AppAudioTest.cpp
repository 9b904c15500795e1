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

} // namespace

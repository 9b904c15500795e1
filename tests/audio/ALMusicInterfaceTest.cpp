#include "audio/ALMusicInterface.h"

#include "audio/AudioTestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace ravix;
using namespace audiotest;

constexpr int kSong = 1;

// The music back-end on a loopback device, fed by the test between renders.
class ALMusicInterfaceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mDevice) << "OpenAL lacks the loopback extension"; }

    // Renders in steps of 10 ms, feeding the streams in between, as the feeder thread would.
    Rendered Play(size_t frames) {
        Rendered all;
        while (all.Frames() < frames) {
            mMusic.FeedStreams();
            Rendered part = Render(*mDevice, std::min<size_t>(441, frames - all.Frames()));
            all.samples.insert(all.samples.end(), part.samples.begin(), part.samples.end());
        }
        return all;
    }

    // Whether every 10 ms piece of the rendering holds sound.
    static bool HasNoGap(const Rendered& rendered) {
        for (size_t start = 0; start + 441 <= rendered.Frames(); start += 441) {
            Rendered piece;
            piece.samples.assign(rendered.samples.begin() + 2 * start,
                                 rendered.samples.begin() + 2 * (start + 441));
            if (piece.Peak() < 0.01f)
                return false;
        }
        return true;
    }

    paktest::TempFolder mFolder;
    std::shared_ptr<ALDevice> mDevice = ALDevice::OpenLoopback(kOutputRate);
    ALMusicInterface mMusic{mDevice, ALMusicInterface::Feeding::ByCaller};
};

TEST_F(ALMusicInterfaceTest, FadeInReachesFullVolumeAfterOneHundredUpdates) {
    ASSERT_TRUE(mMusic.LoadSong(kSong, Fixture("tone.ogg")));
    mMusic.FadeInSong(kSong, 0, 0.01, false);
    EXPECT_TRUE(mMusic.IsSongPlaying(kSong));
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.0);
    EXPECT_TRUE(Play(kSettle).IsSilent()); // a stopped song starts from 0
    for (int i = 0; i < 99; ++i)
        mMusic.UpdateSongs();
    EXPECT_LT(mMusic.GetSongVolume(kSong), 1.0);
    mMusic.UpdateSongs();
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 1.0);
    mMusic.UpdateSongs(); // the fade has ended
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 1.0);
    EXPECT_GT(Play(4410).Peak(), 0.1f);
}

TEST_F(ALMusicInterfaceTest, MaximumCapsVolumeAndFades) {
    ASSERT_TRUE(mMusic.LoadSong(kSong, Fixture("tone.ogg")));
    mMusic.PlaySong(kSong, 0, false);
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 1.0);
    Play(kSettle);
    const float full = Play(4410).Peak();
    mMusic.SetSongMaximum(kSong, 0.5);
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.5); // lowered at once
    Play(kSettle);
    EXPECT_NEAR(Play(4410).Peak(), full / 2, full * 0.02);

    mMusic.StopSong(kSong);
    EXPECT_FALSE(mMusic.IsSongPlaying(kSong));
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.0);
    mMusic.FadeInSong(kSong, 0, 0.01, false);
    for (int i = 0; i < 200; ++i)
        mMusic.UpdateSongs();
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.5);
    mMusic.PlaySong(kSong, 0, false);
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.5);
}

TEST_F(ALMusicInterfaceTest, FadeOut) {
    ASSERT_TRUE(mMusic.LoadSong(kSong, Fixture("tone.ogg")));
    ASSERT_TRUE(mMusic.LoadSong(2, Fixture("short.ogg")));
    mMusic.PlaySong(kSong, 0, false);
    mMusic.FadeOutSong(kSong, true, 0.25);
    for (int i = 0; i < 3; ++i)
        mMusic.UpdateSongs();
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.25);
    EXPECT_TRUE(mMusic.IsSongPlaying(kSong));
    mMusic.UpdateSongs();
    mMusic.UpdateSongs();
    EXPECT_EQ(mMusic.GetSongVolume(kSong), 0.0);
    EXPECT_FALSE(mMusic.IsSongPlaying(kSong)); // stopped at the end of the fade

    // A song at volume 0 ignores FadeOutSong; FadeOutAllSongs reaches it all the same.
    mMusic.PlaySong(2, 0, false);
    mMusic.SetSongVolume(2, 0.0);
    mMusic.FadeOutSong(2, true, 0.1);
    mMusic.UpdateSongs();
    EXPECT_TRUE(mMusic.IsSongPlaying(2));
    mMusic.FadeOutAllSongs(true, 0.1);
    mMusic.UpdateSongs();
    EXPECT_FALSE(mMusic.IsSongPlaying(2));
    // Without the stop flag the song plays on, silent.
    mMusic.PlaySong(2, 0, false);
    mMusic.FadeOutSong(2, false, 1.0);
    mMusic.UpdateSongs();
    mMusic.UpdateSongs();
    EXPECT_TRUE(mMusic.IsSongPlaying(2));
    Play(kSettle);
    EXPECT_TRUE(Play(2000).IsSilent());
}

TEST_F(ALMusicInterfaceTest, ModuleAndOggStreamPlay) {
    paktest::WriteFile(mFolder / "song", TrackerModule());
    ASSERT_TRUE(mMusic.LoadSong(kSong, mFolder / "song")); // no extension: a module
    ASSERT_TRUE(mMusic.LoadSong(2, Fixture("tone.ogg")));
    mMusic.PlaySong(kSong, 0, false);
    EXPECT_TRUE(HasNoGap(Play(kOutputRate))); // the module loops
    mMusic.StopSong(kSong);
    Play(kSettle);
    EXPECT_TRUE(Play(2000).IsSilent());

    mMusic.PlaySong(2, 0, false);
    // 0.1 s of tone looped for a second: no gap at the loop points.
    EXPECT_TRUE(HasNoGap(Play(kOutputRate)));
    EXPECT_TRUE(mMusic.IsSongPlaying(2));
}

TEST_F(ALMusicInterfaceTest, PlayOnceEndsTheSong) {
    paktest::WriteFile(mFolder / "beep.wav", SquareWav(22050, 2205));
    ASSERT_TRUE(mMusic.LoadSong(kSong, mFolder / "beep.wav"));
    mMusic.PlaySong(kSong, 0, true);
    const Rendered rendered = Play(6000);
    EXPECT_GT(rendered.Peak(), 0.1f);
    mMusic.FeedStreams();
    EXPECT_FALSE(mMusic.IsSongPlaying(kSong));
    // Played again from the start.
    mMusic.PlaySong(kSong, 0, true);
    EXPECT_TRUE(mMusic.IsSongPlaying(kSong));
    EXPECT_GT(Play(2000).Peak(), 0.1f);
}

TEST_F(ALMusicInterfaceTest, PauseAndResumeGoOnWhereTheSongWas) {
    // 1 s of a square wave whose level rises every 0.1 s tells where playing is.
    std::string data;
    for (int i = 0; i < 22050; ++i)
        PutU16(data, uint16_t(int16_t((i % 50 < 25 ? 1 : -1) * 2000 * (1 + i / 2205))));
    paktest::WriteFile(mFolder / "steps.wav",
                       Riff(Chunk("fmt ", FormatBody(1, 1, 22050, 16)) + Chunk("data", data)));
    ASSERT_TRUE(mMusic.LoadSong(kSong, mFolder / "steps.wav"));
    mMusic.PlaySong(kSong, 0, true);
    const float firstStep = Play(2000).Peak();
    Play(4410 * 3); // into the fourth step
    mMusic.PauseAllSongs();
    EXPECT_FALSE(mMusic.IsSongPlaying(kSong));
    Play(kSettle);
    EXPECT_TRUE(Play(4410).IsSilent());
    mMusic.ResumeSong(kSong);
    EXPECT_TRUE(mMusic.IsSongPlaying(kSong));
    EXPECT_NEAR(Play(1000).Peak(), 4 * firstStep, firstStep * 0.1);

    mMusic.PauseSong(kSong);
    mMusic.ResumeAllSongs();
    EXPECT_NEAR(Play(1000).Peak(), 4 * firstStep, firstStep * 0.1);
    // A stopped song resumes from its start.
    mMusic.StopSong(kSong);
    mMusic.SetSongVolume(kSong, 1.0);
    mMusic.ResumeSong(kSong);
    EXPECT_NEAR(Play(1000).Peak(), firstStep, firstStep * 0.1);
}

TEST_F(ALMusicInterfaceTest, MusicVolumeScalesEverySong) {
    ASSERT_TRUE(mMusic.LoadSong(kSong, Fixture("tone.ogg")));
    mMusic.PlaySong(kSong, 0, false);
    Play(kSettle);
    const float full = Play(4410).Peak();
    mMusic.SetMusicVolume(0.5);
    Play(kSettle);
    EXPECT_NEAR(Play(4410).Peak(), full / 2, full * 0.02);
    mMusic.SetMusicVolume(0.0);
    Play(kSettle);
    EXPECT_TRUE(Play(4410).IsSilent());
}

TEST_F(ALMusicInterfaceTest, LoadingChoosesByExtension) {
    paktest::WriteFile(mFolder / "song.mod", TrackerModule());
    paktest::WriteFile(mFolder / "song.mp3", "ID3");
    paktest::WriteFile(mFolder / "fake.ogg", TrackerModule());
    EXPECT_TRUE(mMusic.LoadSong(1, mFolder / "song.mod"));
    EXPECT_FALSE(mMusic.LoadSong(2, mFolder / "song.mp3")); // no decoder for it
    EXPECT_FALSE(mMusic.LoadSong(3, mFolder / "fake.ogg")); // ".ogg" is Ogg or nothing
    EXPECT_FALSE(mMusic.LoadSong(4, mFolder / "missing"));
    paktest::WriteFile(mFolder / "SONG.OGG", paktest::ReadFile(Fixture("tone.ogg")));
    EXPECT_TRUE(mMusic.LoadSong(5, mFolder / "SONG.OGG"));
    // Unknown ids are ignored.
    mMusic.PlaySong(9, 0, false);
    mMusic.FadeInSong(9, 0, 0.1, false);
    EXPECT_FALSE(mMusic.IsSongPlaying(9));
    EXPECT_EQ(mMusic.GetSongVolume(9), 0.0);
    // A second load under a taken id keeps the first song.
    EXPECT_TRUE(mMusic.LoadSong(1, Fixture("tone.ogg")));
    mMusic.PlaySong(1, 0, true);
    Play(kOutputRate / 2); // the 0.1 s tone would have ended; the module's pattern has not
    EXPECT_TRUE(mMusic.IsSongPlaying(1));
    mMusic.UnloadSong(1);
    EXPECT_FALSE(mMusic.IsSongPlaying(1));
}

TEST(ALMusicInterfaceThreadTest, OwnThreadKeepsTheQueueFed) {
    std::shared_ptr<ALDevice> device = ALDevice::OpenLoopback(kOutputRate);
    ASSERT_TRUE(device);
    ALMusicInterface music(device);
    ASSERT_TRUE(music.LoadSong(kSong, Fixture("tone.ogg")));
    music.PlaySong(kSong, 0, false);
    // Twice the queue's length, with no call on the interface in between: only the feeder
    // thread can keep the song going.
    const size_t queueFrames = size_t(ALMusicInterface::kQueueLength) *
                               ALMusicInterface::kBufferFrames * kOutputRate / 22050;
    for (size_t done = 0; done < 2 * queueFrames; done += 2205) {
        const uint64_t fed = music.GetFeedCount();
        ASSERT_GT(Render(*device, 2205).Peak(), 0.01f) << done;
        // A whole feeding pass after the rendering refills what it played.
        for (int wait = 0; wait < 5000 && music.GetFeedCount() < fed + 2; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_GE(music.GetFeedCount(), fed + 2) << "the feeder thread does not run";
    }
}

} // namespace

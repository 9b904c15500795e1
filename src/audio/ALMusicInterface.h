#pragma once

#include "audio/MusicInterface.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace ravix {

class ALDevice;

// Music through OpenAL: each song is decoded as it plays and queued into an AL source of its
// own. ".ogg" files are streamed with vorbisfile, ".wav" files played from memory, ".mp3" files
// refused, and every other file is loaded as a tracker module through libopenmpt.
//
// Songs are fed from a thread of the interface's own, so that music keeps playing without gaps
// while the main thread stalls. Every operation may be called from the main thread while the
// feeder runs.
//
// Volumes: a song's volume and the music volume (SetMusicVolume) are each applied in whole
// hundredths, song volume × music volume.
class ALMusicInterface : public MusicInterface {
public:
    enum class Feeding {
        OwnThread, // the interface's thread calls FeedStreams every few milliseconds
        ByCaller,  // the caller calls FeedStreams (tests on a loopback device)
    };

    explicit ALMusicInterface(std::shared_ptr<ALDevice> device,
                              Feeding feeding = Feeding::OwnThread);
    ~ALMusicInterface() override;
    ALMusicInterface(const ALMusicInterface&) = delete;
    ALMusicInterface& operator=(const ALMusicInterface&) = delete;

    bool LoadSong(int id, const std::string& fileName) override;
    void PlaySong(int id, int offset, bool noLoop) override;
    void StopSong(int id) override;
    void PauseSong(int id) override;
    // A paused song goes on where it was paused; a stopped one starts again from the start.
    void ResumeSong(int id) override;
    void StopAllSongs() override;
    void UnloadSong(int id) override;
    void UnloadAllSongs() override;
    void PauseAllSongs() override;
    void ResumeAllSongs() override;
    void FadeInSong(int id, int offset, double step, bool noLoop) override;
    void FadeOutSong(int id, bool stopAtEnd, double step) override;
    void FadeOutAllSongs(bool stopAtEnd, double step) override;
    void SetSongVolume(int id, double volume) override;
    void SetSongMaximum(int id, double maximum) override;
    bool IsSongPlaying(int id) override;
    void SetMusicVolume(double volume) override;
    void SetSongAmplify(int id, double factor) override;
    void UpdateSongs() override;

    // Refills the queues of the playing songs from their decoders, restarts a source that ran
    // dry and notices songs that have played to their end.
    void FeedStreams();
    // The song's volume, 0..1; 0 for an unknown id.
    double GetSongVolume(int id);
    // How many feeding passes have run, so that a caller can wait for the feeder thread.
    uint64_t GetFeedCount() const { return mFeedCount; }

    // Frames per queued buffer, and buffers per song.
    static constexpr int kBufferFrames = 4096;
    static constexpr int kQueueLength = 4;

private:
    struct Song;

    Song* Find(int id);
    void ApplyVolume(Song& song);
    // Starts the song: from offset (-1: where it was) and looping unless noLoop.
    void Start(Song& song, int offset, bool noLoop);
    void Continue(Song& song);
    void Halt(Song& song);
    void Pause(Song& song);
    // Takes the buffers the source has played out of its queue.
    void Recycle(Song& song);
    // Queues decoded frames into every free buffer.
    void Fill(Song& song);
    void FeedLocked();
    void RunFeeder();

    std::shared_ptr<ALDevice> mDevice;
    std::mutex mMutex; // guards everything below
    std::map<int, std::unique_ptr<Song>> mSongs;
    int mMusicPercent = 100;
    std::atomic<uint64_t> mFeedCount = 0;
    bool mStopFeeding = false;
    std::condition_variable mWake;
    std::thread mFeeder;
};

} // namespace ravix

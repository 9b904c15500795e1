#include "audio/ALMusicInterface.h"

#include "audio/ALDevice.h"
#include "audio/ModuleMusicStream.h"
#include "audio/OggMusicStream.h"
#include "audio/PcmMusicStream.h"
#include "base/AsciiText.h"
#include "base/ThreadSignalStack.h"

#include <AL/al.h>
#include <AL/alext.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

namespace ravix {

namespace {

constexpr auto kFeedInterval = std::chrono::milliseconds(10);

// The part after the last "." in lower case; "" without one.
std::string ExtensionOf(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension)
        c = ToLowerAscii(c);
    return extension;
}

std::unique_ptr<MusicStream> OpenStream(const std::string& fileName) {
    const std::string extension = ExtensionOf(fileName);
    if (extension == "ogg")
        return OggMusicStream::Open(fileName);
    if (extension == "wav")
        return PcmMusicStream::Open(fileName);
    if (extension == "mp3")
        return nullptr; // no decoder for it here
    return ModuleMusicStream::Open(fileName);
}

} // namespace

struct ALMusicInterface::Song {
    enum class State { Stopped, Playing, Paused };

    std::unique_ptr<MusicStream> mStream;
    ALuint mSource = 0;
    std::array<ALuint, kQueueLength> mBuffers{};
    std::vector<ALuint> mFreeBuffers; // not in the source's queue
    double mVolume = 0.0;
    double mFadeStep = 0.0; // per update: > 0 fades in, < 0 fades out
    double mMaximum = 1.0;
    bool mStopAtFadeEnd = false; // also the play-once choice of the last play
    State mState = State::Stopped;
    bool mStreamEnded = false; // the decoder has given its last frame

    ~Song() {
        if (mSource != 0) {
            alSourceStop(mSource);
            alSourcei(mSource, AL_BUFFER, 0);
            alDeleteSources(1, &mSource);
        }
        for (ALuint buffer : mBuffers)
            if (buffer != 0)
                alDeleteBuffers(1, &buffer);
    }

    // Empties the source's queue; every buffer is free again.
    void ClearQueue() {
        alSourceStop(mSource);
        alSourcei(mSource, AL_BUFFER, 0);
        mFreeBuffers.assign(mBuffers.begin(), mBuffers.end());
    }
};

ALMusicInterface::ALMusicInterface(std::shared_ptr<ALDevice> device, Feeding feeding)
    : mDevice(std::move(device)) {
    if (feeding == Feeding::OwnThread)
        mFeeder = std::thread([this] { RunFeeder(); });
}

ALMusicInterface::~ALMusicInterface() {
    {
        std::lock_guard lock(mMutex);
        mStopFeeding = true;
    }
    mWake.notify_all();
    if (mFeeder.joinable())
        mFeeder.join();
    mSongs.clear(); // the AL objects go before the device
}

bool ALMusicInterface::LoadSong(int id, const std::string& fileName) {
    std::unique_ptr<MusicStream> stream = OpenStream(fileName);
    if (!stream)
        return false;
    auto song = std::make_unique<Song>();
    song->mStream = std::move(stream);
    alGetError();
    alGenSources(1, &song->mSource);
    if (alGetError() != AL_NO_ERROR) {
        song->mSource = 0;
        return false;
    }
    alGenBuffers(kQueueLength, song->mBuffers.data());
    if (alGetError() != AL_NO_ERROR) {
        song->mBuffers.fill(0);
        return false;
    }
    song->mFreeBuffers.assign(song->mBuffers.begin(), song->mBuffers.end());
    // Music is not placed in space: stereo goes straight to the speakers.
    alSourcei(song->mSource, AL_SOURCE_RELATIVE, AL_TRUE);
    if (alIsExtensionPresent("AL_SOFT_direct_channels"))
        alSourcei(song->mSource, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);

    std::lock_guard lock(mMutex);
    mSongs.emplace(id, std::move(song)); // a song already under the id stays
    return true;
}

void ALMusicInterface::PlaySong(int id, int offset, bool noLoop) {
    std::lock_guard lock(mMutex);
    Song* song = Find(id);
    if (!song)
        return;
    song->mVolume = song->mMaximum;
    song->mFadeStep = 0.0;
    song->mStopAtFadeEnd = noLoop;
    ApplyVolume(*song);
    Halt(*song);
    Start(*song, offset, noLoop);
}

void ALMusicInterface::StopSong(int id) {
    std::lock_guard lock(mMutex);
    if (Song* song = Find(id)) {
        song->mVolume = 0.0;
        Halt(*song);
    }
}

void ALMusicInterface::PauseSong(int id) {
    std::lock_guard lock(mMutex);
    if (Song* song = Find(id))
        Pause(*song);
}

void ALMusicInterface::ResumeSong(int id) {
    std::lock_guard lock(mMutex);
    Song* song = Find(id);
    if (!song)
        return;
    if (song->mState == Song::State::Paused)
        Continue(*song);
    else if (song->mState == Song::State::Stopped)
        Start(*song, 0, song->mStopAtFadeEnd);
}

void ALMusicInterface::StopAllSongs() {
    std::lock_guard lock(mMutex);
    for (auto& [id, song] : mSongs) {
        song->mVolume = 0.0;
        Halt(*song);
    }
}

void ALMusicInterface::UnloadSong(int id) {
    std::lock_guard lock(mMutex);
    mSongs.erase(id);
}

void ALMusicInterface::UnloadAllSongs() {
    std::lock_guard lock(mMutex);
    mSongs.clear();
}

void ALMusicInterface::PauseAllSongs() {
    std::lock_guard lock(mMutex);
    for (auto& [id, song] : mSongs)
        Pause(*song);
}

void ALMusicInterface::ResumeAllSongs() {
    std::lock_guard lock(mMutex);
    for (auto& [id, song] : mSongs)
        if (song->mState == Song::State::Paused)
            Continue(*song);
}

void ALMusicInterface::FadeInSong(int id, int offset, double step, bool noLoop) {
    std::lock_guard lock(mMutex);
    Song* song = Find(id);
    if (!song)
        return;
    song->mFadeStep = step;
    song->mStopAtFadeEnd = noLoop;
    Halt(*song);
    ApplyVolume(*song); // a stopped song starts from 0
    Start(*song, offset, noLoop);
}

void ALMusicInterface::FadeOutSong(int id, bool stopAtEnd, double step) {
    std::lock_guard lock(mMutex);
    Song* song = Find(id);
    if (!song || song->mVolume == 0.0)
        return;
    song->mFadeStep = -step;
    song->mStopAtFadeEnd = stopAtEnd;
}

void ALMusicInterface::FadeOutAllSongs(bool stopAtEnd, double step) {
    std::lock_guard lock(mMutex);
    for (auto& [id, song] : mSongs) {
        song->mFadeStep = -step;
        song->mStopAtFadeEnd = stopAtEnd;
    }
}

void ALMusicInterface::SetSongVolume(int id, double volume) {
    std::lock_guard lock(mMutex);
    if (Song* song = Find(id)) {
        song->mVolume = volume;
        ApplyVolume(*song);
    }
}

void ALMusicInterface::SetSongMaximum(int id, double maximum) {
    std::lock_guard lock(mMutex);
    if (Song* song = Find(id)) {
        song->mMaximum = maximum;
        song->mVolume = std::min(song->mVolume, maximum);
        ApplyVolume(*song);
    }
}

bool ALMusicInterface::IsSongPlaying(int id) {
    std::lock_guard lock(mMutex);
    Song* song = Find(id);
    return song && song->mState == Song::State::Playing;
}

void ALMusicInterface::SetMusicVolume(double volume) {
    std::lock_guard lock(mMutex);
    mMusicPercent = int(volume * 100);
    for (auto& [id, song] : mSongs)
        ApplyVolume(*song);
}

void ALMusicInterface::SetSongAmplify(int id, double factor) {
    std::lock_guard lock(mMutex);
    if (Song* song = Find(id))
        song->mStream->SetAmplify(factor);
}

void ALMusicInterface::UpdateSongs() {
    std::lock_guard lock(mMutex);
    for (auto& [id, song] : mSongs) {
        if (song->mFadeStep == 0.0)
            continue;
        song->mVolume += song->mFadeStep;
        if (song->mVolume > song->mMaximum) {
            song->mVolume = song->mMaximum;
            song->mFadeStep = 0.0;
        } else if (song->mVolume < 0.0) {
            song->mVolume = 0.0;
            song->mFadeStep = 0.0;
            if (song->mStopAtFadeEnd)
                Halt(*song);
        }
        ApplyVolume(*song);
    }
}

void ALMusicInterface::FeedStreams() {
    std::lock_guard lock(mMutex);
    FeedLocked();
}

double ALMusicInterface::GetSongVolume(int id) {
    std::lock_guard lock(mMutex);
    Song* song = Find(id);
    return song ? song->mVolume : 0.0;
}

ALMusicInterface::Song* ALMusicInterface::Find(int id) {
    auto it = mSongs.find(id);
    return it == mSongs.end() ? nullptr : it->second.get();
}

void ALMusicInterface::ApplyVolume(Song& song) {
    const double gain = double(int(song.mVolume * 100)) / 100 * double(mMusicPercent) / 100;
    alSourcef(song.mSource, AL_GAIN, float(std::max(gain, 0.0)));
}

void ALMusicInterface::Start(Song& song, int offset, bool noLoop) {
    song.mStream->SetLooping(!noLoop);
    if (offset >= 0) {
        song.ClearQueue();
        song.mStreamEnded = !song.mStream->Restart(offset);
    }
    Continue(song);
}

void ALMusicInterface::Continue(Song& song) {
    Recycle(song);
    Fill(song);
    ALint queued = 0;
    alGetSourcei(song.mSource, AL_BUFFERS_QUEUED, &queued);
    if (queued > 0)
        alSourcePlay(song.mSource);
    song.mState = Song::State::Playing;
}

// A stopped song keeps its queue, so that playing it on from where it was loses nothing.
void ALMusicInterface::Halt(Song& song) {
    alSourcePause(song.mSource);
    song.mState = Song::State::Stopped;
}

void ALMusicInterface::Pause(Song& song) {
    if (song.mState != Song::State::Playing)
        return;
    alSourcePause(song.mSource);
    song.mState = Song::State::Paused;
}

void ALMusicInterface::Recycle(Song& song) {
    ALint processed = 0;
    alGetSourcei(song.mSource, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(song.mSource, 1, &buffer);
        song.mFreeBuffers.push_back(buffer);
    }
}

void ALMusicInterface::Fill(Song& song) {
    MusicStream& stream = *song.mStream;
    const ALenum format = stream.GetChannels() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    std::vector<int16_t> samples(size_t(kBufferFrames) * stream.GetChannels());
    while (!song.mFreeBuffers.empty() && !song.mStreamEnded) {
        const size_t frames = stream.Read(samples.data(), kBufferFrames);
        if (frames == 0) {
            song.mStreamEnded = true;
            break;
        }
        const ALuint buffer = song.mFreeBuffers.back();
        song.mFreeBuffers.pop_back();
        alBufferData(buffer, format, samples.data(),
                     ALsizei(frames * stream.GetChannels() * sizeof(int16_t)), stream.GetRate());
        alSourceQueueBuffers(song.mSource, 1, &buffer);
    }
}

void ALMusicInterface::FeedLocked() {
    ++mFeedCount;
    for (auto& [id, song] : mSongs) {
        if (song->mState != Song::State::Playing)
            continue;
        Recycle(*song);
        Fill(*song);
        ALint queued = 0;
        ALint state = AL_STOPPED;
        alGetSourcei(song->mSource, AL_BUFFERS_QUEUED, &queued);
        alGetSourcei(song->mSource, AL_SOURCE_STATE, &state);
        if (queued == 0 && song->mStreamEnded)
            song->mState = Song::State::Stopped; // played to its end
        else if (queued > 0 && state != AL_PLAYING)
            alSourcePlay(song->mSource); // ran dry before it was fed
    }
}

void ALMusicInterface::RunFeeder() {
    ThreadSignalStack signalStack; // so that the crash handler can report a stack overflow
    std::unique_lock lock(mMutex);
    while (!mStopFeeding) {
        FeedLocked();
        mWake.wait_for(lock, kFeedInterval, [this] { return mStopFeeding; });
    }
}

} // namespace ravix

#pragma once

#include <string>

namespace ravix {

// Background music: songs addressed by a small id that the game chooses. This base is the
// silent implementation (sound off): it does nothing, loads fail and no song plays. The
// virtual operations are listed in slot order.
class MusicInterface {
public:
    virtual ~MusicInterface() = default;
    virtual bool LoadSong(int /*id*/, const std::string& /*fileName*/) { return false; }
    // offset: where to start (-1 continues where the song was).
    virtual void PlaySong(int /*id*/, int /*offset*/, bool /*noLoop*/) {}
    virtual void StopSong(int /*id*/) {}
    virtual void PauseSong(int /*id*/) {}
    virtual void ResumeSong(int /*id*/) {}
    virtual void StopAllSongs() {}
    virtual void UnloadSong(int /*id*/) {}
    virtual void UnloadAllSongs() {}
    virtual void PauseAllSongs() {}
    virtual void ResumeAllSongs() {}
    // step: volume change per update; offset as for PlaySong.
    virtual void FadeInSong(int /*id*/, int /*offset*/, double /*step*/, bool /*noLoop*/) {}
    virtual void FadeOutSong(int /*id*/, bool /*stopAtEnd*/, double /*step*/) {}
    virtual void FadeOutAllSongs(bool /*stopAtEnd*/, double /*step*/) {}
    virtual void SetSongVolume(int /*id*/, double /*volume*/) {}
    // The ceiling for the song's volume and for fading in.
    virtual void SetSongMaximum(int /*id*/, double /*maximum*/) {}
    virtual bool IsSongPlaying(int /*id*/) { return false; }
    // The application's music level, 0..1 (0 while silenced).
    virtual void SetMusicVolume(double /*volume*/) {}
    // The loudness of a tracker module (0.5 normal).
    virtual void SetSongAmplify(int /*id*/, double /*factor*/) {}
    // Advances fades; called once per logic update.
    virtual void UpdateSongs() {}
};

} // namespace ravix

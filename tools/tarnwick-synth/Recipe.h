#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::synth {

// How a voice's level moves: rises over attack, falls over decay to the sustain level, holds
// until the note's gate ends, then fades out over release. Times in seconds.
struct Envelope {
    double mAttack = 0.005;
    double mDecay = 0.1;
    double mSustain = 1.0;
    double mRelease = 0.05;
};

// One sine component of a tone: a frequency ratio to the note's pitch and an amplitude.
struct Partial {
    double mRatio = 1.0;
    double mAmplitude = 1.0;
};

// A named sound source the notes play on.
struct Instrument {
    std::string mName;
    std::vector<Partial> mPartials; // empty for noise
    bool mNoise = false;            // band-passed noise instead of partials
    double mNoiseBand = 2000.0;     // the noise's centre frequency, Hz
    double mNoiseQ = 1.0;           // the noise band's sharpness
    Envelope mEnvelope;
    double mGain = 1.0;
    double mPan = 0.0;         // -1 left .. 1 right
    double mDamp = 0.0;        // higher partials die faster: exp(-damp (ratio - 1) t)
    double mGlide = 0.0;       // pitch change in semitones over the glide time
    double mGlideTime = 0.0;   // seconds; 0 = the note's duration
    double mChorusCents = 0.0; // when set, two copies detuned by +- this, spread apart
};

// One sounding note: when, how long its gate is held, at what pitch, on what.
struct Note {
    int mInstrument = 0;
    double mStart = 0.0;     // seconds
    double mDuration = 0.0;  // seconds the gate is held; the release follows
    double mFrequency = 0.0; // Hz
    double mGain = 1.0;
    double mPan = 0.0; // added to the instrument's pan
};

struct Reverb {
    double mMix = 0.0;  // 0 = off
    double mTime = 1.5; // seconds for the tail to fall by 60 dB
    double mDamp = 0.3; // 0..1, how quickly high frequencies die in the tail
};

struct Echo {
    double mMix = 0.0;      // 0 = off
    double mDelay = 0.3;    // seconds
    double mFeedback = 0.3; // 0..0.9
};

// A whole piece as the recipe describes it, all times in seconds.
struct Recipe {
    int mChannels = 1;
    double mLength = 0.0;              // 0 = until the last release (and effect tail) ends
    bool mLoop = false;                // sound past the end wraps round onto the start
    double mPeakDb = -3.0;             // the normalised peak, dBFS
    std::optional<double> mLoudnessDb; // the loudest 50 ms RMS, dBFS, when asked for
    uint64_t mSeed = 1;                // for noise
    std::vector<Instrument> mInstruments;
    std::vector<Note> mNotes;
    Reverb mReverb;
    Echo mEcho;
};

inline constexpr int kSampleRate = 44100;
// The longest sound a recipe may make (notes, tails and all), which bounds memory and work.
inline constexpr double kMaxSeconds = 180.0;

} // namespace tarnwick::synth

#include "Renderer.h"

#include "Effects.h"
#include "EnvelopeShape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnwick::synth {

namespace {

// Partial-samples a recipe may ask for: a few seconds of work.
constexpr double kMaxWork = 1.5e9;
// Partials at or above this frequency are left out: they would fold back as noise.
constexpr double kHighestFrequency = 0.45 * kSampleRate;
// How often a steady partial's rotating phasor is set exactly again, in samples.
constexpr size_t kPhasorResync = 1024;

// The recipe's own random numbers (splitmix64), so that noise is the same on every build.
class NoiseSource {
public:
    explicit NoiseSource(uint64_t seed) : mState(seed) {}

    // Uniform in [-1, 1).
    double Next() {
        uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return double(z >> 11) * 0x1.0p-52 - 1.0;
    }

private:
    uint64_t mState;
};

size_t ToFrames(double seconds) {
    return size_t(std::llround(seconds * kSampleRate));
}

size_t VoiceFrames(const Instrument& instrument, const Note& note) {
    return ToFrames(EnvelopeEnd(instrument.mEnvelope, note.mDuration));
}

// Adds one partial of steady pitch: a phasor turned by multiplication, set exactly from the
// sample index every kPhasorResync samples so that rounding cannot drift.
void AddSteadyPartial(std::vector<double>& out, double frequency, double amplitude,
                      double dampPerSecond) {
    const double step = 2.0 * std::numbers::pi * frequency / kSampleRate;
    const double turnCos = std::cos(step);
    const double turnSin = std::sin(step);
    const double fadePerSample = std::exp(-dampPerSecond / kSampleRate);
    double re = 1, im = 0, gain = amplitude;
    for (size_t i = 0; i < out.size(); ++i) {
        if (i % kPhasorResync == 0) {
            re = std::cos(step * double(i));
            im = std::sin(step * double(i));
            gain = amplitude * std::exp(-dampPerSecond * double(i) / kSampleRate);
        }
        out[i] += gain * im;
        const double nextRe = re * turnCos - im * turnSin;
        im = re * turnSin + im * turnCos;
        re = nextRe;
        gain *= fadePerSample;
    }
}

// Adds one partial whose pitch slides by glide semitones over glideFrames samples.
void AddGlidingPartial(std::vector<double>& out, double frequency, double amplitude,
                       double dampPerSecond, double glide, size_t glideFrames) {
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double progress = std::min(1.0, double(i) / double(std::max<size_t>(glideFrames, 1)));
        const double now = frequency * std::pow(2.0, glide * progress / 12.0);
        if (now < kHighestFrequency)
            out[i] +=
                amplitude * std::exp(-dampPerSecond * double(i) / kSampleRate) * std::sin(phase);
        phase += 2.0 * std::numbers::pi * now / kSampleRate;
        if (phase > 2.0 * std::numbers::pi)
            phase -= 2.0 * std::numbers::pi;
    }
}

// White noise through a band-pass filter (a biquad with 0 dB gain at the centre).
void AddNoise(std::vector<double>& out, const Instrument& instrument, uint64_t seed) {
    const double w =
        2.0 * std::numbers::pi * std::min(instrument.mNoiseBand, kHighestFrequency) / kSampleRate;
    const double alpha = std::sin(w) / (2.0 * instrument.mNoiseQ);
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0;
    const double a1 = -2.0 * std::cos(w) / a0, a2 = (1.0 - alpha) / a0;
    NoiseSource noise(seed);
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& sample : out) {
        const double x = noise.Next();
        const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        sample += y;
    }
}

// Left and right gains for a pan position; equal power, both 1 in the middle.
void PanGains(double pan, double& left, double& right) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * std::numbers::pi / 4.0;
    left = std::cos(angle) * std::numbers::sqrt2;
    right = std::sin(angle) * std::numbers::sqrt2;
}

// Adds a voice into the output at a frame; a loop wraps what runs past the end onto the start.
void MixVoice(Audio& audio, const std::vector<double>& voice, size_t startFrame, double gain,
              double pan, bool loop) {
    double left = 1, right = 1;
    if (audio.mChannels == 2)
        PanGains(pan, left, right);
    const size_t frames = audio.Frames();
    for (size_t i = 0; i < voice.size(); ++i) {
        size_t frame = startFrame + i;
        if (frame >= frames) {
            if (!loop)
                break;
            frame %= frames;
        }
        if (audio.mChannels == 2) {
            audio.mSamples[2 * frame] += gain * left * voice[i];
            audio.mSamples[2 * frame + 1] += gain * right * voice[i];
        } else {
            audio.mSamples[frame] += gain * voice[i];
        }
    }
}

double RecipeSeconds(const Recipe& recipe) {
    if (recipe.mLength > 0)
        return recipe.mLength;
    double end = 0;
    for (const Note& note : recipe.mNotes)
        end = std::max(end, note.mStart +
                                EnvelopeEnd(recipe.mInstruments[size_t(note.mInstrument)].mEnvelope,
                                            note.mDuration));
    return end + EffectTail(recipe);
}

double RecipeWork(const Recipe& recipe) {
    double work = 0;
    for (const Note& note : recipe.mNotes) {
        const Instrument& instrument = recipe.mInstruments[size_t(note.mInstrument)];
        const double sources = instrument.mNoise ? 4.0 : double(instrument.mPartials.size());
        work += double(VoiceFrames(instrument, note)) * sources *
                (instrument.mChorusCents > 0 ? 2.0 : 1.0);
    }
    return work;
}

// Fades the first and last few milliseconds, so that a sound cut by its length ends at zero.
void FadeEnds(Audio& audio) {
    const size_t frames = audio.Frames();
    const size_t fade = std::min(ToFrames(kMinEdgeSeconds), frames / 2);
    const size_t channels = size_t(audio.mChannels);
    for (size_t i = 0; i < fade; ++i) {
        const double gain = 0.5 - 0.5 * std::cos(std::numbers::pi * double(i) / double(fade));
        for (size_t c = 0; c < channels; ++c) {
            audio.mSamples[i * channels + c] *= gain;
            audio.mSamples[(frames - 1 - i) * channels + c] *= gain;
        }
    }
}

} // namespace

std::vector<double> RenderVoice(const Instrument& instrument, const Note& note, double detune,
                                uint64_t seed) {
    std::vector<double> voice(VoiceFrames(instrument, note), 0.0);
    if (instrument.mNoise) {
        AddNoise(voice, instrument, seed);
    } else {
        const double frequency = note.mFrequency * std::pow(2.0, detune / 1200.0);
        const size_t glideFrames =
            ToFrames(instrument.mGlideTime > 0 ? instrument.mGlideTime : note.mDuration);
        for (const Partial& partial : instrument.mPartials) {
            const double partialFrequency = frequency * partial.mRatio;
            const double damp = instrument.mDamp * std::max(0.0, partial.mRatio - 1.0);
            if (instrument.mGlide != 0)
                AddGlidingPartial(voice, partialFrequency, partial.mAmplitude, damp,
                                  instrument.mGlide, glideFrames);
            else if (partialFrequency < kHighestFrequency)
                AddSteadyPartial(voice, partialFrequency, partial.mAmplitude, damp);
        }
    }
    for (size_t i = 0; i < voice.size(); ++i)
        voice[i] *= EnvelopeLevel(instrument.mEnvelope, note.mDuration, double(i) / kSampleRate);
    return voice;
}

bool RenderRecipe(const Recipe& recipe, Audio& audio, std::string& error) {
    const double seconds = RecipeSeconds(recipe);
    if (seconds > kMaxSeconds) {
        error = "the sound would last " + std::to_string(int(seconds)) + " s, more than " +
                std::to_string(int(kMaxSeconds));
        return false;
    }
    if (RecipeWork(recipe) > kMaxWork) {
        error = "the recipe asks for too much work (fewer or shorter notes, fewer partials)";
        return false;
    }
    audio.mChannels = recipe.mChannels;
    audio.mSamples.assign(std::max<size_t>(1, ToFrames(seconds)) * size_t(recipe.mChannels), 0.0);
    for (size_t n = 0; n < recipe.mNotes.size(); ++n) {
        const Note& note = recipe.mNotes[n];
        const Instrument& instrument = recipe.mInstruments[size_t(note.mInstrument)];
        const double gain = instrument.mGain * note.mGain;
        const double pan = instrument.mPan + note.mPan;
        const uint64_t seed = recipe.mSeed + n * 0x632BE59BD9B4E019ull;
        if (instrument.mChorusCents > 0) {
            // Two copies a little apart in pitch and place: a slow beating that widens the note.
            for (int side : {-1, 1})
                MixVoice(audio, RenderVoice(instrument, note, side * instrument.mChorusCents, seed),
                         ToFrames(note.mStart), gain * std::numbers::sqrt2 / 2, pan + side * 0.3,
                         recipe.mLoop);
        } else {
            MixVoice(audio, RenderVoice(instrument, note, 0, seed), ToFrames(note.mStart), gain,
                     pan, recipe.mLoop);
        }
    }
    const Wrap wrap = recipe.mLoop ? Wrap::kCircular : Wrap::kNone;
    ApplyEcho(audio, recipe.mEcho, wrap);
    ApplyReverb(audio, recipe.mReverb, wrap);
    if (!recipe.mLoop)
        FadeEnds(audio);
    return true;
}

} // namespace tarnwick::synth

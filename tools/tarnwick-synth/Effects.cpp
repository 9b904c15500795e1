#include "Effects.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarnwick::synth {

namespace {

size_t DelayFrames(double milliseconds) {
    return std::max<size_t>(1, size_t(std::lround(milliseconds * kSampleRate / 1000.0)));
}

// A delay line whose output is fed back through a one-pole low-pass.
class DampedComb {
public:
    DampedComb(double milliseconds, double reverbTime, double damp)
        : mLine(DelayFrames(milliseconds)), mDamp(damp) {
        // Each trip round the loop loses the share that makes 60 dB over the reverb time.
        mFeedback = std::pow(10.0, -3.0 * double(mLine.size()) / (reverbTime * kSampleRate));
    }

    double Process(double in) {
        const double out = mLine[mAt];
        mFiltered = out * (1.0 - mDamp) + mFiltered * mDamp;
        mLine[mAt] = in + mFiltered * mFeedback;
        mAt = mAt + 1 == mLine.size() ? 0 : mAt + 1;
        return out;
    }

private:
    std::vector<double> mLine;
    size_t mAt = 0;
    double mDamp;
    double mFeedback = 0;
    double mFiltered = 0;
};

// Spreads echoes in time without colouring the sound.
class AllPass {
public:
    explicit AllPass(double milliseconds) : mLine(DelayFrames(milliseconds)) {}

    double Process(double in) {
        const double delayed = mLine[mAt];
        mLine[mAt] = in + delayed * kGain;
        mAt = mAt + 1 == mLine.size() ? 0 : mAt + 1;
        return delayed - in * kGain;
    }

private:
    static constexpr double kGain = 0.5;
    std::vector<double> mLine;
    size_t mAt = 0;
};

// One channel's room.
class Room {
public:
    Room(const Reverb& reverb, double spreadMilliseconds) : mMix(reverb.mMix) {
        static constexpr double kCombMilliseconds[] = {25.3, 26.9, 28.9, 30.7,
                                                       32.3, 33.8, 35.3, 36.7};
        static constexpr double kAllPassMilliseconds[] = {12.6, 10.0, 7.7, 5.1};
        for (double ms : kCombMilliseconds)
            mCombs.emplace_back(ms + spreadMilliseconds, reverb.mTime, reverb.mDamp * 0.7);
        for (double ms : kAllPassMilliseconds)
            mAllPasses.emplace_back(ms + spreadMilliseconds);
    }

    double Process(double in) {
        double wet = 0;
        for (DampedComb& comb : mCombs)
            wet += comb.Process(in * kInputGain);
        for (AllPass& allPass : mAllPasses)
            wet = allPass.Process(wet);
        return in + mMix * wet;
    }

private:
    // Brings the sum of the combs back to about the level of the input.
    static constexpr double kInputGain = 0.06;
    double mMix;
    std::vector<DampedComb> mCombs;
    std::vector<AllPass> mAllPasses;
};

class Repeat {
public:
    explicit Repeat(const Echo& echo)
        : mLine(DelayFrames(echo.mDelay * 1000.0)), mMix(echo.mMix), mFeedback(echo.mFeedback) {}

    double Process(double in) {
        const double delayed = mLine[mAt];
        mLine[mAt] = in + delayed * mFeedback;
        mAt = mAt + 1 == mLine.size() ? 0 : mAt + 1;
        return in + mMix * delayed;
    }

private:
    std::vector<double> mLine;
    size_t mAt = 0;
    double mMix;
    double mFeedback;
};

// Runs one processor per channel over the samples. For a loop the processors first hear the
// whole loop once, so that their state at the start holds the tail of the loop's end, as it
// will when the loop plays round.
template <typename Processor>
void RunPerChannel(Audio& audio, std::vector<Processor>& processors, Wrap wrap) {
    const size_t channels = size_t(audio.mChannels);
    if (wrap == Wrap::kCircular)
        for (size_t i = 0; i < audio.mSamples.size(); ++i)
            (void)processors[i % channels].Process(audio.mSamples[i]);
    for (size_t i = 0; i < audio.mSamples.size(); ++i)
        audio.mSamples[i] = processors[i % channels].Process(audio.mSamples[i]);
}

} // namespace

void ApplyReverb(Audio& audio, const Reverb& reverb, Wrap wrap) {
    if (reverb.mMix <= 0)
        return;
    std::vector<Room> rooms;
    for (int channel = 0; channel < audio.mChannels; ++channel)
        rooms.emplace_back(reverb, channel * 0.53);
    RunPerChannel(audio, rooms, wrap);
}

void ApplyEcho(Audio& audio, const Echo& echo, Wrap wrap) {
    if (echo.mMix <= 0)
        return;
    std::vector<Repeat> repeats(size_t(audio.mChannels), Repeat(echo));
    RunPerChannel(audio, repeats, wrap);
}

double EffectTail(const Recipe& recipe) {
    double tail = 0;
    if (recipe.mReverb.mMix > 0)
        tail += recipe.mReverb.mTime;
    if (recipe.mEcho.mMix > 0 && recipe.mEcho.mFeedback > 0)
        tail += recipe.mEcho.mDelay * (1.0 + std::log(0.001) / std::log(recipe.mEcho.mFeedback));
    else if (recipe.mEcho.mMix > 0)
        tail += recipe.mEcho.mDelay;
    return tail;
}

} // namespace tarnwick::synth

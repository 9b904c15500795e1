// tarnwick-synth: makes the game's sound effects and music from recipe texts.
#include "Synthesizer.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void PrintUsage(std::FILE* to) {
    std::fputs("usage: tarnwick-synth [--stats] RECIPE OUT.ogg\n"
               "\n"
               "Renders the recipe (see RecipeParser.h for its language) at 44100 Hz and writes\n"
               "it as Ogg Vorbis; the same recipe always gives the same bytes. With --stats,\n"
               "prints the channels, the duration, the peak, the loudest 50 ms RMS and the\n"
               "whole RMS (dBFS) of the sound before encoding, and for a loop its decoded seam.\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    bool printStats = false;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--stats") == 0) {
        printStats = true;
        first = 2;
    }
    if (argc - first != 2) {
        PrintUsage(stderr);
        return 2;
    }
    tarnwick::synth::SoundStats stats;
    std::string error;
    if (!tarnwick::synth::SynthesizeFile(argv[first], argv[first + 1], stats, error)) {
        std::fprintf(stderr, "tarnwick-synth: %s\n", error.c_str());
        return 1;
    }
    if (printStats)
        std::printf("%s: %s %.3f s, peak %.2f dBFS, loudest 50 ms %.2f dBFS RMS, "
                    "RMS %.2f dBFS\n",
                    argv[first + 1], stats.mChannels == 2 ? "stereo" : "mono",
                    double(stats.mFrames) / tarnwick::synth::kSampleRate, stats.mPeakDb,
                    stats.mLoudestRmsDb, stats.mRmsDb);
    if (printStats && stats.mSeam)
        std::printf("%s: loop turned by %zu frames; decoded seam: step %.0f (median step near "
                    "it %.0f), bend %.0f (90th percentile near it %.0f)\n",
                    argv[first + 1], stats.mSeam->mShift, stats.mSeam->mJump,
                    stats.mSeam->mTypicalStep, stats.mSeam->mBend, stats.mSeam->mTypicalBend);
    return 0;
}

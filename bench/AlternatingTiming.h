#pragma once

// Timing two routines side by side for the ratio lines the benchmarks print last.

#include <algorithm>
#include <ctime>
#include <utility>
#include <vector>

inline double ThreadCpuMs() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Median milliseconds per call of two routines, measured in alternation so that both see the
// same conditions. The thread's CPU time is measured, so that other programs sharing the
// processor do not count.
template <class DrawA, class DrawB>
std::pair<double, double> MedianMs(DrawA&& drawA, DrawB&& drawB, int frames = 501) {
    for (int i = 0; i < 20; ++i) {
        drawA();
        drawB();
    }
    std::vector<double> timesA;
    std::vector<double> timesB;
    for (int i = 0; i < frames; ++i) {
        double start = ThreadCpuMs();
        drawA();
        double middle = ThreadCpuMs();
        drawB();
        timesB.push_back(ThreadCpuMs() - middle);
        timesA.push_back(middle - start);
    }
    auto median = [frames](std::vector<double>& times) {
        std::nth_element(times.begin(), times.begin() + frames / 2, times.end());
        return times[frames / 2];
    };
    return {median(timesA), median(timesB)};
}

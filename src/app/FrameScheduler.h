#pragma once

#include <cstdint>

namespace ravix {

// Where the main loop is within a frame: handling queued messages, checking whether an update
// is due, running the frame's further updates, and drawing (or sleeping to the next update).
enum class LoopPhase { Messages, UpdateCheck, FurtherUpdates, DrawOrSleep };

// The main loop's frame scheduling: the phase, game time against real time (the accumulator of
// milliseconds not yet turned into updates), the updates since the last draw, the fractional
// updates of refresh pacing, the stall detector that finds a display not waiting for its
// refresh, and when the next frame may be drawn. It only keeps time; the loop acts on it.
class FrameScheduler {
public:
    explicit FrameScheduler(int64_t now) : mLastStallCheck(now) {}

    LoopPhase Phase() const { return mPhase; }
    void SetPhase(LoopPhase phase) { mPhase = phase; }

    // Adds the real time since the last step, keeping at most a backlog of kMaxTimeBacklog ms.
    void StepTimeAccumulator(int64_t now);
    // Throws away the backlog (after a modal box, a window drag, a pause).
    void ResetTiming(int64_t now);
    double TimeAccumulator() const { return mTimeAccumulator; }
    // A frame's updates ran: its interval leaves the accumulator (paced frames keep a small
    // margin and never go below zero).
    void ConsumeFrame(double frameInterval, bool paced);
    // Milliseconds to the next update, rounded up: a wait shorter than a millisecond would
    // otherwise be spent spinning.
    int MillisecondsToNextUpdate(double frameInterval) const;

    // Updates since the last draw, and whether an update ran since then.
    int CountUpdateSinceDraw() { return ++mUpdatesSinceDraw; }
    void ClearUpdatesSinceDraw() { mUpdatesSinceDraw = 0; }
    void NoteUpdated() { mUpdatedSinceDraw = true; }
    bool UpdatedSinceDraw() const { return mUpdatedSinceDraw; }
    // A draw pass shows a frame (noted before it is presented), and a draw pass ended: whether
    // it showed one.
    void NoteFrameShown() { mLastDrawWasEmpty = false; }
    void NoteDrawPass(bool presented);
    bool LastDrawWasEmpty() const { return mLastDrawWasEmpty; }

    // Refresh pacing: a frame holds updatesPerFrame updates; the whole ones beyond the first
    // are taken one at a time.
    void AddFrameFraction(float updatesPerFrame) { mFractionalAccumulator += updatesPerFrame - 1; }
    bool HasWholeUpdateLeft() const { return mFractionalAccumulator >= 1; }
    void TakeWholeUpdate() { mFractionalAccumulator -= 1; }

    // Counts an update against the clock; true once a second's worth of updates has kept
    // taking 800 ms or less three times running (the display does not wait for its refresh).
    bool DetectStall(int64_t now, int updateInterval);
    // The stall detector's second starts now (when the main loop starts).
    void RestartStallCheck(int64_t now) { mLastStallCheck = now; }

    // Drawing waits for the next draw time, which follows each present (later while loading,
    // so that the loading thread gets the machine).
    bool MayDraw(int64_t now) const { return now >= mNextDrawTime; }
    void ScheduleNextDraw(int64_t presentEnd, int64_t drawTime, bool loading);

    static constexpr double kMaxTimeBacklog = 200.0;

private:
    LoopPhase mPhase = LoopPhase::Messages;
    int mUpdatesSinceDraw = 0;
    bool mUpdatedSinceDraw = false;
    bool mLastDrawWasEmpty = false;
    double mTimeAccumulator = 0;
    int64_t mLastAccumulatorStep = 0;
    bool mAccumulatorStarted = false;
    double mFractionalAccumulator = 0;
    int64_t mNextDrawTime = 0;
    int mStallUpdates = 0;
    int mStallStrikes = 0;
    int64_t mLastStallCheck = 0;
};

} // namespace ravix

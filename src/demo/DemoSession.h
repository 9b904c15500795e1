#pragma once

#include "base/Point.h"
#include "demo/DemoFile.h"
#include "demo/DemoStream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ravix {

class Buffer;
struct PlatformMessage;

// What a demo session asks of the application it records or replays.
class DemoHost {
public:
    virtual ~DemoHost() = default;

    // The updates run so far: each event is stamped with it, and is due when it is reached.
    virtual int DemoUpdateCount() const = 0;
    // The program is closing: recorded outcomes are left alone from here on, as the recording
    // asked for none after its close.
    virtual bool IsDemoClosing() const = 0;
    // The program is shutting down: the player stops.
    virtual bool IsDemoShuttingDown() const = 0;
    // Performs a replayed input event (mouse, keys, activation, window state).
    virtual void PerformDemoEvent(const DemoEvent& event) = 0;
};

// The viewer's controls of a replay: fast-forward to mJumpTarget or to the end, one step, pause.
struct DemoPlaybackControls {
    int mJumpTarget = 0;
    bool mRunToEnd = false;
    bool mStepOnce = false;
    bool mPaused = false;
};

// Demo recording and playback of one run: the source of input events, settings outcomes,
// transfer outcomes, sync data and the start tick between the platform and the input path.
// Recording writes what the application hands it (each Record call does nothing unless
// recording); playback reads the demo file ahead and hands its events back when they are due.
// The outcomes (settings, transfers, sync data) are taken by the operations that wrote them.
class DemoSession {
public:
    enum class Mode { Off, Recording, Playing };

    explicit DemoSession(DemoHost& host) : mHost(host) {}

    Mode GetMode() const { return mMode; }
    void SetMode(Mode mode) { mMode = mode; }
    bool IsRecording() const { return mMode == Mode::Recording; }
    bool IsPlaying() const { return mMode == Mode::Playing; }
    // During playback the recorded events stand in for live input, except while a playback box
    // (which the viewer answers) is open.
    bool ReplacesLiveInput() const { return IsPlaying() && !mBoxOpen; }
    // A replay that waits: paused, or a playback box open.
    bool IsHeld() const { return IsPlaying() && (mControls.mPaused || mBoxOpen); }
    void SetBoxOpen(bool open) { mBoxOpen = open; }
    bool IsBoxOpen() const { return mBoxOpen; }

    // The demo file: a file name prefix for numbered demos, and the path recorded to or played.
    const std::string& Prefix() const { return mPrefix; }
    void SetPrefix(const std::string& prefix) { mPrefix = prefix; }
    const std::string& Path() const { return mPath; }
    void SetPath(const std::string& path) { mPath = path; }

    // Recording.
    void RecordDemoEvent(DemoEvent event);
    void RecordDemoMessage(const PlatformMessage& message);
    // A relative move from a known position when both offsets fit, else an absolute one.
    void RecordPointerMove(std::optional<Point> from, Point to);
    // Ends the demo with a filler event, so that a replay runs up to the last recorded moment.
    void WriteDemoFillerEvent();
    // Writes the demo being recorded to Path(); false when it could not be written. Nothing
    // (and true) when not recording.
    bool WriteDemoFile(int64_t startTick, const std::string& productVersion);

    // Playback: reads the demo file Path(); on failure the message tells why. The start tick is
    // the recording's once the header is read, even when the version does not match.
    [[nodiscard]] bool ReadDemoHeader(const std::string& productVersion, int64_t& startTick,
                                      std::string& message);
    // The next recorded event, read ahead; null at the end of the stream.
    const DemoEvent* PeekDemoEvent();
    // An event is due at the update count it was written at. One left behind (never taken by
    // the operation that wrote it) is due at once, so that the stream cannot stall on it.
    bool IsDemoEventDue();
    // Takes the next event when it is due now and is the command; otherwise leaves it.
    bool TakeDemoEvent(int command, DemoEvent& event);
    // Performs the recorded events due now through the host, while they replace live input.
    void PlayDemoEvents();
    // The display record at the start of a replay: the recorded window mode and refresh rate.
    bool TakeDisplayRecord(bool& windowed, int& refreshRate);
    // Loading is complete in the replay where it was in the recording: the player notes the
    // recorded point itself.
    bool RecordedLoadDone() const { return mRecordedLoadDone; }

    uint32_t RecordedLength() const { return mRecordedLength; }
    const std::vector<DemoMarker>& Markers() const { return mMarkers; }
    DemoPlaybackControls& Controls() { return mControls; }
    const DemoPlaybackControls& Controls() const { return mControls; }

    // A value from outside the program (a clock, a file) that a replay must see as recorded:
    // recording writes it to the demo, playback replaces it with the recorded one.
    void SyncDemoData(Buffer& buffer);
    void SyncDemoString(std::string& text);
    void SyncDemoBool(bool& flag);

    // Settings outcomes. ReplaySettingRead answers a read during playback (true: the replay took
    // it, read tells whether it succeeded); RecordSettingRead writes one while recording.
    bool ReplaySettingRead(size_t maxLength, bool& read, uint32_t& type,
                           std::vector<uint8_t>& bytes);
    void RecordSettingRead(bool read, uint32_t type, const std::vector<uint8_t>& bytes);
    // The same for writes: during playback a write reaches no store and succeeds as recorded.
    bool ReplaySettingWrite(bool& written);
    void RecordSettingWrite(bool written);

    // The outcomes of web transfers (the application's TransferOutcomeLog forwards here).
    void RecordTransferOutcome(uint32_t number, int result, const std::string& content);
    bool ReplayTransferOutcome(uint32_t number, int& result, std::string& content);

private:
    DemoHost& mHost;
    Mode mMode = Mode::Off;
    std::string mPrefix = "ravixapp";
    std::string mPath = "ravixapp.dmo";
    DemoStream mEventStream;
    std::optional<DemoEvent> mNextEvent; // read ahead by the player
    int mEventCount = 0;                 // events read
    bool mRecordedLoadDone = false;      // the recorded loading-complete point was reached
    uint32_t mRecordedLength = 0;        // the update count at the end of the recording
    std::vector<DemoMarker> mMarkers;
    DemoPlaybackControls mControls;
    bool mBoxOpen = false;
};

} // namespace ravix

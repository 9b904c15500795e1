#pragma once

#include <cstdint>
#include <string>

namespace ravix {

// Where web transfers leave their outcomes so that a recorded run replays them. The application
// implements it over its demo stream; a transfer asks it on every poll of its result.
class TransferOutcomeLog {
public:
    virtual ~TransferOutcomeLog() = default;

    // A run being recorded: outcomes are written as they change.
    virtual bool IsRecordingTransfers() const = 0;
    // A run being replayed: outcomes come from the recording and no connection is made.
    virtual bool IsReplayingTransfers() const = 0;
    // Writes the outcome of transfer `number` (content empty while it is in progress).
    virtual void RecordTransferOutcome(uint32_t number, int result, const std::string& content) = 0;
    // When the next recorded event is the outcome of transfer `number`, takes it and returns
    // true; otherwise leaves the recording where it was and returns false.
    virtual bool ReplayTransferOutcome(uint32_t number, int& result, std::string& content) = 0;
};

} // namespace ravix

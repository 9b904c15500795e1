#pragma once

#include "audio/MusicStream.h"

#include <memory>
#include <string>

struct openmpt_module;

namespace ravix {

// A tracker module (MOD, S3M, XM, IT and the other formats libopenmpt knows), read whole
// through the file layer and rendered as 44100 Hz stereo. Looping follows the module's own
// restart position.
class ModuleMusicStream : public MusicStream {
public:
    // Null when the file cannot be read or is no module libopenmpt knows.
    static std::unique_ptr<ModuleMusicStream> Open(const std::string& fileName);
    ~ModuleMusicStream() override;

    int GetChannels() const override { return 2; }
    int GetRate() const override { return kRate; }
    size_t Read(int16_t* out, size_t frames) override;
    void SetLooping(bool looping) override;
    // offset is an order number.
    bool Restart(int offset) override;
    void SetAmplify(double factor) override;

    static constexpr int kRate = 44100;

protected:
    size_t ReadFrames(int16_t* out, size_t frames) override;
    bool SeekToFrame(int64_t frame) override;

private:
    explicit ModuleMusicStream(openmpt_module* module) : mModule(module) {}

    openmpt_module* mModule = nullptr;
};

// The largest module file read, so that a damaged file cannot ask for unbounded memory.
inline constexpr size_t kMaxModuleFileBytes = size_t(64) << 20;

} // namespace ravix

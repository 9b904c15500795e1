#include "audio/ModuleMusicStream.h"

#include "files/PakFileReader.h"

#include <algorithm>
#include <cmath>
#include <libopenmpt/libopenmpt.h>
#include <vector>

namespace ravix {

namespace {

constexpr double kNormalAmplify = 0.5;
constexpr int32_t kQuietestMillibel = -10000;
constexpr int32_t kLoudestMillibel = 2000;

} // namespace

std::unique_ptr<ModuleMusicStream> ModuleMusicStream::Open(const std::string& fileName) {
    PakFileReader file(fileName);
    if (!file.IsOpen() || file.Size() > kMaxModuleFileBytes)
        return nullptr;
    std::vector<uint8_t> bytes(file.Size());
    if (!file.Read(bytes.data(), bytes.size()))
        return nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, nullptr, nullptr, nullptr);
    if (!module)
        return nullptr;
    std::unique_ptr<ModuleMusicStream> stream(new ModuleMusicStream(module));
    stream->SetLooping(true);
    return stream;
}

ModuleMusicStream::~ModuleMusicStream() {
    openmpt_module_destroy(mModule);
}

size_t ModuleMusicStream::Read(int16_t* out, size_t frames) {
    // The module loops by itself (its repeat count), honouring its restart position.
    return ReadFrames(out, frames);
}

void ModuleMusicStream::SetLooping(bool looping) {
    MusicStream::SetLooping(looping);
    openmpt_module_set_repeat_count(mModule, looping ? -1 : 0);
}

bool ModuleMusicStream::Restart(int offset) {
    if (offset < 0 || offset >= openmpt_module_get_num_orders(mModule))
        return false;
    openmpt_module_set_position_order_row(mModule, offset, 0);
    return true;
}

void ModuleMusicStream::SetAmplify(double factor) {
    const double gain = factor > 0 ? 2000.0 * std::log10(factor / kNormalAmplify) : -HUGE_VAL;
    const int32_t millibel =
        int32_t(std::clamp(gain, double(kQuietestMillibel), double(kLoudestMillibel)));
    openmpt_module_set_render_param(mModule, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, millibel);
}

size_t ModuleMusicStream::ReadFrames(int16_t* out, size_t frames) {
    return openmpt_module_read_interleaved_stereo(mModule, kRate, frames, out);
}

bool ModuleMusicStream::SeekToFrame(int64_t frame) {
    openmpt_module_set_position_seconds(mModule, double(frame) / kRate);
    return true;
}

} // namespace ravix

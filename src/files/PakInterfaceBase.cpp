#include "files/PakInterfaceBase.h"

namespace ravix {

FileTime FileTime::FromUnixTime(int64_t seconds, int64_t nanoseconds) {
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    constexpr int64_t kTicksPerSecond = 10000000;
    int64_t since1601 = 0;
    if (__builtin_add_overflow(seconds, kSecondsFrom1601To1970, &since1601))
        return FromTicks(UINT64_MAX);
    if (since1601 < 0)
        return {};
    if (uint64_t(since1601) > UINT64_MAX / kTicksPerSecond - 1)
        return FromTicks(UINT64_MAX);
    return FromTicks(uint64_t(since1601) * kTicksPerSecond + uint64_t(nanoseconds / 100));
}

PakFile* PakInterfaceBase::OpenFileW(const wchar_t*, const wchar_t*) {
    return nullptr;
}

wchar_t* PakInterfaceBase::ReadLineW(wchar_t* buffer, int, PakFile*) {
    return buffer;
}

} // namespace ravix

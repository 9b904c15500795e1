#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Constants of the pak archive format and the name rules shared by the reader, the writer and
// the content tools.
namespace ravix {

inline constexpr uint32_t kPakMagic = 0xBAC04AC0;
inline constexpr uint32_t kPakVersion = 0;
// Every byte of an archive is stored XORed with this byte.
inline constexpr uint8_t kPakScrambleByte = 0x5D;
// A directory flags byte with this bit set ends the directory.
inline constexpr uint8_t kPakEndOfDirectoryFlag = 0x80;
inline constexpr size_t kPakMaxNameLength = 255;
// Magic, version and the end mark: the smallest archive there is.
inline constexpr size_t kPakMinimumSize = 9;

// Copies count bytes, XORing each with the scrambling byte; scrambling and descrambling are the
// same operation. Works on whole words, so the copy runs at memory speed.
void PakScrambleCopy(void* destination, const void* source, size_t count);

// The lookup key of a stored entry name: the name in upper case (ASCII letters only).
std::string PakKey(std::string_view name);

// Turns a name as callers write it into the form of an entry key: an absolute name inside the
// current working directory loses that prefix, runs of "/" and "\" become one "\", a ".." after
// a separator removes the component before it, and letters become upper case. Names are not
// cut at kPakMaxNameLength: a longer result simply matches no entry.
std::string NormalisePakName(std::string_view name);

} // namespace ravix

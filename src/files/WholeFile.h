#pragma once

#include <cstddef>
#include <string>

namespace ravix {

enum class WholeFileResult { kRead, kMissing, kTooLarge };

// Reads the whole file at path into contents, refusing (before allocating) one larger than
// maxBytes; files written by others are untrusted and may be of any size. kMissing also covers
// a file that cannot be opened or read.
WholeFileResult ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& contents);

} // namespace ravix

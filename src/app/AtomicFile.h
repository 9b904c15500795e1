#pragma once

#include <string>
#include <string_view>

namespace ravix {

// Replaces the file at path with contents: the bytes go to a temporary file in the same folder,
// which is flushed to disk and renamed over the old file, so that a crash or a full disk leaves
// either the old file or the new one, never a torn one. The folder must exist. Returns false
// (and leaves the old file alone) on any failure.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view contents);

} // namespace ravix

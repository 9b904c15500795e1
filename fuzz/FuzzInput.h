#pragma once

#include "../tests/files/PakTestSupport.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// Writes the input to a file of the given name for readers that take a path, and returns the
// path. The folder is memory-backed when possible, since every input is written out.
inline std::string WriteFuzzInput(const char* name, const uint8_t* data, size_t size) {
    static const paktest::TempFolder folder{std::filesystem::is_directory("/dev/shm")
                                                ? std::filesystem::path("/dev/shm")
                                                : std::filesystem::temp_directory_path()};
    const std::string path = folder / name;
    paktest::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
    return path;
}

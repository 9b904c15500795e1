#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// A file in the temporary folder that holds the current input, for readers that take a path.
// Named after the target and the process so that parallel fuzzing jobs do not share it.
class FuzzInputFile {
public:
    explicit FuzzInputFile(const std::string& name)
        : mPath((std::filesystem::temp_directory_path() /
                 ("fuzz-" + std::to_string(getpid()) + "-" + name))
                    .string()) {}
    ~FuzzInputFile() { std::remove(mPath.c_str()); }

    const std::string& Write(const uint8_t* data, size_t size) const {
        FILE* out = std::fopen(mPath.c_str(), "wb");
        if (!out)
            std::abort();
        std::fwrite(data, 1, size, out);
        std::fclose(out);
        return mPath;
    }

private:
    std::string mPath;
};

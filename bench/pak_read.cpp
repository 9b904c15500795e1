// Reading one 64 MiB archive entry through the file layer against reading the same bytes from
// a plain file with the C library, both in 64 KiB blocks and from the page cache.
#include "files/PakInterface.h"
#include "files/PakWriter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr size_t kFileSize = 64 << 20;
constexpr size_t kBlockSize = 64 << 10;

// The two files, written once per run in a fresh temporary folder and removed at the end.
struct BenchFiles {
    std::filesystem::path folder;
    std::string plain;
    std::string archive;

    BenchFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-pak-XXXXXX");
        folder = mkdtemp(pattern.data());
        plain = (folder / "data.bin").string();
        archive = (folder / "data.pak").string();

        std::string bytes(kFileSize, '\0');
        uint32_t state = 12345;
        for (char& byte : bytes) {
            state = state * 214013 + 2531011;
            byte = char(state >> 16);
        }
        std::FILE* out = std::fopen(plain.c_str(), "wb");
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fclose(out) != 0)
            std::abort();
        ravix::PakWriter writer;
        writer.AddEntry("bench\\data.bin", std::move(bytes), {});
        std::string error;
        if (!writer.Write(archive, error) || !ravix::gPakInterface->MountArchive(archive))
            std::abort();
    }
    ~BenchFiles() { std::filesystem::remove_all(folder); }
};

const BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void BM_PakRead(benchmark::State& state) {
    Files();
    std::vector<char> block(kBlockSize);
    for (auto _ : state) {
        ravix::PakFile* file = ravix::pak_fopen("bench\\data.bin", "rb");
        size_t total = 0;
        while (size_t n = ravix::pak_fread(block.data(), 1, block.size(), file))
            total += n;
        benchmark::DoNotOptimize(block.data());
        ravix::pak_fclose(file);
        if (total != kFileSize)
            state.SkipWithError("short read");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}
BENCHMARK(BM_PakRead)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = Files().plain;
    std::vector<char> block(kBlockSize);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        size_t total = 0;
        while (size_t n = std::fread(block.data(), 1, block.size(), file))
            total += n;
        benchmark::DoNotOptimize(block.data());
        std::fclose(file);
        if (total != kFileSize)
            state.SkipWithError("short read");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// JPEG files through libjpeg: reading through the pak layer, writing through a temporary file.
#include "files/AtomicFile.h"
#include "files/ImageDecoders.h"
#include "files/PakReader.h"

#include <csetjmp>
#include <cstdio>
#include <vector>
// jpeglib.h needs the stdio types declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace ravix::ImageLib {

namespace {

constexpr size_t kReadBlockSize = 4096;
constexpr int kQuality = 80;
// Every 8 x 8 block of the full-resolution component costs at least one bit of Huffman-coded
// data, so one byte of a file describes at most 512 pixels.
constexpr uint64_t kMaxPixelsPerByte = 512;
// The most libjpeg may allocate for its own work. Progressive and multi-scan files keep the
// coefficients of the whole picture (2 bytes per sample) between scans; with no backing store,
// a file that needs more is refused instead of growing without bound.
constexpr long kMaxLibraryBytes = 64L << 20;

// libjpeg's standard error manager whose fatal errors print the message and jump back to the
// caller's recovery point.
struct ErrorManager {
    jpeg_error_mgr mPublic;
    std::jmp_buf mRecovery;
};

[[noreturn]] void ExitToRecovery(j_common_ptr info) {
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->mRecovery, 1);
}

// A data source reading the file through the pak layer in blocks. A file that ends early gets a
// warning and a made-up end-of-image marker, so that what was read still decodes.
struct PakSource {
    jpeg_source_mgr mPublic;
    PakFile* mFile;
    bool mAtStart;
    JOCTET mBuffer[kReadBlockSize];
};

void InitSource(j_decompress_ptr info) {
    reinterpret_cast<PakSource*>(info->src)->mAtStart = true;
}

boolean FillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<PakSource*>(info->src);
    size_t count = pak_fread(source->mBuffer, 1, kReadBlockSize, source->mFile);
    if (count == 0) {
        if (source->mAtStart)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        source->mBuffer[0] = 0xFF;
        source->mBuffer[1] = JPEG_EOI;
        count = 2;
    }
    source->mPublic.next_input_byte = source->mBuffer;
    source->mPublic.bytes_in_buffer = count;
    source->mAtStart = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    while (size_t(count) > source->bytes_in_buffer) {
        count -= long(source->bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

// Decodes into the image that *result receives; libjpeg's errors jump back here, so the
// function holds nothing that needs a destructor. *result is null after a failure.
void DecodeJpegRows(PakSource* source, uint64_t fileBytes, Image** result) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    Image* volatile image = nullptr;
    info.err = jpeg_std_error(&errors.mPublic);
    errors.mPublic.error_exit = ExitToRecovery;
    if (setjmp(errors.mRecovery)) {
        jpeg_destroy_decompress(&info);
        delete image;
        *result = nullptr;
        return;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxLibraryBytes;
    info.src = &source->mPublic;
    jpeg_read_header(&info, TRUE);
    // Grey and colour files only: CMYK and other layouts have no RGB form here.
    const bool supported = info.out_color_space == JCS_GRAYSCALE || info.out_color_space == JCS_RGB;
    if (!supported || !FitsImageCap(info.image_width, info.image_height) ||
        !ClaimFitsData(info.image_height, info.image_width, fileBytes, kMaxPixelsPerByte)) {
        jpeg_destroy_decompress(&info);
        *result = nullptr;
        return;
    }
    // Rows come out as blue, green, red, alpha 0xFF: the pixel words themselves.
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    image = Image::Create(int(info.output_width), int(info.output_height)).release();
    if (!image)
        ERREXIT(&info, JERR_OUT_OF_MEMORY);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(image->GetBits() +
                                                  size_t(info.output_scanline) * info.output_width);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break; // rows not produced stay transparent black
    }
    if (info.output_scanline == info.output_height)
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    *result = image;
}

// Compresses the image as RGB; libjpeg's errors jump back here and give false.
bool EncodeJpeg(std::FILE* out, const uint32_t* bits, int width, int height, JSAMPLE* row) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.mPublic);
    errors.mPublic.error_exit = ExitToRecovery;
    if (setjmp(errors.mRecovery)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const uint32_t* pixels = bits + size_t(info.next_scanline) * width;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = JSAMPLE(pixels[x] >> 16);
            row[3 * x + 1] = JSAMPLE(pixels[x] >> 8);
            row[3 * x + 2] = JSAMPLE(pixels[x]);
        }
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

std::unique_ptr<Image> DecodeJpeg(PakFile* file) {
    auto source = std::make_unique<PakSource>();
    source->mPublic.init_source = InitSource;
    source->mPublic.fill_input_buffer = FillInputBuffer;
    source->mPublic.skip_input_data = SkipInputData;
    source->mPublic.resync_to_restart = jpeg_resync_to_restart;
    source->mPublic.term_source = TermSource;
    source->mPublic.next_input_byte = nullptr;
    source->mPublic.bytes_in_buffer = 0;
    source->mFile = file;
    Image* image = nullptr;
    DecodeJpegRows(source.get(), PakBytesLeft(file), &image);
    return std::unique_ptr<Image>(image);
}

bool WriteJPEG(const std::string& name, const uint32_t* bits, int width, int height,
               FileAccess access) {
    if (!bits || width <= 0 || height <= 0)
        return false;
    std::vector<JSAMPLE> row(size_t(width) * 3);
    AtomicFile out(name, access);
    std::string error;
    return out.Open(error) && EncodeJpeg(out.Stream(), bits, width, height, row.data()) &&
           out.Commit(error);
}

bool WriteJPEG(const std::string& name, const Image& image, FileAccess access) {
    return WriteJPEG(name, image.GetBits(), image.GetWidth(), image.GetHeight(), access);
}

} // namespace ravix::ImageLib

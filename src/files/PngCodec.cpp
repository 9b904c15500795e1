// PNG files through libpng: reading through the pak layer, writing through a temporary file.
#include "files/AtomicFile.h"
#include "files/ImageDecoders.h"
#include "files/PakReader.h"

#include <csetjmp>
#include <png.h>

namespace ravix::ImageLib {

namespace {

// Deflate turns one byte of compressed data into at most 1032 bytes.
constexpr uint64_t kMaxInflateRatio = 1032;
// The most libpng may allocate for the data of one chunk (a palette needs 768 bytes), and the
// most ancillary chunks it may keep. Without them one chunk that claims 2 GB is 2 GB of memory.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t(4) << 20;
constexpr png_uint_32 kMaxCachedChunks = 32;

void ReadThroughPak(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<PakFile*>(png_get_io_ptr(png));
    if (pak_fread(data, 1, length, file) != length)
        png_error(png, "Read Error");
}

// Asks libpng for rows of 8-bit blue, green, red, alpha whatever the file holds.
void RequestBgra(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png); // palettes, grey below 8 bits, transparency chunks
    if (png_get_bit_depth(png, info) == 16)
        png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
}

// Bounds what libpng may allocate before a single pixel is read. Only IHDR, PLTE, tRNS, IDAT
// and IEND matter for the pixels: every other chunk (text, colour profiles, private chunks) is
// skipped unread instead of being held in memory.
void LimitReader(png_structp png) {
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
}

// Reads the rows into the image that *result receives. libpng's errors jump back here, so the
// function holds nothing that needs a destructor; *result is null after a failure.
void DecodePngRows(png_structp png, png_infop info, uint64_t fileBytes, Image** result) {
    Image* volatile image = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        delete image;
        *result = nullptr;
        return;
    }
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!FitsImageCap(width, height))
        png_error(png, "image too large");
    // The unfiltered rows need at least height x (bytes per row) bytes before compression.
    if (!ClaimFitsData(height, png_get_rowbytes(png, info), fileBytes, kMaxInflateRatio))
        png_error(png, "image larger than its file");
    RequestBgra(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row layout");
    image = Image::Create(int(width), int(height), Image::Fill::Unset).release();
    if (!image)
        png_error(png, "image too large");
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(image->GetBits() + size_t(y) * width),
                         nullptr);
    png_read_end(png, nullptr);
    *result = image;
}

// Writes the image as 8-bit RGBA; libpng's errors jump back here and give false.
bool EncodePng(std::FILE* out, const uint32_t* bits, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant = {8, 8, 8, 8, 8};
    png_set_sBIT(png, info, &significant);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < height; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(bits + size_t(y) * width));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// A picture that cannot be decoded is reported once by whoever asked for it, naming the file;
// libpng's own printing of its errors and warnings would only add lines without the name.
[[noreturn]] void JumpOnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnorePngWarning(png_structp, png_const_charp) {}

} // namespace

std::unique_ptr<Image> DecodePng(PakFile* file) {
    const uint64_t fileBytes = PakBytesLeft(file);
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnPngError, IgnorePngWarning);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    Image* image = nullptr;
    if (info) {
        png_set_read_fn(png, file, ReadThroughPak);
        LimitReader(png);
        DecodePngRows(png, info, fileBytes, &image);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return std::unique_ptr<Image>(image);
}

bool WritePNG(const std::string& name, const uint32_t* bits, int width, int height,
              FileAccess access) {
    if (!bits || width <= 0 || height <= 0)
        return false;
    AtomicFile out(name, access);
    std::string error;
    return out.Open(error) && EncodePng(out.Stream(), bits, width, height) && out.Commit(error);
}

bool WritePNG(const std::string& name, const Image& image, FileAccess access) {
    return WritePNG(name, image.GetBits(), image.GetWidth(), image.GetHeight(), access);
}

} // namespace ravix::ImageLib

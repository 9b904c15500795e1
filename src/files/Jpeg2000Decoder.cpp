// JPEG 2000 files through libopenjp2, loaded at run time so that the program runs without it.
#include "files/ImageDecoders.h"
#include "files/PakReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <openjpeg.h>

namespace ravix::ImageLib {

namespace {

constexpr size_t kStreamBufferSize = 64 * 1024;
constexpr int kMaxPrecision = 31; // bits per sample
constexpr uint32_t kMaxComponents = 4; // grey, grey and alpha, colour, colour and alpha
// The codec sets up several kilobytes for every tile and component while it reads the header,
// before the picture's size can be refused; 1024 tiles allow tiles of 181 x 181 pixels or less
// on the largest picture.
constexpr uint64_t kMaxTiles = 1024;

// The library's entry points, resolved when the library is loaded.
struct Codec {
    void* mLibrary = nullptr;
    decltype(&opj_version) mVersion = nullptr;
    decltype(&opj_create_decompress) mCreateDecompress = nullptr;
    decltype(&opj_destroy_codec) mDestroyCodec = nullptr;
    decltype(&opj_set_default_decoder_parameters) mSetDefaultDecoderParameters = nullptr;
    decltype(&opj_setup_decoder) mSetupDecoder = nullptr;
    decltype(&opj_set_error_handler) mSetErrorHandler = nullptr;
    decltype(&opj_set_warning_handler) mSetWarningHandler = nullptr;
    decltype(&opj_set_info_handler) mSetInfoHandler = nullptr;
    decltype(&opj_stream_create) mStreamCreate = nullptr;
    decltype(&opj_stream_destroy) mStreamDestroy = nullptr;
    decltype(&opj_stream_set_read_function) mStreamSetReadFunction = nullptr;
    decltype(&opj_stream_set_skip_function) mStreamSetSkipFunction = nullptr;
    decltype(&opj_stream_set_seek_function) mStreamSetSeekFunction = nullptr;
    decltype(&opj_stream_set_user_data) mStreamSetUserData = nullptr;
    decltype(&opj_stream_set_user_data_length) mStreamSetUserDataLength = nullptr;
    decltype(&opj_read_header) mReadHeader = nullptr;
    decltype(&opj_decode) mDecode = nullptr;
    decltype(&opj_end_decompress) mEndDecompress = nullptr;
    decltype(&opj_image_destroy) mImageDestroy = nullptr;
};

// Written only by LoadJpeg2000Codec and FreeJpeg2000Codec, which run while no image loads.
Codec gCodec;

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool ResolveAll(Codec& codec) {
    void* library = codec.mLibrary;
    return Resolve(library, "opj_version", codec.mVersion) &&
           Resolve(library, "opj_create_decompress", codec.mCreateDecompress) &&
           Resolve(library, "opj_destroy_codec", codec.mDestroyCodec) &&
           Resolve(library, "opj_set_default_decoder_parameters",
                   codec.mSetDefaultDecoderParameters) &&
           Resolve(library, "opj_setup_decoder", codec.mSetupDecoder) &&
           Resolve(library, "opj_set_error_handler", codec.mSetErrorHandler) &&
           Resolve(library, "opj_set_warning_handler", codec.mSetWarningHandler) &&
           Resolve(library, "opj_set_info_handler", codec.mSetInfoHandler) &&
           Resolve(library, "opj_stream_create", codec.mStreamCreate) &&
           Resolve(library, "opj_stream_destroy", codec.mStreamDestroy) &&
           Resolve(library, "opj_stream_set_read_function", codec.mStreamSetReadFunction) &&
           Resolve(library, "opj_stream_set_skip_function", codec.mStreamSetSkipFunction) &&
           Resolve(library, "opj_stream_set_seek_function", codec.mStreamSetSeekFunction) &&
           Resolve(library, "opj_stream_set_user_data", codec.mStreamSetUserData) &&
           Resolve(library, "opj_stream_set_user_data_length", codec.mStreamSetUserDataLength) &&
           Resolve(library, "opj_read_header", codec.mReadHeader) &&
           Resolve(library, "opj_decode", codec.mDecode) &&
           Resolve(library, "opj_end_decompress", codec.mEndDecompress) &&
           Resolve(library, "opj_image_destroy", codec.mImageDestroy);
}

// The codec's messages are not shown: a file it cannot decode just gives no image.
void IgnoreMessage(const char*, void*) {}

OPJ_SIZE_T ReadThroughPak(void* buffer, OPJ_SIZE_T count, void* file) {
    size_t read = pak_fread(buffer, 1, count, static_cast<PakFile*>(file));
    return read > 0 ? read : OPJ_SIZE_T(-1);
}

OPJ_OFF_T SkipThroughPak(OPJ_OFF_T count, void* file) {
    return pak_fseek(static_cast<PakFile*>(file), long(count), SEEK_CUR) == 0 ? count : -1;
}

OPJ_BOOL SeekThroughPak(OPJ_OFF_T offset, void* file) {
    return pak_fseek(static_cast<PakFile*>(file), long(offset), SEEK_SET) == 0;
}

// Which of the two layouts the file has: a JP2 file (signature box) or a bare code stream
// (start-of-code-stream and size markers).
bool DetectFormat(PakFile* file, OPJ_CODEC_FORMAT& format) {
    static const uint8_t kJp2Signature[] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
    static const uint8_t kCodeStreamStart[] = {0xFF, 0x4F, 0xFF, 0x51};
    uint8_t head[sizeof kJp2Signature] = {};
    const long start = pak_ftell(file);
    const size_t read = pak_fread(head, 1, sizeof head, file);
    if (start < 0 || pak_fseek(file, start, SEEK_SET) != 0)
        return false;
    if (read == sizeof head && std::memcmp(head, kJp2Signature, sizeof head) == 0) {
        format = OPJ_CODEC_JP2;
        return true;
    }
    if (read >= sizeof kCodeStreamStart &&
        std::memcmp(head, kCodeStreamStart, sizeof kCodeStreamStart) == 0) {
        format = OPJ_CODEC_J2K;
        return true;
    }
    return false;
}

uint32_t ReadBigEndian(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// A JP2 box header: the type and the length of the content; the content runs to the end of
// the file when the box says so (length 0).
struct Box {
    char mType[4];
    uint64_t mContent;
};

bool ReadBox(PakReader& in, Box& box) {
    uint8_t header[8];
    if (!in.Read(header, sizeof header))
        return false;
    std::memcpy(box.mType, header + 4, 4);
    uint64_t length = ReadBigEndian(header, 4);
    uint64_t headerSize = 8;
    if (length == 1) { // a 64-bit length follows
        uint8_t extended[8];
        if (!in.Read(extended, sizeof extended))
            return false;
        length = uint64_t(ReadBigEndian(extended, 4)) << 32 | ReadBigEndian(extended + 4, 4);
        headerSize = 16;
    }
    box.mContent = length == 0 ? in.Remaining() : length - headerSize;
    return length == 0 || (length >= headerSize && box.mContent <= in.Remaining());
}

bool IsBox(const Box& box, const char* type) {
    return std::memcmp(box.mType, type, 4) == 0;
}

// The number of channels a palette box ("pclr") in the JP2 header box makes; 0 without one.
bool ReadPaletteChannels(PakReader& in, uint64_t headerBytes, uint32_t& channels) {
    while (headerBytes > 0) {
        const uint64_t before = in.Remaining();
        Box box;
        if (!ReadBox(in, box))
            return false;
        const uint64_t boxBytes = before - in.Remaining() + box.mContent;
        if (boxBytes > headerBytes)
            return false;
        headerBytes -= boxBytes;
        uint8_t palette[3]; // entries (2 bytes), channels
        if (IsBox(box, "pclr")) {
            if (box.mContent < sizeof palette || !in.Read(palette, sizeof palette))
                return false;
            channels = palette[2];
            box.mContent -= sizeof palette;
        }
        if (!in.Skip(box.mContent))
            return false;
    }
    return true;
}

// What the headers of a file claim, read before the codec sees them: the codec allocates for
// every tile and component of the code stream, and for every channel of a JP2 palette, while
// it reads the header.
struct Claims {
    uint64_t mWidth = 0;
    uint64_t mHeight = 0;
    uint64_t mTiles = 0;
    uint32_t mComponents = 0;
    uint32_t mPaletteChannels = 0;
};

// The start of the code stream and its image and tile size marker (SIZ), which must follow it.
bool ReadCodeStreamClaims(PakReader& in, Claims& claims) {
    // SOC, SIZ, its length, capabilities; the eight 32-bit sizes and offsets; the components.
    uint8_t marker[8 + 32 + 2];
    if (!in.Read(marker, sizeof marker) || ReadBigEndian(marker, 4) != 0xFF4FFF51)
        return false;
    uint32_t field[8]; // Xsiz, Ysiz, XOsiz, YOsiz, XTsiz, YTsiz, XTOsiz, YTOsiz
    for (int i = 0; i < 8; ++i)
        field[i] = ReadBigEndian(marker + 8 + 4 * i, 4);
    const auto [x1, y1, x0, y0, tileWidth, tileHeight, tileX0, tileY0] = field;
    if (x0 >= x1 || y0 >= y1 || tileWidth == 0 || tileHeight == 0 || tileX0 > x0 || tileY0 > y0)
        return false;
    claims.mWidth = x1 - x0;
    claims.mHeight = y1 - y0;
    claims.mTiles = (uint64_t(x1 - tileX0) + tileWidth - 1) / tileWidth *
                    ((uint64_t(y1 - tileY0) + tileHeight - 1) / tileHeight);
    claims.mComponents = ReadBigEndian(marker + 40, 2);
    return true;
}

// Walks a JP2 file's boxes up to the code stream box ("jp2c"), noting a palette on the way.
bool ReadJp2Claims(PakReader& in, Claims& claims) {
    for (;;) {
        Box box;
        if (!ReadBox(in, box))
            return false;
        if (IsBox(box, "jp2c"))
            return ReadCodeStreamClaims(in, claims);
        if (IsBox(box, "jp2h") ? !ReadPaletteChannels(in, box.mContent, claims.mPaletteChannels)
                               : !in.Skip(box.mContent))
            return false;
    }
}

// Whether what the headers claim fits the size cap and the codec's allowance; the file is read
// from its position, which is kept.
bool ClaimsFitCaps(PakFile* file, OPJ_CODEC_FORMAT format) {
    const long start = pak_ftell(file);
    Claims claims;
    bool read;
    {
        PakReader in(file);
        read = format == OPJ_CODEC_JP2 ? ReadJp2Claims(in, claims) : ReadCodeStreamClaims(in, claims);
    }
    if (start < 0 || pak_fseek(file, start, SEEK_SET) != 0 || !read)
        return false;
    // A palette adds full-size channels to the components the codec already holds.
    const uint64_t planes = uint64_t(claims.mComponents) + claims.mPaletteChannels;
    return FitsImageCap(claims.mWidth, claims.mHeight) && claims.mTiles <= kMaxTiles &&
           claims.mComponents >= 1 && claims.mComponents <= kMaxComponents &&
           claims.mPaletteChannels <= kMaxComponents &&
           planes * claims.mWidth * claims.mHeight * 4 <= kMaxImageBytes;
}

// One component's sample for the image pixel (x, y), as 8 bits.
class ComponentReader {
public:
    ComponentReader(const opj_image_t& image, const opj_image_comp_t& component)
        : mComponent(component), mImageX0(image.x0), mImageY0(image.y0) {
        mShift = component.prec > 8 ? int(component.prec) - 8 : 0;
        mMax = (1 << std::min<int>(int(component.prec), 8)) - 1;
        mOffset = component.sgnd ? 1 << (component.prec - 1) : 0;
    }

    bool IsUsable() const {
        return mComponent.data && mComponent.w > 0 && mComponent.h > 0 && mComponent.dx > 0 &&
               mComponent.dy > 0 && mComponent.prec >= 1 && mComponent.prec <= kMaxPrecision;
    }

    uint32_t Sample(uint32_t x, uint32_t y) const {
        const uint32_t cx = Clamp((mImageX0 + x) / mComponent.dx, mComponent.x0, mComponent.w);
        const uint32_t cy = Clamp((mImageY0 + y) / mComponent.dy, mComponent.y0, mComponent.h);
        int64_t value = int64_t(mComponent.data[size_t(cy) * mComponent.w + cx]) + mOffset;
        value = std::clamp<int64_t>(value >> mShift, 0, mMax);
        return uint32_t(mMax == 255 ? value : value * 255 / mMax);
    }

private:
    static uint32_t Clamp(uint32_t position, uint32_t origin, uint32_t size) {
        return position < origin ? 0 : std::min(position - origin, size - 1);
    }

    const opj_image_comp_t& mComponent;
    uint32_t mImageX0;
    uint32_t mImageY0;
    int mShift = 0;
    int64_t mMax = 255;
    int64_t mOffset = 0;
};

// Grey from one component, colour from the first three; always opaque.
std::unique_ptr<Image> ConvertImage(const opj_image_t& decoded, std::unique_ptr<Image> image) {
    if (decoded.numcomps < 1 || !decoded.comps)
        return nullptr;
    const bool color = decoded.numcomps >= 3;
    const ComponentReader red(decoded, decoded.comps[0]);
    const ComponentReader green(decoded, decoded.comps[color ? 1 : 0]);
    const ComponentReader blue(decoded, decoded.comps[color ? 2 : 0]);
    if (!red.IsUsable() || !green.IsUsable() || !blue.IsUsable())
        return nullptr;
    uint32_t* out = image->GetBits();
    for (int y = 0; y < image->GetHeight(); ++y)
        for (int x = 0; x < image->GetWidth(); ++x)
            *out++ =
                0xFF000000 | red.Sample(x, y) << 16 | green.Sample(x, y) << 8 | blue.Sample(x, y);
    return image;
}

// Whether the picture fits the size cap, and whether the codec's own buffers do: while it
// decodes, the codec holds every component as 32-bit samples, as many as the component has at
// its sampling step. Nothing has been decoded yet when this is asked.
bool FitsMemoryCaps(const opj_image_t& header) {
    if (header.x1 <= header.x0 || header.y1 <= header.y0 || !header.comps ||
        header.numcomps < 1 || header.numcomps > kMaxComponents)
        return false;
    const uint64_t width = header.x1 - header.x0;
    const uint64_t height = header.y1 - header.y0;
    if (!FitsImageCap(width, height))
        return false;
    uint64_t codecBytes = 0;
    for (uint32_t i = 0; i < header.numcomps; ++i) {
        const opj_image_comp_t& component = header.comps[i];
        if (component.dx == 0 || component.dy == 0)
            return false;
        codecBytes += (width + component.dx - 1) / component.dx *
                      ((height + component.dy - 1) / component.dy) * 4;
    }
    return codecBytes <= kMaxImageBytes;
}

std::unique_ptr<Image> DecodeWithCodec(const Codec& codec, opj_codec_t* decoder,
                                       opj_stream_t* stream) {
    codec.mSetErrorHandler(decoder, IgnoreMessage, nullptr);
    codec.mSetWarningHandler(decoder, IgnoreMessage, nullptr);
    codec.mSetInfoHandler(decoder, IgnoreMessage, nullptr);
    opj_dparameters_t parameters;
    codec.mSetDefaultDecoderParameters(&parameters);
    if (!codec.mSetupDecoder(decoder, &parameters))
        return nullptr;
    opj_image_t* decoded = nullptr;
    const bool haveHeader = codec.mReadHeader(stream, decoder, &decoded);
    if (!decoded)
        return nullptr;
    std::unique_ptr<Image> image;
    if (haveHeader && FitsMemoryCaps(*decoded))
        image = Image::Create(int(decoded->x1 - decoded->x0), int(decoded->y1 - decoded->y0),
                              Image::Fill::Unset);
    if (image && codec.mDecode(decoder, stream, decoded) && codec.mEndDecompress(decoder, stream))
        image = ConvertImage(*decoded, std::move(image));
    else
        image.reset();
    codec.mImageDestroy(decoded);
    return image;
}

} // namespace

bool LoadJpeg2000Codec(const char* library) {
    FreeJpeg2000Codec();
    Codec codec;
    codec.mLibrary = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!codec.mLibrary)
        return false;
    const char* version = ResolveAll(codec) ? codec.mVersion() : nullptr;
    if (!version || std::atoi(version) < 2) {
        dlclose(codec.mLibrary);
        return false;
    }
    gCodec = codec;
    return true;
}

void FreeJpeg2000Codec() {
    if (gCodec.mLibrary)
        dlclose(gCodec.mLibrary);
    gCodec = Codec();
}

bool IsJpeg2000CodecLoaded() {
    return gCodec.mLibrary != nullptr;
}

std::unique_ptr<Image> DecodeJpeg2000(PakFile* file) {
    const Codec& codec = gCodec;
    OPJ_CODEC_FORMAT format;
    if (!codec.mLibrary || !DetectFormat(file, format) || !ClaimsFitCaps(file, format))
        return nullptr;
    opj_stream_t* stream = codec.mStreamCreate(kStreamBufferSize, OPJ_TRUE);
    opj_codec_t* decoder = codec.mCreateDecompress(format);
    std::unique_ptr<Image> image;
    if (stream && decoder) {
        codec.mStreamSetReadFunction(stream, ReadThroughPak);
        codec.mStreamSetSkipFunction(stream, SkipThroughPak);
        codec.mStreamSetSeekFunction(stream, SeekThroughPak);
        codec.mStreamSetUserData(stream, file, nullptr);
        codec.mStreamSetUserDataLength(stream, PakBytesLeft(file));
        image = DecodeWithCodec(codec, decoder, stream);
    }
    if (decoder)
        codec.mDestroyCodec(decoder);
    if (stream)
        codec.mStreamDestroy(stream);
    return image;
}

} // namespace ravix::ImageLib

// Reads the input as a font descriptor (every layer image is the same small in-memory strip) and
// as a character-widths file, then measures and draws text with the font at several sizes,
// scales and tags.
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace ravix;

namespace {

// 16 x 8 pixels of every alpha class.
std::shared_ptr<MemoryImage> MakeStrip() {
    std::vector<uint32_t> pixels(16 * 8);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (i % 3 == 0 ? 0u : i % 3 == 1 ? 0xFFu : 0x80u) << 24 | uint32_t(i * 0x10305);
    auto image = std::make_shared<MemoryImage>();
    image->SetPixels(pixels.data(), 16, 8, true);
    return image;
}

void Exercise(ImageFont& font) {
    static const std::string kText = "AaBb Cc,.'\"\x80\xFFZ";
    MemoryImage target;
    target.Create(48, 24);
    target.GetPixels();
    Graphics g(&target);
    std::vector<Rect> rects;
    int width = 0;
    font.StringWidth(kText);
    font.DrawStringFull(g, 3, 12, kText, Color(200, 100, 50, 255), g.GetClipRect(), &rects, &width);
    if (font.IsLoaded() && rects.size() != kText.size() * font.GetActiveLayers().size())
        std::abort(); // one rectangle per character and active layer
    (void)font.GetDefine("A");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput("font.txt", data, size);
    ImageFont font(nullptr, path, [](const std::string&) {
        return FontLayerImage{MakeStrip(), true};
    });
    if (!font.IsLoaded() && font.GetFontData().mMessages.empty())
        std::abort(); // a descriptor that failed always says why
    Exercise(font);
    if (font.IsLoaded()) {
        auto copy = font.Duplicate();
        for (int pointSize : {1, font.GetDefaultPointSize() * 2, 48}) {
            font.SetPointSize(pointSize);
            Exercise(font);
        }
        font.AddTag("bold");
        font.SetScale(0.5);
        Exercise(font);
        Exercise(static_cast<ImageFont&>(*copy));
    }

    ImageFont widths(MakeStrip(), path);
    Exercise(widths);
    return 0;
}

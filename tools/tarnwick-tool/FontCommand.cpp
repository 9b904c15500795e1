// tarnwick-tool font: look at fonts the way the program draws them.
#include "ToolCommands.h"

#include "files/ImageLib.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace tarnwick::tool {

namespace {

using ravix::Rect;

constexpr const char* kSystemPrefix = "sys:";
constexpr int kMargin = 2;
constexpr int kMaxPointSize = 1000;
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

std::string WithLineFeeds(std::string text) {
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

// "sys:FACE:SIZE" makes a system font; false for a malformed size.
bool MakeSystemFont(const std::string& spec, std::unique_ptr<ravix::Font>& font) {
    const std::string rest = spec.substr(std::string(kSystemPrefix).size());
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos)
        return false;
    const std::string size = rest.substr(colon + 1);
    if (size.empty() || size.size() > 4 ||
        !std::all_of(size.begin(), size.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int pointSize = std::stoi(size);
    if (pointSize < 1 || pointSize > kMaxPointSize)
        return false;
    font = std::make_unique<ravix::SysFont>(rest.substr(0, colon), pointSize);
    return true;
}

// Reads a font descriptor; its error messages go to stderr.
std::unique_ptr<ravix::Font> LoadImageFont(const std::string& path) {
    auto font = std::make_unique<ravix::ImageFont>(nullptr, path);
    if (font->IsLoaded())
        return font;
    const auto& messages = font->GetFontData().mMessages;
    if (messages.empty())
        std::fprintf(stderr, "tarnwick-tool: %s: cannot read the font descriptor\n", path.c_str());
    for (const std::string& message : messages)
        std::fprintf(stderr, "%s\n", WithLineFeeds(message).c_str());
    return nullptr;
}

// The area the text covers, relative to its pen start on the baseline: the text box from the
// ascent down to the descent and, for image fonts, every glyph's rectangle.
Rect TextBounds(ravix::Font& font, const std::string& text) {
    int left = 0;
    int top = -font.GetAscent();
    int right = std::max(0, font.StringWidth(text));
    int bottom = top + std::max(0, font.GetHeight());
    if (auto* imageFont = dynamic_cast<ravix::ImageFont*>(&font)) {
        ravix::Graphics measure;
        std::vector<Rect> glyphs;
        imageFont->DrawStringFull(measure, 0, 0, text, ravix::kOpaqueWhite, Rect(), &glyphs);
        for (const Rect& glyph : glyphs) {
            if (glyph.IsEmpty())
                continue;
            left = std::min(left, glyph.mX);
            top = std::min(top, glyph.mY);
            right = std::max(right, glyph.mX + glyph.mWidth);
            bottom = std::max(bottom, glyph.mY + glyph.mHeight);
        }
    }
    return Rect(left, top, right - left, bottom - top);
}

int Render(const std::string& fontSpec, const std::string& text, const std::string& out) {
    std::unique_ptr<ravix::Font> font;
    if (fontSpec.rfind(kSystemPrefix, 0) == 0) {
        if (!MakeSystemFont(fontSpec, font)) {
            std::fprintf(stderr,
                         "tarnwick-tool: %s: expected sys:FACE:SIZE with a size of 1 to %d\n",
                         fontSpec.c_str(), kMaxPointSize);
            return 2;
        }
    } else {
        font = LoadImageFont(fontSpec);
        if (!font)
            return 1;
    }

    const Rect bounds = TextBounds(*font, text);
    const int64_t width = int64_t{bounds.mWidth} + 2 * kMargin;
    const int64_t height = int64_t{bounds.mHeight} + 2 * kMargin;
    if (width * height > kMaxPicturePixels) {
        std::fprintf(stderr, "tarnwick-tool: the text needs a picture of %lld x %lld pixels\n",
                     static_cast<long long>(width), static_cast<long long>(height));
        return 1;
    }
    ravix::MemoryImage picture;
    picture.Create(static_cast<int>(width), static_cast<int>(height));
    if (picture.GetPixels() == nullptr)
        return 1;
    ravix::Graphics g(&picture);
    g.SetFont(font.get());
    g.SetColor(ravix::kOpaqueWhite);
    g.DrawString(text, kMargin - bounds.mX, kMargin - bounds.mY);
    if (!ravix::ImageLib::WritePNG(out, picture.GetPixels(), picture.GetWidth(),
                                   picture.GetHeight())) {
        std::fprintf(stderr, "tarnwick-tool: %s: cannot write the PNG file\n", out.c_str());
        return 1;
    }
    std::printf("%s: %d x %d\n", out.c_str(), picture.GetWidth(), picture.GetHeight());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int RunFontCommand(const Args& args) {
    if (args.size() == 4 && args[0] == "render")
        return Render(args[1], args[2], args[3]);
    if (args.size() == 3 && args[0] == "make")
        return RunFontMake(args[1], args[2]);
    return UsageError();
}

} // namespace tarnwick::tool

#include "graphics/FontData.h"

#include "files/ImageLib.h"
#include "files/PakInterface.h"
#include "graphics/ImageLoader.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageFile.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ravix {

namespace {

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

// The folder part of a path, separator included; empty for a bare file name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Reads whitespace-separated words from a file of the pak layer.
class WordReader {
public:
    explicit WordReader(PakFile* file) : mFile(file) {}

    // The next word, at most kMaxWord characters (a longer word is cut there); false at the end.
    bool Next(std::string& word) {
        static constexpr size_t kMaxWord = 64;
        word.clear();
        int c = pak_fgetc(mFile);
        while (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            c = pak_fgetc(mFile);
        }
        for (;
             c >= 0 && !(c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v');
             c = pak_fgetc(mFile)) {
            if (word.size() < kMaxWord) {
                word += static_cast<char>(c);
            }
        }
        return !word.empty();
    }

    bool NextInt(int& value) {
        std::string word;
        return Next(word) && DescParser::ParseInt(word, value);
    }

private:
    PakFile* mFile;
};

} // namespace

// There is no shared-image cache yet, so every request decodes the file anew.
FontLayerImage LoadFontLayerImage(const std::string& path) {
    auto image = std::make_shared<MemoryImage>();
    if (!ImageLib::LoadImageInto(*image, path, true)) {
        return {};
    }
    return {std::move(image), true};
}

struct FontData::Command {
    const char* mName;
    size_t mParamCount;
    Handler mHandler;
};

const FontData::Command FontData::kCommands[] = {
    {"Define", 2, &FontData::Define},
    {"CreateHorzSpanRectList", 3, &FontData::CreateHorzSpanRectList},
    {"SetDefaultPointSize", 1, &FontData::SetDefaultPointSize},
    {"SetCharMap", 2, &FontData::SetCharMap},
    {"CreateLayer", 1, &FontData::CreateLayer},
    {"CreateLayerFrom", 2, &FontData::CreateLayerFrom},
    {"LayerRequireTags", 2, &FontData::LayerRequireTags},
    {"LayerExcludeTags", 2, &FontData::LayerExcludeTags},
    {"LayerPointRange", 3, &FontData::LayerPointRange},
    {"LayerSetPointSize", 2, &FontData::LayerSetPointSize},
    {"LayerSetHeight", 2, &FontData::LayerSetHeight},
    {"LayerSetImage", 2, &FontData::LayerSetImage},
    {"LayerSetDrawMode", 2, &FontData::LayerSetDrawMode},
    {"LayerSetColorMult", 2, &FontData::LayerSetColorMult},
    {"LayerSetColorAdd", 2, &FontData::LayerSetColorAdd},
    {"LayerSetAscent", 2, &FontData::LayerSetAscent},
    {"LayerSetAscentPadding", 2, &FontData::LayerSetAscentPadding},
    {"LayerSetLineSpacingOffset", 2, &FontData::LayerSetLineSpacingOffset},
    {"LayerSetOffset", 2, &FontData::LayerSetOffset},
    {"LayerSetCharWidths", 3, &FontData::LayerSetCharWidths},
    {"LayerSetSpacing", 2, &FontData::LayerSetSpacing},
    {"LayerSetImageMap", 3, &FontData::LayerSetImageMap},
    {"LayerSetCharOffsets", 3, &FontData::LayerSetCharOffsets},
    {"LayerSetKerningPairs", 3, &FontData::LayerSetKerningPairs},
    {"LayerSetBaseOrder", 2, &FontData::LayerSetBaseOrder},
    {"LayerSetCharOrders", 3, &FontData::LayerSetCharOrders},
};

FontData::FontData(ImageLoader* app, FontImageLoader loader)
    : mApp(app), mLoadImage(std::move(loader)) {
    for (int i = 0; i < 256; ++i) {
        mCharMap[i] = static_cast<uint8_t>(i);
    }
}

bool FontData::Load(const std::string& path) {
    if (mInitialized) {
        return false;
    }
    mSourceFile = path;
    mErrorHeader = "Font Descriptor Error in " + path + "\r\n";
    mInitialized = LoadFile(path);
    return mInitialized;
}

bool FontData::LoadWidths(std::shared_ptr<MemoryImage> image, const std::string& path) {
    if (mInitialized) {
        return false;
    }
    mSourceFile = path;
    const int imageHeight = image ? image->mHeight : 0;
    GlyphLayer& layer = AppendLayer(nullptr);
    layer.mImage = std::move(image);
    layer.mAscent = imageHeight;
    layer.mDefaultHeight = imageHeight;
    mLayerMap[""] = &layer;

    PakFile* file = pak_fopen(path.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    WordReader reader(file);
    int spaceWidth = 0;
    int ascent = 0; // listed for the font's makers; the layer's ascent is the image height
    if (!reader.NextInt(spaceWidth) || !reader.NextInt(ascent)) {
        pak_fclose(file);
        return false;
    }
    layer.mCharData[' '].mWidth = spaceWidth;
    int64_t x = 0;
    std::string token;
    int width = 0;
    while (reader.Next(token) && token.size() == 1 && reader.NextInt(width)) {
        GlyphData& glyph = layer.mCharData[static_cast<uint8_t>(token[0])];
        glyph.mImageRect = Rect(ClampToInt(x), 0, width, imageHeight);
        glyph.mWidth = width;
        x += width;
    }
    pak_fclose(file);

    // Letters of one case without glyphs borrow those of the other case.
    for (int upper = 'A'; upper <= 'Z'; ++upper) {
        const int lower = upper - 'A' + 'a';
        if (layer.mCharData[upper].mWidth == 0 && layer.mCharData[lower].mWidth != 0) {
            mCharMap[upper] = static_cast<uint8_t>(lower);
        } else if (layer.mCharData[lower].mWidth == 0 && layer.mCharData[upper].mWidth != 0) {
            mCharMap[lower] = static_cast<uint8_t>(upper);
        }
    }
    mInitialized = true;
    return true;
}

bool FontData::ReportError(const std::string& text) {
    std::string message = mErrorHeader + text;
    if (CurrentLineNumber() > 0) {
        message +=
            " on Line " + std::to_string(CurrentLineNumber()) + ":\r\n\r\n" + CurrentCommand();
    }
    mMessages.push_back(message);
    if (mApp != nullptr) {
        mApp->ShowMessageBox(message, "Error", kMessageBoxOk | kMessageBoxIconError);
    }
    return DescParser::ReportError(message);
}

GlyphLayer* FontData::FindLayer(const std::string& name) {
    const auto it = mLayerMap.find(UpperCase(name));
    return it == mLayerMap.end() ? nullptr : it->second;
}

GlyphLayer& FontData::AppendLayer(const GlyphLayer* copyOf) {
    GlyphLayer& layer = copyOf ? mLayers.emplace_back(*copyOf) : mLayers.emplace_back();
    layer.mFontData = this;
    return layer;
}

// A name already in use is reported, but loading goes on: the new layer is kept in the list
// and the name keeps naming the earlier layer.
bool FontData::AddNamedLayer(const std::string& name, const GlyphLayer* copyOf) {
    if (mLayers.size() >= kMaxLayers) {
        return ReportError("Too Many Layers");
    }
    GlyphLayer& layer = AppendLayer(copyOf);
    if (!mLayerMap.emplace(UpperCase(name), &layer).second) {
        ReportError("Layer Already Exists");
    }
    return true;
}

bool FontData::OnCommand(const ListDataElement& params) {
    const auto& elements = params.mElements;
    const std::string upperName =
        UpperCase(static_cast<const SingleDataElement&>(*elements[0]).mText);
    for (const Command& command : kCommands) {
        if (upperName != UpperCase(command.mName)) {
            continue;
        }
        if (elements.size() - 1 != command.mParamCount) {
            return ReportError("Invalid Number of Parameters");
        }
        Params rest;
        for (size_t i = 1; i < elements.size(); ++i) {
            rest.push_back(elements[i].get());
        }
        return (this->*command.mHandler)(rest);
    }
    return ReportError("Unknown Command");
}

// Parameter conversion. Each returns false on a parameter of the wrong kind; the command then
// reports the type error.

bool FontData::TypeError() {
    return ReportError("Invalid Paramater Type");
}

bool FontData::GetLayer(const DataElement& element, GlyphLayer*& layer) {
    std::string name;
    if (!ToText(element, name)) {
        return false;
    }
    layer = FindLayer(name);
    if (layer == nullptr) {
        ReportError("Undefined Layer");
        return false;
    }
    return true;
}

bool FontData::GetInt(const DataElement& element, int& value) {
    std::string text;
    return ToText(element, text) && ParseInt(text, value);
}

bool FontData::GetName(const DataElement& element, std::string& name) {
    if (element.IsList()) {
        return false;
    }
    name = Unquote(static_cast<const SingleDataElement&>(element).mText);
    return true;
}

bool FontData::GetChars(const DataElement& element, std::vector<uint8_t>& chars) {
    std::vector<std::string> texts;
    if (!ToTextList(element, texts)) {
        return false;
    }
    chars.clear();
    for (const std::string& text : texts) {
        if (text.size() != 1) {
            return false;
        }
        chars.push_back(static_cast<uint8_t>(text[0]));
    }
    return true;
}

// A list of numbers 0..1 (r, g, b, a; more are ignored) or one packed 0xAARRGGBB integer.
bool FontData::GetColor(const DataElement& element, Color& color) {
    const DataElement* definition =
        element.IsList() ? nullptr
                         : Dereference(static_cast<const SingleDataElement&>(element).mText);
    if (element.IsList() || (definition != nullptr && definition->IsList())) {
        std::vector<double> numbers;
        if (!ToNumberList(element, numbers) || numbers.size() < 4) {
            return false;
        }
        // Values outside 0..1 are held to the channel range.
        auto channel = [](double value) {
            return static_cast<int>(std::clamp(std::trunc(value * 255), 0.0, 255.0));
        };
        color = Color(channel(numbers[0]), channel(numbers[1]), channel(numbers[2]),
                      channel(numbers[3]));
        return true;
    }
    int packed = 0;
    if (!GetInt(element, packed)) {
        return false;
    }
    color = Color::FromPacked(static_cast<uint32_t>(packed));
    return true;
}

bool FontData::GetValues(const DataElement& element, size_t tupleSize,
                         std::vector<std::vector<int>>& values) {
    values.clear();
    if (tupleSize == 0) {
        std::vector<int> ints;
        if (!ToIntList(element, ints)) {
            return false;
        }
        for (int value : ints) {
            values.push_back({value});
        }
        return true;
    }
    ListDataElement list;
    if (!ToElementList(element, list)) {
        return false;
    }
    for (const auto& item : list.mElements) {
        std::vector<int> tuple;
        if (!item->IsList() || !ToIntList(*item, tuple) || tuple.size() != tupleSize) {
            return false;
        }
        values.push_back(std::move(tuple));
    }
    return true;
}

bool FontData::SetPerChar(const Params& params, size_t tupleSize,
                          void (*apply)(GlyphData& glyph, const std::vector<int>& value)) {
    GlyphLayer* layer = nullptr;
    std::vector<uint8_t> chars;
    std::vector<std::vector<int>> values;
    if (!GetLayer(*params[0], layer) || !GetChars(*params[1], chars) ||
        !GetValues(*params[2], tupleSize, values)) {
        return TypeError();
    }
    if (chars.size() != values.size()) {
        return ReportError("List Size Mismatch");
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        apply(layer->mCharData[chars[i]], values[i]);
    }
    return true;
}

bool FontData::SetLayerInt(const Params& params, int GlyphLayer::*field) {
    GlyphLayer* layer = nullptr;
    int value = 0;
    if (!GetLayer(*params[0], layer) || !GetInt(*params[1], value)) {
        return TypeError();
    }
    layer->*field = value;
    return true;
}

bool FontData::SetLayerColor(const Params& params, Color GlyphLayer::*field) {
    GlyphLayer* layer = nullptr;
    Color color;
    if (!GetLayer(*params[0], layer) || !GetColor(*params[1], color)) {
        return TypeError();
    }
    layer->*field = color;
    return true;
}

bool FontData::AddLayerTags(const Params& params, std::vector<std::string> GlyphLayer::*field) {
    GlyphLayer* layer = nullptr;
    std::vector<std::string> tags;
    if (!GetLayer(*params[0], layer) || !ToTextList(*params[1], tags)) {
        return TypeError();
    }
    for (std::string& tag : tags) {
        (layer->*field).push_back(UpperCase(tag));
    }
    return true;
}

// The commands.

bool FontData::Define(const Params& params) {
    std::string name;
    if (!GetName(*params[0], name)) {
        return TypeError();
    }
    const DataElement& value = *params[1];
    if (!value.IsList()) {
        AddDefinition(name, value.Clone());
        return true;
    }
    auto resolved = std::make_unique<ListDataElement>();
    if (!Resolve(static_cast<const ListDataElement&>(value), *resolved)) {
        return false;
    }
    AddDefinition(name, std::move(resolved));
    return true;
}

bool FontData::CreateHorzSpanRectList(const Params& params) {
    std::string name;
    std::vector<int> rect;
    std::vector<int> widths;
    if (!GetName(*params[0], name) || !ToIntList(*params[1], rect) || rect.size() != 4 ||
        !ToIntList(*params[2], widths)) {
        return TypeError();
    }
    auto rects = std::make_unique<ListDataElement>();
    int64_t x = rect[0];
    for (int width : widths) {
        auto item = std::make_unique<ListDataElement>();
        for (int64_t value : {x, int64_t{rect[1]}, int64_t{width}, int64_t{rect[3]}}) {
            item->mElements.push_back(std::make_unique<SingleDataElement>(std::to_string(value)));
        }
        rects->mElements.push_back(std::move(item));
        x += width;
    }
    AddDefinition(name, std::move(rects));
    return true;
}

bool FontData::SetDefaultPointSize(const Params& params) {
    if (!GetInt(*params[0], mDefaultPointSize)) {
        return TypeError();
    }
    return true;
}

bool FontData::SetCharMap(const Params& params) {
    std::vector<uint8_t> from;
    std::vector<uint8_t> to;
    if (!GetChars(*params[0], from) || !GetChars(*params[1], to)) {
        return TypeError();
    }
    if (from.size() != to.size()) {
        return ReportError("List Size Mismatch");
    }
    for (size_t i = 0; i < from.size(); ++i) {
        mCharMap[from[i]] = to[i];
    }
    return true;
}

bool FontData::CreateLayer(const Params& params) {
    std::string name;
    if (!ToText(*params[0], name)) {
        return TypeError();
    }
    return AddNamedLayer(name, nullptr);
}

bool FontData::CreateLayerFrom(const Params& params) {
    std::string name;
    GlyphLayer* source = nullptr;
    if (!ToText(*params[0], name) || !GetLayer(*params[1], source)) {
        return TypeError();
    }
    return AddNamedLayer(name, source);
}

bool FontData::LayerRequireTags(const Params& params) {
    return AddLayerTags(params, &GlyphLayer::mRequiredTags);
}

bool FontData::LayerExcludeTags(const Params& params) {
    return AddLayerTags(params, &GlyphLayer::mExcludedTags);
}

bool FontData::LayerPointRange(const Params& params) {
    GlyphLayer* layer = nullptr;
    int minSize = 0;
    int maxSize = 0;
    if (!GetLayer(*params[0], layer) || !GetInt(*params[1], minSize) ||
        !GetInt(*params[2], maxSize)) {
        return TypeError();
    }
    layer->mMinPointSize = minSize;
    layer->mMaxPointSize = maxSize;
    return true;
}

bool FontData::LayerSetPointSize(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mPointSize);
}

bool FontData::LayerSetHeight(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mHeight);
}

// The file name is taken relative to the descriptor's folder.
bool FontData::LayerSetImage(const Params& params) {
    GlyphLayer* layer = nullptr;
    std::string fileName;
    if (!GetLayer(*params[0], layer) || !ToText(*params[1], fileName)) {
        return TypeError();
    }
    FontLayerImage loaded =
        mLoadImage ? mLoadImage(FolderOf(mSourceFile) + fileName) : FontLayerImage{};
    if (!loaded.mImage) {
        return ReportError("Failed to Load Image");
    }
    if (loaded.mNewlyLoaded) {
        loaded.mImage->Palletize();
    }
    layer->mImage = std::move(loaded.mImage);
    return true;
}

bool FontData::LayerSetDrawMode(const Params& params) {
    GlyphLayer* layer = nullptr;
    int mode = 0;
    if (!GetLayer(*params[0], layer) || !GetInt(*params[1], mode) || (mode != 0 && mode != 1)) {
        return TypeError();
    }
    layer->mDrawMode = mode;
    return true;
}

bool FontData::LayerSetColorMult(const Params& params) {
    return SetLayerColor(params, &GlyphLayer::mColorMult);
}

bool FontData::LayerSetColorAdd(const Params& params) {
    return SetLayerColor(params, &GlyphLayer::mColorAdd);
}

bool FontData::LayerSetAscent(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mAscent);
}

bool FontData::LayerSetAscentPadding(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mAscentPadding);
}

bool FontData::LayerSetLineSpacingOffset(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mLineSpacingOffset);
}

bool FontData::LayerSetOffset(const Params& params) {
    GlyphLayer* layer = nullptr;
    std::vector<int> offset;
    if (!GetLayer(*params[0], layer) || !ToIntList(*params[1], offset) || offset.size() != 2) {
        return TypeError();
    }
    layer->mOffsetX = offset[0];
    layer->mOffsetY = offset[1];
    return true;
}

bool FontData::LayerSetCharWidths(const Params& params) {
    return SetPerChar(params, 0, [](GlyphData& glyph, const std::vector<int>& value) {
        glyph.mWidth = value[0];
    });
}

bool FontData::LayerSetSpacing(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mSpacing);
}

// Every rectangle must lie inside the layer image (sizes not negative); afterwards the default
// height is the tallest glyph with its vertical offset.
bool FontData::LayerSetImageMap(const Params& params) {
    GlyphLayer* layer = nullptr;
    if (!GetLayer(*params[0], layer)) {
        return TypeError();
    }
    if (!layer->mImage) {
        return ReportError("Layer image not set");
    }
    std::vector<uint8_t> chars;
    std::vector<std::vector<int>> rects;
    if (!GetChars(*params[1], chars) || !GetValues(*params[2], 4, rects)) {
        return TypeError();
    }
    if (chars.size() != rects.size()) {
        return ReportError("List Size Mismatch");
    }
    const int64_t imageWidth = layer->mImage->mWidth;
    const int64_t imageHeight = layer->mImage->mHeight;
    for (size_t i = 0; i < chars.size(); ++i) {
        const std::vector<int>& r = rects[i];
        if (r[0] < 0 || r[1] < 0 || r[2] < 0 || r[3] < 0 || int64_t{r[0]} + r[2] > imageWidth ||
            int64_t{r[1]} + r[3] > imageHeight) {
            return ReportError("Image rectangle out of bounds");
        }
        layer->mCharData[chars[i]].mImageRect = Rect(r[0], r[1], r[2], r[3]);
    }
    int64_t tallest = std::numeric_limits<int64_t>::min();
    for (const GlyphData& glyph : layer->mCharData) {
        tallest = std::max(tallest, int64_t{glyph.mImageRect.mHeight} + glyph.mOffsetY);
    }
    layer->mDefaultHeight = ClampToInt(tallest);
    return true;
}

bool FontData::LayerSetCharOffsets(const Params& params) {
    return SetPerChar(params, 2, [](GlyphData& glyph, const std::vector<int>& value) {
        glyph.mOffsetX = value[0];
        glyph.mOffsetY = value[1];
    });
}

bool FontData::LayerSetKerningPairs(const Params& params) {
    GlyphLayer* layer = nullptr;
    std::vector<std::string> pairs;
    std::vector<int> values;
    if (!GetLayer(*params[0], layer) || !ToTextList(*params[1], pairs) ||
        !ToIntList(*params[2], values) ||
        std::any_of(pairs.begin(), pairs.end(),
                    [](const std::string& pair) { return pair.size() != 2; })) {
        return TypeError();
    }
    if (pairs.size() != values.size()) {
        return ReportError("List Size Mismatch");
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        layer->mCharData[static_cast<uint8_t>(pairs[i][0])]
            .mKerning[static_cast<uint8_t>(pairs[i][1])] = static_cast<int8_t>(values[i]);
    }
    return true;
}

bool FontData::LayerSetBaseOrder(const Params& params) {
    return SetLayerInt(params, &GlyphLayer::mBaseOrder);
}

bool FontData::LayerSetCharOrders(const Params& params) {
    return SetPerChar(params, 0, [](GlyphData& glyph, const std::vector<int>& value) {
        glyph.mOrder = value[0];
    });
}

} // namespace ravix

#pragma once

#include "files/DescParser.h"
#include "graphics/GlyphLayer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ravix {

class MemoryImage;
class ImageLoader;

// The image of a font layer as an image loader hands it over: null when nothing loads.
struct FontLayerImage {
    std::shared_ptr<MemoryImage> mImage;
    // The image was decoded for this request; only such images are palettised, since others
    // may be in use elsewhere.
    bool mNewlyLoaded = false;
};

using FontImageLoader = std::function<FontLayerImage(const std::string& path)>;

// The image loader fonts use unless given another: the image file loader (alpha files
// included), a new image per call.
FontLayerImage LoadFontLayerImage(const std::string& path);

// The glyph data of an image font, read from a font descriptor (or from an image and a file of
// character widths) and shared between a font and its duplicates. It holds named layers in
// creation order and a character map applied to every character before lookup.
class FontData : public DescParser {
public:
    // A descriptor may create at most this many layers ("Too Many Layers" after that): each
    // holds the data of 256 glyphs.
    static constexpr size_t kMaxLayers = 256;

    explicit FontData(ImageLoader* app = nullptr, FontImageLoader loader = LoadFontLayerImage);

    // Reads the descriptor file; false when this data was loaded before, the file cannot be
    // read or a command fails (each failure shown as an error message).
    [[nodiscard]] bool Load(const std::string& path);
    // The simple format: one unnamed layer with the image, the glyphs side by side in it with
    // the widths listed in the file. False when this data was loaded before or the file cannot
    // be read.
    [[nodiscard]] bool LoadWidths(std::shared_ptr<MemoryImage> image, const std::string& path);

    bool OnCommand(const ListDataElement& params) override;
    // Builds the message (error header, text, line and command when known), shows it through
    // the application and keeps it in mMessages.
    bool ReportError(const std::string& text) override;

    // The layer named so (any case), or null.
    [[nodiscard]] GlyphLayer* FindLayer(const std::string& name);
    [[nodiscard]] uint8_t MapChar(char c) const { return mCharMap[static_cast<uint8_t>(c)]; }

    bool mInitialized = false;
    ImageLoader* mApp = nullptr; // shows the error messages; may be null
    int mDefaultPointSize = 0;
    std::array<uint8_t, 256> mCharMap{};
    std::list<GlyphLayer> mLayers; // creation order; a list keeps the layers where they are
    std::map<std::string, GlyphLayer*> mLayerMap; // upper-case name -> layer
    std::string mSourceFile;
    std::string mErrorHeader;
    std::vector<std::string> mMessages; // every error message shown, in order

private:
    using Params = std::vector<const DataElement*>; // the parameters after the command name
    using Handler = bool (FontData::*)(const Params&);
    struct Command;
    static const Command kCommands[];

    // Appends an empty layer or a copy of copyOf.
    GlyphLayer& AppendLayer(const GlyphLayer* copyOf);
    bool AddNamedLayer(const std::string& name, const GlyphLayer* copyOf);

    bool TypeError();
    bool GetLayer(const DataElement& element, GlyphLayer*& layer);
    bool GetInt(const DataElement& element, int& value);
    bool GetName(const DataElement& element, std::string& name);
    bool GetChars(const DataElement& element, std::vector<uint8_t>& chars);
    bool GetColor(const DataElement& element, Color& color);
    // A list of ints (tupleSize 0) or of lists of tupleSize ints each.
    bool GetValues(const DataElement& element, size_t tupleSize,
                   std::vector<std::vector<int>>& values);
    // "layer, list of chars, list of values": parses all three (type errors first, then a size
    // mismatch) and gives each char's glyph data its value.
    bool SetPerChar(const Params& params, size_t tupleSize,
                    void (*apply)(GlyphData& glyph, const std::vector<int>& value));
    bool SetLayerInt(const Params& params, int GlyphLayer::*field);
    bool SetLayerColor(const Params& params, Color GlyphLayer::*field);
    bool AddLayerTags(const Params& params, std::vector<std::string> GlyphLayer::*field);

    bool Define(const Params& params);
    bool CreateHorzSpanRectList(const Params& params);
    bool SetDefaultPointSize(const Params& params);
    bool SetCharMap(const Params& params);
    bool CreateLayer(const Params& params);
    bool CreateLayerFrom(const Params& params);
    bool LayerRequireTags(const Params& params);
    bool LayerExcludeTags(const Params& params);
    bool LayerPointRange(const Params& params);
    bool LayerSetPointSize(const Params& params);
    bool LayerSetHeight(const Params& params);
    bool LayerSetImage(const Params& params);
    bool LayerSetDrawMode(const Params& params);
    bool LayerSetColorMult(const Params& params);
    bool LayerSetColorAdd(const Params& params);
    bool LayerSetAscent(const Params& params);
    bool LayerSetAscentPadding(const Params& params);
    bool LayerSetLineSpacingOffset(const Params& params);
    bool LayerSetOffset(const Params& params);
    bool LayerSetCharWidths(const Params& params);
    bool LayerSetSpacing(const Params& params);
    bool LayerSetImageMap(const Params& params);
    bool LayerSetCharOffsets(const Params& params);
    bool LayerSetKerningPairs(const Params& params);
    bool LayerSetBaseOrder(const Params& params);
    bool LayerSetCharOrders(const Params& params);

    FontImageLoader mLoadImage;
};

} // namespace ravix

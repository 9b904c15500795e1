// The resource manager's records, manifest parsing, groups, counts and lookups; loading is in

#include "base/AsciiText.h"
// ResourceManagerLoad.cpp.
#include "resources/ResourceManager.h"

#include "files/XMLParser.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <strings.h>

namespace ravix {

namespace {

// Cell counts beyond this make no sense for any image and would only make huge frame tables.
constexpr int kMaxCells = 65535;
// The tags text of a font is cut to this many characters.
constexpr size_t kMaxTagsLength = 1023;

const std::string* Attribute(const XMLItem& element, const char* name) {
    auto found = element.mAttributes.find(name);
    return found == element.mAttributes.end() ? nullptr : &found->second;
}

bool HasAttribute(const XMLItem& element, const char* name) {
    return element.mAttributes.count(name) != 0;
}

// The C library's integer conversion (leading blanks, a sign, the leading digits; 0 when there
// are none), with values beyond the int range clamped instead of undefined.
int ToInt(const std::string& text) {
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

int IntAttribute(const XMLItem& element, const char* name, int absent) {
    const std::string* value = Attribute(element, name);
    return value ? ToInt(*value) : absent;
}

// A number at the start, then another after every ","; an empty text gives one 0.
std::vector<int> IntList(const std::string& text) {
    std::vector<int> values;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        values.push_back(ToInt(text.substr(start, comma - start)));
        if (comma == std::string::npos)
            return values;
        start = comma + 1;
    }
}

// A hexadecimal number as "%x" scans it (leading blanks, a sign, an optional "0x"), kept to 32
// bits; the fallback when no digit is there.
uint32_t HexValue(const std::string& text, uint32_t fallback) {
    size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return fallback;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && HexDigitValue(text[i + 2]) >= 0)
        i += 2;
    uint32_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i, ++digits) {
        value = value * 16 + static_cast<uint32_t>(HexDigitValue(text[i]));
    }
    if (digits == 0)
        return fallback;
    return negative ? 0u - value : value;
}

// A number as "%lf" scans it; the fallback when there is none, or when it is not finite (a
// volume of infinity or NaN means nothing).
double DoubleValue(const std::string& text, double fallback) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value))
        return fallback;
    return value;
}

// The file name of a path without directory and extension: the part after the last "/" or
// "\", up to its last ".".
std::string FileStem(const std::string& path) {
    size_t separator = path.find_last_of("/\\");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string WithoutTrailingSlash(std::string text) {
    if (!text.empty() && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

// Play modes by name, compared without regard to case.
bool ParsePlayMode(const std::string& text, int& mode) {
    static const struct {
        const char* mName;
        int mMode;
    } kModes[] = {{"none", AnimationTiming::kNone},
                  {"once", AnimationTiming::kOnce},
                  {"pingpong", AnimationTiming::kPingPong},
                  {"loop", AnimationTiming::kLoop}};
    for (const auto& entry : kModes) {
        if (strcasecmp(text.c_str(), entry.mName) == 0) {
            mode = entry.mMode;
            return true;
        }
    }
    return false;
}

// Rows and columns below 1 would divide by zero when cells are cut; very large ones are capped.
int CellCount(const XMLItem& element, const char* name) {
    return std::clamp(IntAttribute(element, name, 1), 1, kMaxCells);
}

} // namespace

ResourceManager::ResourceManager(ResourceHost* app) : mApp(app) {}

ResourceManager::~ResourceManager() {
    ReleaseGroup("");
}

bool ResourceManager::HasFailed() const {
    std::lock_guard lock(mMutex);
    return mHadError;
}

std::string ResourceManager::ErrorText() const {
    std::lock_guard lock(mMutex);
    return mErrorText;
}

bool ResourceManager::Fail(const std::string& text) {
    std::lock_guard lock(mMutex);
    if (mHadError)
        return false;
    mHadError = true;
    mErrorText = text;
    if (mParser) {
        if (mParser->LineNumber() > 0)
            mErrorText += " on Line " + std::to_string(mParser->LineNumber());
        if (!mParser->FileName().empty())
            mErrorText += " in File '" + mParser->FileName() + "'";
    }
    return false;
}

void ResourceManager::ClearFailure() {
    std::lock_guard lock(mMutex);
    mHadError = false;
    mErrorText.clear();
}

bool ResourceManager::ParseManifest(const std::string& path) {
    std::lock_guard lock(mMutex);
    mParser = std::make_unique<XMLParser>();
    if (mParser->Open(path))
        ParseManifestItems();
    else
        Fail("Resource file not found: " + path);
    mParser.reset();
    return !mHadError;
}

bool ResourceManager::ReadItem(XMLItem& item) {
    if (mParser->ReadItem(item))
        return true;
    if (mParser->HasError())
        Fail(mParser->ErrorText());
    return false;
}

void ResourceManager::ParseManifestItems() {
    XMLItem item;
    do {
        if (!ReadItem(item)) {
            Fail("Expecting ResourceManifest tag");
            return;
        }
    } while (item.mKind != XMLItem::Kind::Start);
    if (item.mValue != "ResourceManifest") {
        Fail("Expecting ResourceManifest tag");
        return;
    }
    ParseSections();
}

// Inside the manifest, and after its end tag until the end of the file, only Resources
// elements may start.
void ResourceManager::ParseSections() {
    XMLItem item;
    while (ReadItem(item)) {
        if (item.mKind == XMLItem::Kind::Text) {
            Fail("Element Not Expected '" + item.mValue + "'");
            return;
        }
        if (item.mKind != XMLItem::Kind::Start)
            continue;
        if (item.mValue != "Resources") {
            Fail("Invalid Section '" + item.mValue + "'");
            return;
        }
        const std::string* id = Attribute(item, "id");
        if (!id || id->empty()) {
            Fail("No id specified.");
            return;
        }
        mCurrentGroup = *id;
        mGroups[mCurrentGroup];
        if (!ParseResources())
            return;
    }
}

bool ResourceManager::ParseResources() {
    XMLItem item;
    while (ReadItem(item)) {
        if (item.mKind == XMLItem::Kind::End)
            return true; // the reader only lets the Resources end tag through here
        if (item.mKind == XMLItem::Kind::Text)
            return Fail("Element Not Expected '" + item.mValue + "'");
        if (item.mKind != XMLItem::Kind::Start)
            continue;
        bool parsed = false;
        if (item.mValue == "Image")
            parsed = ParseImageResource(item);
        else if (item.mValue == "Sound")
            parsed = ParseSoundResource(item);
        else if (item.mValue == "Font")
            parsed = ParseFontResource(item);
        else if (item.mValue == "SetDefaults")
            parsed = ParseSetDefaults(item);
        else
            return Fail("Invalid Section '" + item.mValue + "'");
        if (!parsed)
            return false;
        XMLItem end;
        if (!ReadItem(end) || end.mKind != XMLItem::Kind::End)
            return Fail("Unexpected element found.");
    }
    // A file that ends inside the group ends the group.
    return !mHadError;
}

BaseRes* ResourceManager::ParseCommonResource(const XMLItem& element, std::unique_ptr<BaseRes> res,
                                              ResMap& map) {
    mLastWasRedefinition = false;
    const std::string* path = Attribute(element, "path");
    if (!path || path->empty()) {
        Fail("No path specified.");
        return nullptr;
    }
    res->mPath = path->front() == '!' ? *path : mDefaultPath + *path;
    res->mFromProgram = *path == "!program";
    const std::string* id = Attribute(element, "id");
    res->mId = mDefaultIdPrefix + (id ? *id : FileStem(res->mPath));
    res->mGroup = mCurrentGroup;
    res->mAttributes = element.mAttributes;

    auto [slot, inserted] = map.try_emplace(res->mId);
    if (inserted) {
        slot->second = std::move(res);
        mGroups[mCurrentGroup].push_back(slot->second.get());
        return slot->second.get();
    }
    Fail("Resource already defined.");
    mLastWasRedefinition = true;
    if (!mAllowRedefinition)
        return nullptr;
    ClearFailure();
    BaseRes& existing = *slot->second;
    existing.mPath = res->mPath;
    existing.mFromProgram = res->mFromProgram;
    existing.mAttributes = std::move(res->mAttributes);
    return &existing;
}

bool ResourceManager::ParseSoundResource(const XMLItem& element) {
    BaseRes* base = ParseCommonResource(element, std::make_unique<SoundRes>(), mSounds);
    if (!base)
        return false;
    auto& res = static_cast<SoundRes&>(*base);
    const std::string* volume = Attribute(element, "volume");
    res.mVolume = volume ? DoubleValue(*volume, -1.0) : -1.0;
    res.mPan = IntAttribute(element, "pan", 0);
    return true;
}

bool ResourceManager::ParseImageResource(const XMLItem& element) {
    BaseRes* base = ParseCommonResource(element, std::make_unique<ImageRes>(), mImages);
    if (!base)
        return false;
    auto& res = static_cast<ImageRes&>(*base);
    res.mPalletize = !HasAttribute(element, "nopal");
    res.mA4R4G4B4 = HasAttribute(element, "a4r4g4b4");
    res.mA8R8G8B8 = HasAttribute(element, "a8r8g8b8");
    res.mDDSurface = HasAttribute(element, "ddsurface");
    res.mPurgeBits = HasAttribute(element, "nobits") ||
                     HasAttribute(element, Is3DAccelerated() ? "nobits3d" : "nobits2d");
    res.mMinimizeSubdivisions = HasAttribute(element, "minsubdivide");
    res.mAutoFindAlpha = !HasAttribute(element, "noalpha");
    const std::string* alphaImage = Attribute(element, "alphaimage");
    res.mAlphaImage = alphaImage ? mDefaultPath + *alphaImage : std::string();
    const std::string* alphaColor = Attribute(element, "alphacolor");
    res.mAlphaColor = alphaColor ? HexValue(*alphaColor, 0xFFFFFF) : 0xFFFFFF;
    const std::string* variant = Attribute(element, "variant");
    res.mVariant = variant ? *variant : std::string();
    const std::string* alphaGrid = Attribute(element, "alphagrid");
    res.mAlphaGrid = alphaGrid ? mDefaultPath + *alphaGrid : std::string();
    res.mRows = CellCount(element, "rows");
    res.mCols = CellCount(element, "cols");

    res.mAnimation = AnimationTiming();
    const std::string* anim = Attribute(element, "anim");
    if (anim && !ParsePlayMode(*anim, res.mAnimation.mPlayMode))
        return Fail("Invalid animation type.");
    if (res.mAnimation.mPlayMode == AnimationTiming::kNone)
        return true;
    AnimationTiming& timing = res.mAnimation;
    timing.mFrameDelay = IntAttribute(element, "framedelay", timing.mFrameDelay);
    const int beginDelay = IntAttribute(element, "begindelay", 0);
    const int endDelay = IntAttribute(element, "enddelay", 0);
    if (const std::string* delays = Attribute(element, "perframedelay")) {
        std::vector<int> values = IntList(*delays);
        for (size_t frame = 0; frame < values.size(); ++frame)
            timing.SetPerFrameDelay(static_cast<int>(frame), values[frame]);
    }
    if (const std::string* frameMap = Attribute(element, "framemap"))
        timing.mFrameMap = IntList(*frameMap);
    timing.Compute(std::max(res.mRows, res.mCols), beginDelay, endDelay);
    return true;
}

bool ResourceManager::ParseFontResource(const XMLItem& element) {
    BaseRes* base = ParseCommonResource(element, std::make_unique<FontRes>(), mFonts);
    if (!base)
        return false;
    auto& res = static_cast<FontRes&>(*base);
    const std::string* image = Attribute(element, "image");
    res.mImagePath = image ? *image : std::string();
    const std::string* tags = Attribute(element, "tags");
    res.mTags = tags ? tags->substr(0, kMaxTagsLength) : std::string();
    res.mSysFont = res.mPath.starts_with("!sys:");
    res.mBold = HasAttribute(element, "bold");
    res.mItalic = HasAttribute(element, "italic");
    res.mShadow = HasAttribute(element, "shadow");
    res.mUnderline = HasAttribute(element, "underline");
    res.mSize = -1;
    if (!res.mSysFont)
        return true;
    res.mPath = res.mPath.substr(5); // the face name
    res.mSize = IntAttribute(element, "size", -1);
    if (res.mSize < 1)
        return Fail("SysFont needs point size");
    return true;
}

bool ResourceManager::ParseSetDefaults(const XMLItem& element) {
    if (const std::string* path = Attribute(element, "path")) {
        // An empty path goes back to the working folder rather than to the root folder.
        std::string folder = WithoutTrailingSlash(*path);
        mDefaultPath = folder.empty() ? std::string() : folder + "/";
    }
    if (const std::string* prefix = Attribute(element, "idprefix"))
        mDefaultIdPrefix = WithoutTrailingSlash(*prefix);
    return true;
}

void ResourceManager::ReleaseGroup(const std::string& group) {
    std::lock_guard lock(mMutex);
    ReleaseResources(mImages, group);
    ReleaseResources(mSounds, group);
    ReleaseResources(mFonts, group);
    // Releasing every record leaves no group loaded.
    if (group.empty())
        mLoadedGroups.clear();
    else
        mLoadedGroups.erase(group);
}

void ResourceManager::ReleaseResources(ResMap& map, const std::string& group) {
    std::lock_guard lock(mMutex);
    for (auto& [id, res] : map)
        if (group.empty() || res->mGroup == group)
            res->ReleaseLoaded();
}

int ResourceManager::CountGroup(const ResMap& map, const std::string& group) const {
    std::lock_guard lock(mMutex);
    if (group.empty())
        return static_cast<int>(map.size());
    return static_cast<int>(std::count_if(map.begin(), map.end(), [&](const auto& entry) {
        return entry.second->mGroup == group && !entry.second->mFromProgram;
    }));
}

int ResourceManager::CountGroupImages(const std::string& group) const {
    return CountGroup(mImages, group);
}

int ResourceManager::CountGroupSounds(const std::string& group) const {
    return CountGroup(mSounds, group);
}

int ResourceManager::CountGroupFonts(const std::string& group) const {
    return CountGroup(mFonts, group);
}

int ResourceManager::CountGroupResources(const std::string& group) const {
    return CountGroupImages(group) + CountGroupSounds(group) + CountGroupFonts(group);
}

bool ResourceManager::IsGroupLoaded(const std::string& group) const {
    std::lock_guard lock(mMutex);
    return mLoadedGroups.count(group) != 0;
}

std::vector<std::string> ResourceManager::GroupIds() const {
    std::lock_guard lock(mMutex);
    std::vector<std::string> ids;
    for (const auto& [id, list] : mGroups)
        ids.push_back(id);
    return ids;
}

namespace {

template <class Res>
const Res* FindRecord(const ResourceManager::ResMap& map, const std::string& id) {
    auto found = map.find(id);
    return found == map.end() ? nullptr : static_cast<const Res*>(found->second.get());
}

} // namespace

const ImageRes* ResourceManager::FindImageRes(const std::string& id) const {
    return FindRecord<ImageRes>(mImages, id);
}

const SoundRes* ResourceManager::FindSoundRes(const std::string& id) const {
    return FindRecord<SoundRes>(mSounds, id);
}

const FontRes* ResourceManager::FindFontRes(const std::string& id) const {
    return FindRecord<FontRes>(mFonts, id);
}

template <class Res, class Value>
Value ResourceManager::LookupLoaded(const ResMap& map, const std::string& id, const char* kind,
                                    Value (*loaded)(const Res&), Value empty) {
    std::lock_guard lock(mMutex);
    if (const Res* res = FindRecord<Res>(map, id)) {
        if (Value value = loaded(*res); value != empty)
            return value;
        if (res->mFromProgram && mAllowMissingProgramResources)
            return empty;
    }
    Fail(std::string(kind) + " resource not found: " + id);
    throw ResourceManagerException(mErrorText);
}

std::shared_ptr<MemoryImage> ResourceManager::LookupImage(const std::string& id) {
    return LookupLoaded<ImageRes, std::shared_ptr<MemoryImage>>(
        mImages, id, "Image", [](const ImageRes& res) { return res.mImage; }, nullptr);
}

int ResourceManager::LookupSound(const std::string& id) {
    return LookupLoaded<SoundRes, int>(
        mSounds, id, "Sound", [](const SoundRes& res) { return res.mSoundId; }, -1);
}

Font* ResourceManager::LookupFont(const std::string& id) {
    return LookupLoaded<FontRes, Font*>(
        mFonts, id, "Font", [](const FontRes& res) { return res.mFont.get(); }, nullptr);
}

} // namespace ravix

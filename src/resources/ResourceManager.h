#pragma once

#include "resources/BaseRes.h"
#include "resources/FontRes.h"
#include "resources/ImageRes.h"
#include "resources/ResourceManagerException.h"
#include "resources/SoundRes.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ravix {

class Font;
class MemoryImage;
class ResourceHost;
class XMLParser;
struct XMLItem;

// Reads resource manifests, keeps one record per declared image, sound and font in named
// groups, loads whole groups (or one resource at a time, so that a loading thread can report
// progress), hands out the loaded objects by id and releases groups again.
//
// Failures are recorded as one error text: only the first since the last clear, with the
// manifest line and file name while a manifest is read. Lookups of resources that are not
// there record their failure and throw ResourceManagerException.
//
// A loading thread may run BeginGroupLoad and LoadNextResource while the main thread looks up
// the resources of groups already loaded. The records' loaded objects and the error text are
// guarded by a lock; files are decoded outside it. The main thread must not use the group being
// loaded, parse or delete the manager until the loading thread has finished.
class ResourceManager {
public:
    using ResMap = std::map<std::string, std::unique_ptr<BaseRes>>;

    // The application supplies the shared-image cache, plain image loading and the sound
    // manager; a manager without one can parse and count but not load.
    explicit ResourceManager(ResourceHost* app);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // Reads a manifest through the file layer; true when no failure is recorded. May run more
    // than once; ids stay unique per type.
    bool ParseManifest(const std::string& path);
    [[nodiscard]] bool HasFailed() const;
    [[nodiscard]] std::string ErrorText() const;

    // Counts the records of a group that the manifest supplies (not "!program"); with an
    // empty group, every record of the type.
    [[nodiscard]] int CountGroupImages(const std::string& group) const;
    [[nodiscard]] int CountGroupSounds(const std::string& group) const;
    [[nodiscard]] int CountGroupFonts(const std::string& group) const;
    [[nodiscard]] int CountGroupResources(const std::string& group) const;

    // Whether LoadResourceGroup loaded the group and it has not been released since.
    [[nodiscard]] bool IsGroupLoaded(const std::string& group) const;
    // The ids of the declared groups, sorted.
    [[nodiscard]] std::vector<std::string> GroupIds() const;
    // The record of an id, or null; for inspection on the main thread.
    [[nodiscard]] const ImageRes* FindImageRes(const std::string& id) const;
    [[nodiscard]] const SoundRes* FindSoundRes(const std::string& id) const;
    [[nodiscard]] const FontRes* FindFontRes(const std::string& id) const;

    // Lookups of "!program" resources that were never supplied return empty instead of failing.
    void SetAllowMissingProgramResources(bool allow) { mAllowMissingProgramResources = allow; }
    // A repeated id updates the record declared first instead of failing.
    void SetAllowRedefinition(bool allow) { mAllowRedefinition = allow; }
    // Whether the last common-attribute parse failed because the id existed.
    [[nodiscard]] bool LastWasRedefinition() const { return mLastWasRedefinition; }

    // Virtual operations, in slot order. The parse operations read the element's attributes
    // into a record (or the defaults) and return false after recording a failure.
    // Applies path and id, copies the attributes and inserts the record into its map and the
    // current group. Returns the record to parse the rest into: the new one, or the existing one
    // when redefinition is allowed; null after a failure.
    virtual BaseRes* ParseCommonResource(const XMLItem& element, std::unique_ptr<BaseRes> res,
                                         ResMap& map);
    virtual bool ParseSoundResource(const XMLItem& element);
    virtual bool ParseImageResource(const XMLItem& element);
    virtual bool ParseFontResource(const XMLItem& element);
    virtual bool ParseSetDefaults(const XMLItem& element);
    // Reads the items of one Resources element up to its end tag or the end of the file.
    virtual bool ParseResources();
    // Releases the loaded objects of a group's records (of every record, and every group, for an
    // empty group name); the records stay and can be loaded again.
    virtual void ReleaseGroup(const std::string& group);
    virtual void ReleaseResources(ResMap& map, const std::string& group);
    virtual bool LoadImage(ImageRes& res);
    virtual bool LoadFont(FontRes& res);
    virtual bool LoadSound(SoundRes& res);
    virtual ~ResourceManager();
    // Loads the next record of the group begun that still needs loading ("!program" records are
    // skipped). False at the end of the group, without a group, once a failure is recorded, or
    // when this load failed.
    virtual bool LoadNextResource();
    // Called on the loading thread after each successful load.
    virtual void OnResourceLoaded(BaseRes& res);
    // Clears the error and starts loading the group from its first record.
    virtual void BeginGroupLoad(const std::string& group);
    // Loads every record of the group that still needs it; a group not declared loads fine.
    virtual bool LoadResourceGroup(const std::string& group);
    // The loaded object of an id. A "!program" record never supplied gives an empty result
    // when that is allowed; any other missing resource records "... resource not found: ID" and
    // throws ResourceManagerException.
    virtual std::shared_ptr<MemoryImage> LookupImage(const std::string& id);
    virtual int LookupSound(const std::string& id);
    virtual Font* LookupFont(const std::string& id);

protected:
    // Records the failure unless one is recorded already; returns false.
    bool Fail(const std::string& text);
    // The display renders in 3D: decides between the "nobits3d" and "nobits2d" attributes.
    // The display layer has no 3D mode, so this is always false.
    [[nodiscard]] bool Is3DAccelerated() const { return false; }

    ResourceHost* mApp = nullptr;

private:
    void ClearFailure();
    void ParseManifestItems();
    void ParseSections();
    // The next item of the manifest; false at its end or after recording the reader's failure.
    bool ReadItem(XMLItem& item);
    [[nodiscard]] bool NeedsLoading(const BaseRes& res) const;
    bool ApplyAlphaImage(const ImageRes& res, MemoryImage& image);
    bool ApplyAlphaGrid(const ImageRes& res, MemoryImage& image);
    // The font a FontRes describes; null after recording a failure.
    std::unique_ptr<Font> MakeFont(FontRes& res, std::shared_ptr<MemoryImage>& image);
    [[nodiscard]] int CountGroup(const ResMap& map, const std::string& group) const;
    // The loaded object of a record; empty for a "!program" record never supplied when that is
    // allowed. Otherwise records "KIND resource not found: ID" and throws.
    template <class Res, class Value>
    Value LookupLoaded(const ResMap& map, const std::string& id, const char* kind,
                       Value (*loaded)(const Res&), Value empty);

    // Guards the error, the records' loaded objects, the loaded groups and the load cursor.
    mutable std::recursive_mutex mMutex;
    std::set<std::string> mLoadedGroups;
    ResMap mImages;
    ResMap mSounds;
    ResMap mFonts;
    std::unique_ptr<XMLParser> mParser; // only while a manifest is read
    std::string mErrorText;
    bool mHadError = false;
    std::string mCurrentGroup;
    std::string mDefaultPath; // ends in "/" unless empty
    std::string mDefaultIdPrefix;
    bool mAllowMissingProgramResources = false;
    bool mAllowRedefinition = false;
    bool mLastWasRedefinition = false;
    std::map<std::string, std::vector<BaseRes*>> mGroups; // declaration order per group
    std::vector<BaseRes*>* mCurrentList = nullptr;
    size_t mCurrentPosition = 0;
};

} // namespace ravix

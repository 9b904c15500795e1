#pragma once

#include <map>
#include <string>

namespace ravix {

// The kinds of resources a manifest declares; the numbers are the record's type.
enum class ResType : int { Image = 0, Sound = 1, Font = 2 };

// One resource declared in a manifest: where it comes from, the group it belongs to and the
// attributes it was declared with. The derived records add the settings of their kind and the
// loaded object.
class BaseRes {
public:
    explicit BaseRes(ResType type) : mType(type) {}
    BaseRes(const BaseRes&) = delete;
    BaseRes& operator=(const BaseRes&) = delete;

    virtual ~BaseRes() = default;
    // Drops the loaded object; the record stays and can be loaded again.
    virtual void ReleaseLoaded() {}

    ResType mType;
    std::string mId;    // full id, prefix included
    std::string mGroup; // the Resources element it was declared in
    std::string mPath;  // after the default path, or a "!" path as written
    std::map<std::string, std::string> mAttributes;
    bool mFromProgram = false; // the path is "!program": the program supplies it
};

} // namespace ravix

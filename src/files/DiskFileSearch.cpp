#include "files/DiskFileSearch.h"

#include <algorithm>
#include <dirent.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>

namespace ravix {

namespace {

// fnmatch treats "[" as the start of a set and "\" as an escape; the patterns of the layer know
// neither.
std::string FnmatchPattern(std::string_view pattern) {
    if (pattern == "*.*")
        return "*";
    std::string out;
    for (char c : pattern) {
        if (c == '[')
            out += "[[]";
        else
            out += c;
    }
    return out;
}

void FillFindData(const std::string& name, const struct stat& info, FindFileData* data) {
    data->mFileAttributes = S_ISDIR(info.st_mode) ? kFileAttributeDirectory : 0;
    data->mLastWriteTime = FileTime::FromUnixTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    data->mLastAccessTime = FileTime::FromUnixTime(info.st_atim.tv_sec, info.st_atim.tv_nsec);
    data->mCreationTime = data->mLastWriteTime; // Linux keeps no creation time in stat
    uint64_t size = S_ISDIR(info.st_mode) ? 0 : uint64_t(info.st_size);
    data->mFileSizeHigh = uint32_t(size >> 32);
    data->mFileSizeLow = uint32_t(size);
    data->mFileName = name;
}

// The first name in the folder (in byte order) that equals name without regard to case.
std::optional<std::string> NameIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (!directory)
        return std::nullopt;
    std::optional<std::string> best;
    while (dirent* item = readdir(directory)) {
        if (strcasecmp(item->d_name, name.c_str()) == 0 && (!best || *best > item->d_name))
            best = item->d_name;
    }
    closedir(directory);
    return best;
}

} // namespace

std::optional<std::string> DiskFileSearch::FindIgnoringCase(std::string_view path) {
    std::string resolved; // the components matched so far, each followed by "/"
    size_t start = 0;
    for (;;) {
        const size_t slash = path.find('/', start);
        const std::string part(
            path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        struct stat info;
        if (part.empty() || part == "." || part == ".." ||
            lstat((resolved + part).c_str(), &info) == 0) {
            resolved += part;
        } else if (std::optional<std::string> found = NameIgnoringCase(resolved, part)) {
            resolved += *found;
        } else {
            return std::nullopt;
        }
        if (slash == std::string_view::npos)
            return resolved;
        resolved += '/';
        start = slash + 1;
    }
}

bool DiskFileSearch::Start(std::string_view pattern, FindFileData* data) {
    std::string path(pattern);
    std::replace(path.begin(), path.end(), '\\', '/');
    size_t slash = path.rfind('/');
    mFolder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string namePattern =
        FnmatchPattern(slash == std::string::npos ? path : path.substr(slash + 1));
    mNames.clear();
    mNext = 0;
    DIR* folder = opendir(mFolder.empty() ? "." : mFolder.c_str());
    if (!folder)
        return false;
    while (dirent* item = readdir(folder)) {
        std::string_view name = item->d_name;
        if (name == "." || name == "..")
            continue;
        if (fnmatch(namePattern.c_str(), item->d_name, FNM_NOESCAPE) == 0)
            mNames.emplace_back(name);
    }
    closedir(folder);
    std::sort(mNames.begin(), mNames.end());
    return Next(data);
}

bool DiskFileSearch::Next(FindFileData* data) {
    while (mNext < mNames.size()) {
        const std::string& name = mNames[mNext++];
        struct stat info;
        // A file removed since the folder was read is skipped.
        if (stat((mFolder + name).c_str(), &info) != 0)
            continue;
        FillFindData(name, info, data);
        return true;
    }
    return false;
}

} // namespace ravix

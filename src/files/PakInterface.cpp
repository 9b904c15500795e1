#include "files/PakInterface.h"

#include "files/PakFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ravix {

PakInterfaceBase* gPakInterfaceSlot = nullptr;

namespace {

bool IsReadMode(const char* mode) {
    return strcasecmp(mode, "r") == 0 || strcasecmp(mode, "rb") == 0 || strcasecmp(mode, "rt") == 0;
}

const uint8_t* EntryBytes(const PakFile* file) {
    return file->mEntry->mArchive->GetData() + file->mEntry->mStart + file->mPosition;
}

size_t BytesLeft(const PakFile* file) {
    return file->mEntry->mSize - file->mPosition;
}

// The next byte of an entry descrambled, skipping carriage returns; -1 at the end.
int NextCharSkippingReturns(PakFile* file) {
    while (BytesLeft(file) > 0) {
        int c = *EntryBytes(file) ^ kPakScrambleByte;
        ++file->mPosition;
        if (c != '\r')
            return c;
    }
    return -1;
}

// Matches an entry key against a normalised pattern: the key starts with the part before the
// "*" and ends with the part after it (any ending for "" or ".*"). A pattern without "*"
// matches no entry.
bool KeyMatches(std::string_view key, std::string_view pattern) {
    size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return false;
    std::string_view prefix = pattern.substr(0, star);
    std::string_view suffix = pattern.substr(star + 1);
    if (!key.starts_with(prefix))
        return false;
    if (suffix.empty() || suffix == ".*")
        return true;
    // The two parts may not overlap: "A*A" does not match "A".
    return key.size() >= prefix.size() + suffix.size() && key.ends_with(suffix);
}

void FillFindData(const PakEntry& entry, FindFileData* data) {
    size_t separator = entry.mName.rfind('\\');
    data->mFileAttributes = 0;
    data->mCreationTime = entry.mFileTime;
    data->mLastAccessTime = entry.mFileTime;
    data->mLastWriteTime = entry.mFileTime;
    data->mFileSizeHigh = uint32_t(uint64_t(entry.mSize) >> 32);
    data->mFileSizeLow = uint32_t(entry.mSize);
    data->mFileName =
        separator == std::string::npos ? entry.mName : entry.mName.substr(separator + 1);
}

} // namespace

PakFile* PakFile::OpenOnDisk(const char* name, const char* mode) {
    if (!name || !mode)
        return nullptr;
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::FILE* stream = std::fopen(path.c_str(), mode);
    // Game data names its files in any case: a read finds the file whose components differ in
    // case only, as archive entries are found.
    if (!stream && (errno == ENOENT || errno == ENOTDIR) && IsReadMode(mode))
        if (std::optional<std::string> found = DiskFileSearch::FindIgnoringCase(path))
            stream = std::fopen(found->c_str(), mode);
    if (!stream)
        return nullptr;
    return new PakFile{nullptr, 0, stream};
}

PakInterface::PakInterface() {
    if (!gPakInterfaceSlot)
        gPakInterfaceSlot = this;
}

PakInterface::~PakInterface() {
    if (gPakInterfaceSlot == this)
        gPakInterfaceSlot = nullptr;
}

bool PakInterface::MountArchive(const std::string& path) {
    std::string error;
    return MountArchive(path, error);
}

bool PakInterface::MountArchive(const std::string& path, std::string& error) {
    std::unique_ptr<PakArchive> archive = PakArchive::Open(path, error);
    if (!archive)
        return false;
    // The archive file itself can be read through the layer, descrambled.
    AddEntry(NormalisePakName(path),
             PakEntry{archive.get(), path, 0, archive->GetSize(), archive->GetFileTime()});
    for (const PakEntry& entry : archive->GetEntries())
        AddEntry(PakKey(entry.mName), entry);
    mArchives.push_back(std::move(archive));
    return true;
}

void PakInterface::AddEntry(std::string key, const PakEntry& entry) {
    mEntries.insert_or_assign(std::move(key), entry);
}

const PakEntry* PakInterface::FindEntry(std::string_view name) const {
    auto found = mEntries.find(NormalisePakName(name));
    return found == mEntries.end() ? nullptr : &found->second;
}

PakFile* PakInterface::OpenFile(const char* name, const char* mode) {
    if (!name || !mode)
        return nullptr;
    if (IsReadMode(mode))
        if (const PakEntry* entry = FindEntry(name))
            return new PakFile{entry, 0, nullptr};
    return PakFile::OpenOnDisk(name, mode);
}

int PakInterface::CloseFile(PakFile* file) {
    if (!file)
        return EOF;
    int result = file->mStream ? std::fclose(file->mStream) : 0;
    delete file;
    return result;
}

int PakInterface::SeekFile(PakFile* file, long offset, int origin) {
    if (!file)
        return -1;
    if (!file->mEntry)
        return std::fseek(file->mStream, offset, origin);
    const int64_t size = int64_t(file->mEntry->mSize);
    int64_t base = 0;
    switch (origin) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = int64_t(file->mPosition);
        break;
    case SEEK_END:
        base = size;
        break;
    default:
        return -1;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, int64_t(offset), &target))
        target = offset < 0 ? 0 : size;
    file->mPosition = size_t(std::clamp<int64_t>(target, 0, size));
    return 0;
}

long PakInterface::TellFile(PakFile* file) {
    if (!file)
        return -1;
    if (!file->mEntry)
        return std::ftell(file->mStream);
    return long(file->mPosition);
}

size_t PakInterface::ReadBytes(void* buffer, size_t elementSize, size_t count, PakFile* file) {
    if (!file)
        return 0;
    if (!file->mEntry)
        return std::fread(buffer, elementSize, count, file->mStream);
    if (elementSize == 0)
        return 0;
    size_t bytes = 0;
    if (__builtin_mul_overflow(elementSize, count, &bytes))
        bytes = SIZE_MAX;
    bytes = std::min(bytes, BytesLeft(file));
    PakScrambleCopy(buffer, EntryBytes(file), bytes);
    file->mPosition += bytes;
    return bytes / elementSize;
}

int PakInterface::ReadChar(PakFile* file) {
    if (!file)
        return EOF;
    if (!file->mEntry)
        return std::fgetc(file->mStream);
    return NextCharSkippingReturns(file);
}

int PakInterface::UnreadChar(int character, PakFile* file) {
    if (!file)
        return EOF;
    if (!file->mEntry)
        return std::ungetc(character, file->mStream);
    if (file->mPosition > 0)
        --file->mPosition;
    return character;
}

char* PakInterface::ReadLine(char* buffer, int length, PakFile* file) {
    if (!file || !buffer || length < 1)
        return nullptr;
    if (!file->mEntry)
        return std::fgets(buffer, length, file->mStream);
    int stored = 0;
    while (stored < length - 1) {
        int c = NextCharSkippingReturns(file);
        if (c < 0)
            break;
        buffer[stored++] = char(c);
        if (c == '\n')
            break;
    }
    buffer[stored] = '\0';
    if (stored == 0 && BytesLeft(file) == 0)
        return nullptr;
    return buffer;
}

int PakInterface::AtEnd(PakFile* file) {
    if (!file)
        return 1;
    if (!file->mEntry)
        return std::feof(file->mStream);
    return BytesLeft(file) == 0;
}

PakFindHandle PakInterface::FindFirstFile(const char* pattern, FindFileData* data) {
    if (!pattern || !data)
        return nullptr;
    auto find = std::make_unique<PakFindState>();
    find->mPattern = pattern;
    find->mKeyPattern = NormalisePakName(pattern);
    if (!FindNextFile(find.get(), data))
        return nullptr;
    return find.release();
}

bool PakInterface::FindNextFile(PakFindHandle find, FindFileData* data) {
    if (!find || !data)
        return false;
    if (find->mOnDisk)
        return find->mDisk.Next(data);
    if (const PakEntry* entry = NextMatchingEntry(*find)) {
        FillFindData(*entry, data);
        return true;
    }
    find->mOnDisk = true;
    return find->mDisk.Start(find->mPattern, data);
}

bool PakInterface::FindClose(PakFindHandle find) {
    delete find;
    return true;
}

const PakEntry* PakInterface::NextMatchingEntry(PakFindState& find) const {
    // Matching keys all begin with the part before the "*", so they form one run of the map.
    std::string_view prefix = find.mKeyPattern;
    prefix = prefix.substr(0, prefix.find('*'));
    auto it = find.mLastKey ? mEntries.upper_bound(*find.mLastKey)
                            : mEntries.lower_bound(std::string(prefix));
    for (; it != mEntries.end() && it->first.starts_with(prefix); ++it) {
        if (KeyMatches(it->first, find.mKeyPattern)) {
            find.mLastKey = it->first;
            return &it->second;
        }
    }
    return nullptr;
}

} // namespace ravix

#include "files/PakFormat.h"

#include "base/AsciiText.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace ravix {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool SameNameCharacter(char a, char b) {
    if (IsSeparator(a) && IsSeparator(b))
        return true;
    return ToUpperAscii(a) == ToUpperAscii(b);
}

std::string CurrentDirectory() {
    std::string buffer(256, '\0');
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

// An absolute name below the current working directory becomes relative to it. The comparison
// ignores case and treats both separators alike, as the rest of the normalisation does.
std::string_view StripWorkingDirectory(std::string_view name) {
    if (name.empty() || name[0] != '/')
        return name;
    std::string cwd = CurrentDirectory();
    if (cwd.empty())
        return name;
    if (!IsSeparator(cwd.back()))
        cwd += '/';
    if (name.size() < cwd.size())
        return name;
    for (size_t i = 0; i < cwd.size(); ++i)
        if (!SameNameCharacter(name[i], cwd[i]))
            return name;
    return name.substr(cwd.size());
}

// Removes the last component written and the separator after it.
void CutLastComponent(std::string& out) {
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    size_t separator = out.rfind('\\');
    out.resize(separator == std::string::npos ? 0 : separator + 1);
}

} // namespace

void PakScrambleCopy(void* destination, const void* source, size_t count) {
    auto* out = static_cast<uint8_t*>(destination);
    auto* in = static_cast<const uint8_t*>(source);
    constexpr uint64_t kWordMask = 0x0101010101010101ull * kPakScrambleByte;
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        uint64_t words[4];
        std::memcpy(words, in + i, sizeof words);
        for (uint64_t& word : words)
            word ^= kWordMask;
        std::memcpy(out + i, words, sizeof words);
    }
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, in + i, 8);
        word ^= kWordMask;
        std::memcpy(out + i, &word, 8);
    }
    for (; i < count; ++i)
        out[i] = in[i] ^ kPakScrambleByte;
}

std::string PakKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = ToUpperAscii(c);
    return key;
}

std::string NormalisePakName(std::string_view name) {
    name = StripWorkingDirectory(name);
    std::string out;
    out.reserve(name.size());
    bool afterSeparator = false;
    size_t i = 0;
    while (i < name.size()) {
        if (IsSeparator(name[i])) {
            if (!afterSeparator)
                out += '\\';
            afterSeparator = true;
            ++i;
        } else if (afterSeparator && name.substr(i, 2) == "..") {
            CutLastComponent(out);
            i += 2;
            // The separators after ".." are not written again.
            afterSeparator = i < name.size() && IsSeparator(name[i]);
            while (i < name.size() && IsSeparator(name[i]))
                ++i;
        } else {
            out += ToUpperAscii(name[i]);
            afterSeparator = false;
            ++i;
        }
    }
    return out;
}

} // namespace ravix

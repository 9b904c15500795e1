#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ravix {

// Setting value types, numbered as the registry numbers them (recorded demos store them).
constexpr uint32_t kSettingString = 1;
constexpr uint32_t kSettingBinary = 3;
constexpr uint32_t kSettingInteger = 4;

struct SettingValue {
    uint32_t mType = kSettingBinary;
    std::vector<uint8_t> mBytes;

    bool operator==(const SettingValue&) const = default;
};

// One registry key's values and sub-keys, kept in a text file in the form of a registry export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\SOFTWARE\Maker\Game]
//   "Volume"=dword:00000055
//   "Name"="text with \"quotes\""
//   "Blob"=hex:01,02,ff
//
//   [HKEY_CURRENT_USER\SOFTWARE\Maker\Game\SubKey]
//   "Other"=hex(7):61,00
//
// Integers (type 4, 4 bytes) are written as "dword:", strings (type 1) in quotes, everything
// else, and strings that quotes cannot hold, as "hex:" (type 3) or "hex(type):". Names of
// sub-keys and values match without regard to ASCII case, as in the registry. Every access reads
// the file anew; a write replaces it atomically. A file that cannot be understood, line by line,
// contributes no values: a line that is not a section, a value or a comment is skipped.
class SettingsStore {
public:
    // Values of one key: by lower-case name, the name as written and the value.
    struct Section {
        std::string mName;
        std::map<std::string, std::pair<std::string, SettingValue>> mValues;
        std::vector<std::string> mOrder; // lower-case names in the order they were added
    };
    // Sections by lower-case sub-key path; "" is the key itself.
    using Document = std::map<std::string, Section>;

    // keyPath is the key below the user's software root, "\"-separated ("Maker\Game").
    SettingsStore(std::string filePath, std::string keyPath);
    // The file of a key: the XDG config folder + "/" + the key path with "/" separators.
    static std::string FilePathForKey(const std::string& keyPath);

    [[nodiscard]] bool Read(std::string_view subKey, std::string_view name,
                            SettingValue& value) const;
    // Fails for names and sub-keys the file cannot hold (control characters) and when the file
    // cannot be written.
    [[nodiscard]] bool Write(std::string_view subKey, std::string_view name,
                             const SettingValue& value);
    void Erase(std::string_view subKey, std::string_view name);

    const std::string& FilePath() const { return mFilePath; }

    static Document Parse(std::string_view text, std::string_view keyPath);
    static std::string Format(const Document& document, std::string_view keyPath);

    static constexpr size_t kMaxFileSize = 1 << 20;

private:
    Document Load() const;
    bool Save(const Document& document) const;

    std::string mFilePath;
    std::string mKeyPath;
};

} // namespace ravix

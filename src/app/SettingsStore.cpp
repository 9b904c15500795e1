#include "app/SettingsStore.h"

#include "base/AsciiText.h"
#include "files/AtomicFile.h"
#include "files/PrivateFolder.h"
#include "files/WholeFile.h"
#include "platform/XdgFolders.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace ravix {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUserSoftwareRoot = "HKEY_CURRENT_USER\\SOFTWARE\\";

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

// One to maxDigits hexadecimal digits and nothing else.
bool ParseHexNumber(std::string_view text, size_t maxDigits, uint32_t& number) {
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    number = 0;
    for (char c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        number = number * 16 + static_cast<uint32_t>(digit);
    }
    return true;
}

// A quoted text starting at text[pos] with the escapes \\ and \"; pos ends after the closing
// quote.
bool ParseQuoted(std::string_view text, size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"') {
        return false;
    }
    ++pos;
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == '"') {
            return true;
        }
        if (c == '\\') {
            if (pos >= text.size() || (text[pos] != '\\' && text[pos] != '"')) {
                return false;
            }
            c = text[pos++];
        }
        out += c;
    }
    return false;
}

// Comma-separated bytes of one or two hexadecimal digits each.
bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& bytes) {
    text = Trim(text);
    if (text.empty()) {
        return true;
    }
    while (true) {
        size_t comma = text.find(',');
        uint32_t byte = 0;
        if (!ParseHexNumber(Trim(text.substr(0, comma)), 2, byte)) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(byte));
        if (comma == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(comma + 1);
    }
}

bool ParseData(std::string_view data, SettingValue& value) {
    data = Trim(data);
    if (data.starts_with('"')) {
        size_t pos = 0;
        std::string text;
        if (!ParseQuoted(data, pos, text) || pos != data.size()) {
            return false;
        }
        value.mType = kSettingString;
        value.mBytes.assign(text.begin(), text.end());
        return true;
    }
    if (data.starts_with("dword:")) {
        uint32_t number = 0;
        if (!ParseHexNumber(data.substr(6), 8, number)) {
            return false;
        }
        value.mType = kSettingInteger;
        value.mBytes = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                        static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
        return true;
    }
    if (data.starts_with("hex:")) {
        value.mType = kSettingBinary;
        return ParseHexBytes(data.substr(4), value.mBytes);
    }
    if (data.starts_with("hex(")) {
        size_t close = data.find("):");
        if (close == std::string_view::npos ||
            !ParseHexNumber(data.substr(4, close - 4), 8, value.mType)) {
            return false;
        }
        return ParseHexBytes(data.substr(close + 2), value.mBytes);
    }
    return false;
}

// The lines of the text, with regedit's continuation (a line ending in "\" goes on with the
// next line) undone.
std::vector<std::string> LogicalLines(std::string_view text) {
    std::vector<std::string> lines;
    bool continuing = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = TrimRight(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (continuing) {
            line = TrimLeft(line);
        }
        bool continues = line.ends_with('\\');
        if (continues) {
            line.remove_suffix(1);
        }
        if (continuing) {
            lines.back() += line;
        } else {
            lines.emplace_back(line);
        }
        continuing = continues;
    }
    return lines;
}

std::string RootSectionName(std::string_view keyPath) {
    return std::string(kUserSoftwareRoot) + std::string(keyPath);
}

void ParseValueLine(std::string_view line, SettingsStore::Section& section) {
    std::string name;
    size_t pos = 0;
    if (line.starts_with('@')) {
        pos = 1;
    } else if (!ParseQuoted(line, pos, name)) {
        return;
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (!rest.starts_with('=')) {
        return;
    }
    SettingValue value;
    if (!ParseData(rest.substr(1), value)) {
        return;
    }
    std::string key = Lower(name);
    auto [entry, added] = section.mValues.try_emplace(key, name, value);
    if (added) {
        section.mOrder.push_back(key);
    } else {
        entry->second.second = std::move(value);
    }
}

std::string QuoteText(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string FormatHexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        text += i == 0 ? "" : ",";
        text += digits;
    }
    return text;
}

std::string FormatData(const SettingValue& value) {
    const std::vector<uint8_t>& bytes = value.mBytes;
    char prefix[32];
    if (value.mType == kSettingInteger && bytes.size() == 4) {
        uint32_t number = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
        std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
        return prefix;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (value.mType == kSettingString && !HasControlCharacter(text)) {
        return QuoteText(text);
    }
    if (value.mType == kSettingBinary) {
        return "hex:" + FormatHexBytes(bytes);
    }
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.mType);
    return prefix + FormatHexBytes(bytes);
}

} // namespace

SettingsStore::SettingsStore(std::string filePath, std::string keyPath)
    : mFilePath(std::move(filePath)), mKeyPath(std::move(keyPath)) {}

std::string SettingsStore::FilePathForKey(const std::string& keyPath) {
    // Empty, "." and ".." parts are dropped so that a key path cannot leave the config folder.
    std::string path = XdgConfigHome();
    size_t start = 0;
    while (start <= keyPath.size()) {
        size_t end = std::min(keyPath.find_first_of("\\/", start), keyPath.size());
        std::string part = keyPath.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..") {
            path += "/" + part;
        }
        start = end + 1;
    }
    return path;
}

SettingsStore::Document SettingsStore::Parse(std::string_view text, std::string_view keyPath) {
    Document document;
    std::string root = Lower(RootSectionName(keyPath));
    Section* section = nullptr;
    for (const std::string& line : LogicalLines(text)) {
        if (line.starts_with('[')) {
            section = nullptr;
            size_t close = line.rfind(']');
            if (close == std::string::npos) {
                continue;
            }
            std::string name = line.substr(1, close - 1);
            std::string lower = Lower(name);
            std::string subKey;
            if (lower == root) {
                subKey.clear();
            } else if (lower.size() > root.size() + 1 && lower.starts_with(root) &&
                       lower[root.size()] == '\\') {
                subKey = name.substr(root.size() + 1);
            } else {
                continue;
            }
            section = &document[Lower(subKey)];
            if (section->mName.empty()) {
                section->mName = subKey;
            }
        } else if (section != nullptr) {
            ParseValueLine(line, *section);
        }
    }
    return document;
}

std::string SettingsStore::Format(const Document& document, std::string_view keyPath) {
    std::string root = RootSectionName(keyPath);
    std::string text = std::string(kHeader) + "\n";
    auto formatSection = [&](const Section& section) {
        text += "\n[" + root + (section.mName.empty() ? "" : "\\" + section.mName) + "]\n";
        for (const std::string& key : section.mOrder) {
            const auto& [name, value] = section.mValues.at(key);
            text += (name.empty() ? "@" : QuoteText(name)) + "=" + FormatData(value) + "\n";
        }
    };
    auto rootSection = document.find("");
    formatSection(rootSection != document.end() ? rootSection->second : Section{});
    for (const auto& [subKey, section] : document) {
        if (!subKey.empty() && !section.mValues.empty()) {
            formatSection(section);
        }
    }
    return text;
}

SettingsStore::Document SettingsStore::Load() const {
    std::string text;
    if (ReadWholeFile(mFilePath, kMaxFileSize, text) != WholeFileResult::kRead) {
        return {};
    }
    return Parse(text, mKeyPath);
}

bool SettingsStore::Save(const Document& document) const {
    (void)MakePrivateFolder(std::filesystem::path(mFilePath).parent_path().string());
    return WriteFileAtomically(mFilePath, Format(document, mKeyPath));
}

bool SettingsStore::Read(std::string_view subKey, std::string_view name,
                         SettingValue& value) const {
    Document document = Load();
    auto section = document.find(Lower(subKey));
    if (section == document.end()) {
        return false;
    }
    auto entry = section->second.mValues.find(Lower(name));
    if (entry == section->second.mValues.end()) {
        return false;
    }
    value = entry->second.second;
    return true;
}

bool SettingsStore::Write(std::string_view subKey, std::string_view name,
                          const SettingValue& value) {
    if (HasControlCharacter(subKey) || HasControlCharacter(name)) {
        return false;
    }
    Document document = Load();
    Section& section = document[Lower(subKey)];
    if (section.mValues.empty() && section.mName.empty()) {
        section.mName = std::string(subKey);
    }
    std::string key = Lower(name);
    auto [entry, added] = section.mValues.try_emplace(key, std::string(name), value);
    if (added) {
        section.mOrder.push_back(key);
    } else if (entry->second.second == value) {
        return true; // unchanged: nothing to write
    } else {
        entry->second.second = value;
    }
    return Save(document);
}

void SettingsStore::Erase(std::string_view subKey, std::string_view name) {
    Document document = Load();
    auto section = document.find(Lower(subKey));
    if (section == document.end() || section->second.mValues.erase(Lower(name)) == 0) {
        return;
    }
    std::erase(section->second.mOrder, Lower(name));
    (void)Save(document);
}

} // namespace ravix

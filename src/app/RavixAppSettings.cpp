#include "app/RavixAppBase.h"

#include <algorithm>

namespace ravix {

namespace {

// The sub-key path before the last "\" of a setting name, and the value name after it.
void SplitSettingName(const std::string& name, std::string& subKey, std::string& valueName) {
    size_t separator = name.rfind('\\');
    subKey = separator == std::string::npos ? std::string() : name.substr(0, separator);
    valueName = separator == std::string::npos ? name : name.substr(separator + 1);
}

} // namespace

// Demo recording writes the outcome of every read and write below, and playback replaces the
// store with the recorded outcomes (once the program is closing, nothing more is read: reads
// fail and writes succeed without touching anything).

std::unique_ptr<SettingsStore> RavixAppBase::OpenSettings(const std::string& name,
                                                          std::string& subKey,
                                                          std::string& valueName) const {
    if (mRegistryKey.empty()) {
        return nullptr;
    }
    SplitSettingName(name, subKey, valueName);
    return std::make_unique<SettingsStore>(SettingsStore::FilePathForKey(mRegistryKey),
                                           mRegistryKey);
}

bool RavixAppBase::ReadSettingRaw(const std::string& name, SettingValue& value, size_t maxLength) {
    if (mRegistryKey.empty()) {
        return false;
    }
    bool replayedRead = false;
    SettingValue replayed;
    if (mDemo.ReplaySettingRead(maxLength, replayedRead, replayed.mType, replayed.mBytes)) {
        if (replayedRead) {
            value = std::move(replayed);
        }
        return replayedRead;
    }
    std::string subKey;
    std::string valueName;
    std::unique_ptr<SettingsStore> store = OpenSettings(name, subKey, valueName);
    const bool read = store != nullptr && store->Read(subKey, valueName, value) &&
                      value.mBytes.size() <= maxLength;
    mDemo.RecordSettingRead(read, value.mType, value.mBytes);
    return read;
}

bool RavixAppBase::WriteSettingRaw(const std::string& name, const SettingValue& value) {
    if (mRegistryKey.empty()) {
        return false;
    }
    bool replayedWrite = false;
    if (mDemo.ReplaySettingWrite(replayedWrite)) {
        return replayedWrite;
    }
    std::string subKey;
    std::string valueName;
    std::unique_ptr<SettingsStore> store = OpenSettings(name, subKey, valueName);
    const bool written = store != nullptr && store->Write(subKey, valueName, value);
    mDemo.RecordSettingWrite(written);
    return written;
}

void RavixAppBase::EraseSetting(const std::string& name) {
    std::string subKey;
    std::string valueName;
    if (std::unique_ptr<SettingsStore> store = OpenSettings(name, subKey, valueName)) {
        store->Erase(subKey, valueName);
    }
}

bool RavixAppBase::ReadSettingInteger(const std::string& name, int& value) {
    SettingValue raw;
    if (!ReadSettingRaw(name, raw, 4) || raw.mBytes.size() != 4) {
        return false;
    }
    const std::vector<uint8_t>& b = raw.mBytes;
    value = static_cast<int>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool RavixAppBase::ReadSettingBool(const std::string& name, bool& value) {
    int number = 0;
    if (!ReadSettingInteger(name, number)) {
        return false;
    }
    value = number != 0;
    return true;
}

bool RavixAppBase::ReadSettingString(const std::string& name, std::string& value) {
    SettingValue raw;
    if (!ReadSettingRaw(name, raw) || raw.mType != kSettingString) {
        return false;
    }
    value.assign(raw.mBytes.begin(), raw.mBytes.end());
    return true;
}

bool RavixAppBase::WriteSettingString(const std::string& name, const std::string& value) {
    return WriteSettingRaw(name, {kSettingString, {value.begin(), value.end()}});
}

bool RavixAppBase::WriteSettingInteger(const std::string& name, int value) {
    auto bits = static_cast<uint32_t>(value);
    return WriteSettingRaw(name,
                           {kSettingInteger,
                            {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                             static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)}});
}

bool RavixAppBase::WriteSettingBool(const std::string& name, bool value) {
    return WriteSettingInteger(name, value ? 1 : 0);
}

void RavixAppBase::ReadSettings() {
    mRegistryKey = GetString("RegistryKey", mRegistryKey);
    int value = 0;
    // Volumes outside 0..100 and mute depths other than 0 and 1 only come from a damaged or
    // hand-edited file; they are brought into range rather than amplifying or sticking.
    if (ReadSettingInteger("MusicVolume", value)) {
        mMusicLevel = std::clamp(value, 0, 100) / 100.0;
    }
    if (ReadSettingInteger("SfxVolume", value)) {
        mEffectsLevel = std::clamp(value, 0, 100) / 100.0;
    }
    if (ReadSettingInteger("Muted", value)) {
        mSilenceDepth = value != 0 ? 1 : 0;
    }
    if (ReadSettingInteger("ScreenMode", value)) {
        mWantWindowed = value == 0;
    }
    if (ReadSettingInteger("PreferredX", value)) {
        mWindowX = value;
    }
    if (ReadSettingInteger("PreferredY", value)) {
        mWindowY = value;
    }
    if (ReadSettingInteger("CustomCursors", value)) {
        SetCustomCursors(value != 0);
    }
    bool flag = false;
    if (ReadSettingBool("WaitForVSync", flag)) {
        mWaitForRefresh = flag;
    }
    if (!mScreenSaverMode) {
        WriteSettingInteger("InProgress", 1);
    }
    mSettingsRead = true;
}

void RavixAppBase::WriteSettings() {
    WriteSettingInteger("MusicVolume", static_cast<int>(mMusicLevel * 100.0));
    WriteSettingInteger("SfxVolume", static_cast<int>(mEffectsLevel * 100.0));
    WriteSettingInteger("Muted", mSilenceDepth - mAutoSilenceDepth > 0 ? 1 : 0);
    WriteSettingInteger("ScreenMode", mWantWindowed ? 0 : 1);
    WriteSettingInteger("PreferredX", mWindowX);
    WriteSettingInteger("PreferredY", mWindowY);
    WriteSettingInteger("CustomCursors", mCustomCursors ? 1 : 0);
    WriteSettingInteger("InProgress", 0);
    WriteSettingBool("WaitForVSync", mWaitForRefresh);
}

} // namespace ravix

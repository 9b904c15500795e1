#pragma once

#include "app/RavixAppBase.h"
#include "platform/headless/HeadlessPlatform.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace ravix::testing {

// A fresh folder standing in for the user's home for one test: XDG_CONFIG_HOME, XDG_DATA_HOME and
// HOME point below it, so nothing reaches the real home folder. Restores the variables and
// removes the folder afterwards.
class TempHome {
public:
    TempHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ravix-test-XXXXXX").string();
        mPath = mkdtemp(pattern.data());
        Set("HOME", mPath + "/home");
        Set("XDG_CONFIG_HOME", mPath + "/config");
        Set("XDG_DATA_HOME", mPath + "/data");
    }
    ~TempHome() {
        for (auto& [name, value] : mSaved) {
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        }
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Path() const { return mPath; }
    std::string Config() const { return mPath + "/config"; }
    std::string Data() const { return mPath + "/data"; }

    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        mSaved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::string mPath;
    std::vector<std::pair<std::string, std::optional<std::string>>> mSaved;
};

inline std::string ReadTextFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void WriteTextFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A window-system message of the given kind and code.
inline PlatformMessage Message(MessageKind kind, int code = 0) {
    PlatformMessage message;
    message.mKind = kind;
    message.mCode = code;
    return message;
}

// A headless application with the test's identity and registry key. It keeps the test's
// working folder.
class HeadlessApp : public RavixAppBase {
public:
    HeadlessApp() : RavixAppBase(std::make_unique<HeadlessPlatform>()) {
        mMakerName = "TestMaker";
        mProductName = "TestGame";
        mRegistryKey = "TestMaker\\TestGame";
        mDataFolder.clear();
        mSilent = true; // no audio output in tests; the audio tests bring a loopback device
    }

    HeadlessPlatform& Headless() { return static_cast<HeadlessPlatform&>(GetPlatform()); }

    // Runs main-loop passes until all work due within the next ms of the virtual clock is done
    // (or the loop is left).
    void RunFor(int64_t ms) {
        int64_t end = Now() + ms;
        bool updated = false;
        while (Now() <= end && RunPass(updated)) {
        }
    }

    // The settings file of the test's registry key.
    std::string SettingsFile() { return SettingsStore::FilePathForKey(mRegistryKey); }

    bool mKeepWorkingFolder = true;

protected:
    bool KeepWorkingFolder(const std::string&) override { return mKeepWorkingFolder; }
};

// A headless application whose widget hooks count what the main loop asks of them instead of
// reaching the widget manager.
class TestApp : public HeadlessApp {
public:
    int mWidgetUpdates = 0;
    int mWidgetDraws = 0;
    int mMarkAllDirtyCount = 0;
    bool mDrawReportsDrawn = true;
    std::function<void()> mOnUpdate;
    std::vector<PlatformMessage> mWindowMessages;

protected:
    bool RunWidgetUpdate() override {
        ++mWidgetUpdates;
        if (mOnUpdate) {
            mOnUpdate();
        }
        return true;
    }
    bool DrawDirtyWidgets() override {
        ++mWidgetDraws;
        return mDrawReportsDrawn;
    }
    void MarkAllWidgetsDirty() override { ++mMarkAllDirtyCount; }
    void HandleWindowMessage(const PlatformMessage& message) override {
        mWindowMessages.push_back(message);
    }
};

} // namespace ravix::testing

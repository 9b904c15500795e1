#include "platform/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace ravix {

namespace {

std::string AbsolutePathFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    std::string path = value;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string HomeFolder() {
    std::string home = AbsolutePathFromEnvironment("HOME");
    if (!home.empty()) {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

std::string FromEnvironmentOrHome(const char* name, const char* belowHome) {
    std::string path = AbsolutePathFromEnvironment(name);
    return path.empty() ? HomeFolder() + belowHome : path;
}

} // namespace

std::string XdgConfigHome() {
    return FromEnvironmentOrHome("XDG_CONFIG_HOME", "/.config");
}

std::string XdgDataHome() {
    return FromEnvironmentOrHome("XDG_DATA_HOME", "/.local/share");
}

std::string XdgRuntimeDir() {
    std::string path = AbsolutePathFromEnvironment("XDG_RUNTIME_DIR");
    return path.empty() ? "/tmp" : path;
}

} // namespace ravix

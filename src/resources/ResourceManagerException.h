#pragma once

#include <exception>
#include <string>

namespace ravix {

// Thrown by the resource manager's lookups of resources that are not there. mText holds the
// manager's error text at the time: the earliest failure not yet cleared.
class ResourceManagerException : public std::exception {
public:
    explicit ResourceManagerException(std::string text) : mText(std::move(text)) {}

    std::string mText;
};

} // namespace ravix

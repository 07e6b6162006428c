#pragma once

#include <stdexcept>
#include <string>

// A failed read or write of the start page; the message is UTF-8 and names the value.
class StartPageError : public std::runtime_error {
public:
    explicit StartPageError(const std::string &message) : std::runtime_error(message) {}
};

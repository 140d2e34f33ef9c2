#pragma once
// A failure of the update work that the player must be told about. The
// message is UTF-8 (convert with WideFromUtf8 for display), so the Chinese
// texts show correctly whatever the system's ANSI code page is.
#include <stdexcept>

class UpdateError : public std::runtime_error {
public:
    explicit UpdateError(const char* utf8Message) : std::runtime_error(utf8Message) {}
};

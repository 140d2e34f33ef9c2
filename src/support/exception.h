#pragma once
// The system's own exception family. Each carries a message for the user.
// They are thrown and caught by value (const reference).
#include <string>

class Exception {
public:
    explicit Exception(std::wstring message = std::wstring()) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
};

class SystemException : public Exception {
public:
    using Exception::Exception;
};

class IOException : public SystemException {
public:
    using SystemException::SystemException;
};

class ArgumentException : public SystemException {
public:
    using SystemException::SystemException;
};

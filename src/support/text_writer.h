#pragma once
// An abstract writer of UTF-16 text.
#include <string>

class TextWriter {
public:
    virtual ~TextWriter() = default;

    virtual void Write(const std::wstring& text) = 0;
    virtual void Flush() = 0;
    virtual void Close() = 0;
};

#pragma once
// Writes UTF-16 text to a Stream as text in the local ANSI code page, without
// a byte-order mark and without a terminating zero.
#include <string>

#include "support/stream.h"
#include "support/text_writer.h"

class StreamWriter : public TextWriter {
public:
    // The stream is not owned and must outlive the writer.
    StreamWriter(Stream& stream, bool autoFlush) : autoFlush_(autoFlush), stream_(stream) {}

    // With automatic flush on, the stream is flushed after every write, also
    // after writing an empty text.
    void Write(const std::wstring& text) override;
    void Flush() override;
    void Close() override;
    // Write(text + CR LF).
    void WriteLine(const std::wstring& text);

private:
    bool autoFlush_;
    Stream& stream_;
};

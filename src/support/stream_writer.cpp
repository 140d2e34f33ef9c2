#include "support/stream_writer.h"

#include "config/text.h"

void StreamWriter::Write(const std::wstring& text) {
    // The whole text is converted and written, zero characters included: a
    // text cut at a zero would lose its line end and run into the next record.
    const std::string bytes = NarrowFromWide(text);
    if (!bytes.empty()) stream_.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (autoFlush_) stream_.Flush();
}

void StreamWriter::Flush() { stream_.Flush(); }

void StreamWriter::Close() { stream_.Close(); }

void StreamWriter::WriteLine(const std::wstring& text) { Write(text + L"\r\n"); }

#pragma once
// The MD5 digest of a local file.
#include <string>

// 32 lower-case hex digits of the file's MD5. The file is read front to back
// in pieces of at most 2048 bytes and shared with every other reader and
// writer while it is read. Raises fw::CFileException when the file cannot be
// opened or read (locked without sharing, no permission, missing).
std::wstring ComputeDigest(const std::wstring& path);

#include "update/digest.h"

#include "config/text.h"
#include "framework/file.h"
#include "update/md5.h"

std::wstring ComputeDigest(const std::wstring& path) {
    fw::CFile file(path, fw::CFile::modeRead | fw::CFile::shareDenyNone);
    const uint64_t length = file.GetLength();
    const uint32_t chunk = length < 2048 ? static_cast<uint32_t>(length) : 2048;
    unsigned char buffer[2048];
    Md5 md5;
    for (;;) {
        const uint32_t n = file.Read(buffer, chunk);
        if (n == 0) break;
        md5.Update(buffer, n);
    }
    file.Close();
    return WideFromUtf8(md5.HexDigest());
}

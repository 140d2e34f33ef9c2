#pragma once
// Where a manifest entry comes from and goes to, whether the local copy must
// be fetched, and fetching it. Log lines go to the channels "loader-download"
// (every transfer that returned) and "loader-error" (failures).
#include "update/file_entry.h"

// Fills url (base URL + name, backslashes kept) and localPath (client root
// folder + name) once, and creates the folders localPath needs.
void ResolvePaths(FileEntry& entry);

// True when the file must be downloaded: it is missing locally or its MD5
// differs from the listed one (hex digits compared in either letter case).
// The client's own configuration file (ClientConfigFileName, matched
// case-sensitively against the name's last component) is never needed while
// CoverClientConfig is false, not even when it is missing. The listed size is
// never compared. Raises fw::CFileException when the local file exists but
// cannot be read.
bool NeedsUpdate(FileEntry& entry);

// Fetches url into localPath, advancing received, and checks the file's MD5
// against the listed one. Raises UpdateError on failure:
//   kFileAccessFailedText  the local file cannot be created or written
//                          ("文件写入失败：" + path on "loader-error") or
//                          read back ("文件读取失败：" + path);
//   kNetworkFailedText     the connection failed during the transfer;
//   kDownloadFailedText    status other than 200, no Content-Length, too few
//                          or too many bytes ("download -> " + url on
//                          "loader-download", then "web 文件缺失：" + url on
//                          "loader-error"), or bytes whose MD5 is not the
//                          listed one ("文件校验失败：" + url on "loader-error").
void Download(FileEntry& entry);

#pragma once
// The update work's messages to the player (UTF-8, shown with WideFromUtf8).
// Constants with static lifetime: task records carry pointers to them.

// A local file could not be read or written (another program holds it).
inline constexpr char kFileAccessFailedText[] = "访问文件异常，请关闭应用程序后再试！";
// The connection failed while a file was being transferred.
inline constexpr char kNetworkFailedText[] = "网络异常，请稍后再试！";
// A file transfer did not complete, or its bytes are not the listed ones.
inline constexpr char kDownloadFailedText[] = "下载文件异常，请稍后再试！";
// The manifest could not be fetched or used.
inline constexpr char kManifestFailedText[] = "下载资源列表异常，请稍后再试！";

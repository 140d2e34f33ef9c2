#pragma once
// Replaces the running loader with a newer one: downloads it beside the
// running executable, writes the update script that swaps the files once this
// process has gone, starts the script and ends the process.
#include <functional>
#include <string>

#include "selfupdate/loader_version.h"
#include "selfupdate/update_script.h"

// Sets the main window's status line; called on the caller's thread.
using StatusSetter = std::function<void(const std::wstring&)>;

// Returns only when no replacement takes place: the server's version is not
// newer than the running loader's, the running executable has no readable
// version resource, or the script could not name the loader's folder or file
// in the ANSI code page (the last two are logged to "loader-error"). Otherwise the
// process ends with exit code 0: after starting the script, or after a box
// without owner ("获取最新版更新程序失败,请稍后再试..." / "异常：" when the
// download fails or is not a newer loader, "请用管理员权限运行！" / "错误提示："
// when the script cannot be created). A network error during the download
// raises UpdateError("网络异常，请稍后再试！") for the caller to show.
void ReplaceLoaderIfNewer(const LoaderVersion& server, const std::wstring& url, const StatusSetter& setStatus);

// The same for the executable at loaderPath instead of the running one.
void ReplaceLoaderIfNewer(const LoaderVersion& server, const std::wstring& url, const StatusSetter& setStatus,
                          const std::wstring& loaderPath);

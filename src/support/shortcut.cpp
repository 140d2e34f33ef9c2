#include "support/shortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/unique_any.h"

void CreateDesktopShortcut(const std::wstring& target, const std::wstring& linkPath) noexcept {
    // A thread already in the multithreaded apartment refuses CoInitialize;
    // the link is then not written rather than the apartment being changed.
    fw::ComScope com;
    if (!com.Ok()) return;

    fw::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.PutVoid()))) {
        return;
    }
    // A link without its target would be worse than none.
    if (FAILED(link->SetPath(target.c_str()))) return;

    fw::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return;
    file->Save(linkPath.c_str(), FALSE);  // a failed save leaves no link: nothing to report
}

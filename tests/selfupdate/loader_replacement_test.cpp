#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/test_folder.h"
#include "config/paths.h"
#include "selfupdate/loader_replacement.h"
#include "version.h"

namespace {

// A replacement that wrongly went ahead would end this process with code 0,
// which would pass for a green run: turn that into a failure.
bool g_mustNotExit = false;

void FailOnExit() {
    if (g_mustNotExit) {
        std::fputs("ReplaceLoaderIfNewer ended the process\n", stderr);
        std::_Exit(3);
    }
}

class ReplaceLoaderIfNewerTest : public testing::Test {
protected:
    void SetUp() override {
        static const bool registered = (std::atexit(&FailOnExit), true);
        (void)registered;
        g_mustNotExit = true;
    }
    void TearDown() override { g_mustNotExit = false; }

    // Runs the step for the loader at path with a server that is never reached;
    // true when it left the status line and the folder alone.
    bool LeavesLoaderAlone(const LoaderVersion& server, const std::wstring& path) {
        int statusCalls = 0;
        ReplaceLoaderIfNewer(server, L"http://127.0.0.1:1/Zav3DLoader.exe",
                             [&](const std::wstring&) { ++statusCalls; }, path);
        return statusCalls == 0 && !PathExists(CombinePath(folder_.Path(), L"NewFile.exe")) &&
               !PathExists(CombinePath(folder_.Path(), L"update.bat"));
    }

    TestFolder folder_;
};

const LoaderVersion kRunning{ZAV3D_VERSION_MAJOR, ZAV3D_VERSION_MINOR, ZAV3D_VERSION_BUILD, ZAV3D_VERSION_REVISION};

}  // namespace

TEST_F(ReplaceLoaderIfNewerTest, EqualOrOlderServerVersionDownloadsNothing) {
    // A copy of this test program carries the loader's version resource.
    const std::wstring loader = CombinePath(folder_.Path(), L"Zav3D Loader 登录器.exe");
    ASSERT_TRUE(CopyFileTo(ModulePath(), loader));

    EXPECT_TRUE(LeavesLoaderAlone(kRunning, loader));
    LoaderVersion older = kRunning;
    if (older.revision > 0) {
        --older.revision;
    } else {
        older = LoaderVersion{0, 9, 9, 9};
    }
    EXPECT_TRUE(LeavesLoaderAlone(older, loader));
}

TEST_F(ReplaceLoaderIfNewerTest, LoaderWithoutVersionResourceNeverUpdatesItself) {
    const std::wstring loader = folder_.Write(L"Zav3DLoader.exe", "MZ without resources");
    EXPECT_TRUE(LeavesLoaderAlone(LoaderVersion{65535, 65535, 65535, 65535}, loader));
}

#pragma once
// A client root folder, a loopback resource server and the logger, set up for
// one test of the update work; the settings are put back afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "loopback_server.h"
#include "common/test_folder.h"

class UpdateFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The messages logged on a channel since the last call, without their
    // time stamps. Closes the log files and removes this channel's.
    std::vector<std::wstring> LoggedLines(const std::wstring& channel);
    std::wstring Root() const { return folder_.Path(); }
    std::wstring Local(const std::wstring& name) const { return folder_ / name; }

    LoopbackServer server_;
    TestFolder folder_;
    Settings saved_;
};

std::wstring HexMd5(const std::string& bytes);

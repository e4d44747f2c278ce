#include <gtest/gtest.h>

#include <QStandardPaths>

#include "model/DataFolder.h"
#include "tests/support/TempDataFolder.h"

namespace {

TEST(DataFolderTest, FollowsTheDataHomeOnEveryCall) {
    TempDataFolder first;
    EXPECT_EQ(SettingsFilePath(), first.root() + QStringLiteral("/Quarnwerk/Vellumo/RIBOLANT.INI"));
    {
        TempDataFolder second;
        EXPECT_EQ(PhraseFilePath(),
                  second.root() + QStringLiteral("/Quarnwerk/Vellumo/RIBOLANT.TXT"));
    }
    EXPECT_EQ(DataFolder(), first.root() + QStringLiteral("/Quarnwerk/Vellumo/"));
}

}  // namespace

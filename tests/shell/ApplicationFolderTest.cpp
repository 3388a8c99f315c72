#include "shell/ApplicationFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace vireo {
namespace {

TEST(ApplicationFolder, WritableFolderKeepsEverythingBesideTheExecutable) {
    QTemporaryDir bin;
    const ApplicationFolders folders = ChooseApplicationFolders(bin.path());
    EXPECT_EQ(folders.data + "|" + folders.icons + "|" + folders.resources,
              bin.path() + "|" + bin.path() + "/Icons|" + bin.path());
    EXPECT_EQ(QDir(bin.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A folder that cannot be written stands in for a system folder: as root every existing folder
// can be written.
TEST(ApplicationFolder, UnwritableFolderUsesTheUserDataFolderAndTheInstalledFiles) {
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir prefix;
    const ApplicationFolders folders = ChooseApplicationFolders(prefix.path() + "/bin");
    EXPECT_EQ(folders.data, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    EXPECT_TRUE(QDir(folders.data).exists());
    EXPECT_EQ(
        folders.icons + "|" + folders.resources,
        prefix.path() + "/share/vireo-decoder/Icons|" + prefix.path() + "/share/vireo-decoder");
    QDir(folders.data).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
}

}  // namespace
}  // namespace vireo

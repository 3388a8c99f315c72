// The station files' save killed (SIGKILL) at every stage: the next start finds the old pair or
// the new pair, never one of each, and no temporary is left behind.
#include "shell/StationFilesCommit.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "stations/StationFiles.h"

namespace vireo {
namespace {

TEST(StationFilesCommit, AKilledSaveLeavesTheOldPairOrTheNewPair) {
    int oldPairs = 0;
    for (int stop = 1; stop <= kStationFilesCommitStages + 1; ++stop) {
        QTemporaryDir folder;
        const QDir dir(folder.path());
        ASSERT_TRUE(CommitStationFiles(folder.path(), "old ini", "old dat"));
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CommitStationFiles(folder.path(), "new ini", "new dat", [stop](int stage) {
                if (stage == stop) ::kill(::getpid(), SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(WIFSIGNALED(status), stop <= kStationFilesCommitStages) << stop;

        RecoverStationFiles(folder.path());
        const std::string pair = test::ReadFile(dir.filePath(kPositionsIniName)) + " / " +
                                 test::ReadFile(dir.filePath(kPositionsDatName));
        const bool old = pair == "old ini / old dat";
        EXPECT_TRUE(old || pair == "new ini / new dat")
            << "stopped after stage " << stop << ": " << pair;
        // Once the new pair counts it stays.
        EXPECT_EQ(old, stop < 3) << stop;
        oldPairs += old;
        EXPECT_EQ(dir.entryList(QDir::Files).join(' ').toStdString(), "Positions.dat Positions.ini")
            << stop;
    }
    EXPECT_EQ(oldPairs, 2);
}

}  // namespace
}  // namespace vireo

#include "shell/ApplicationFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vireo {

namespace {

// Permission bits say little about network folders, access lists or a read-only mount: the only
// sure test is to write.
bool CanWriteIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath("vireo-write-probe-XXXXXX"));
    return probe.open();  // removed when `probe` goes
}

}  // namespace

ApplicationFolders ChooseApplicationFolders(const QString& executableDir) {
    if (CanWriteIn(executableDir)) return {executableDir, executableDir + "/Icons", executableDir};

    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    const QString share = QDir::cleanPath(executableDir + "/../share/vireo-decoder");
    return {data, share + "/Icons", share};
}

}  // namespace vireo

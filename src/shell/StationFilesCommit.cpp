#include "shell/StationFilesCommit.h"

#include <QDir>
#include <QFile>

#include "stations/StationFiles.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#endif

namespace vireo {

namespace {

QString In(const QString& folder, const char* name) {
    return QDir(folder).filePath(QString::fromLatin1(name));
}

QString Pending(const QString& path) {
    return path + QStringLiteral(".new");
}

#ifdef Q_OS_UNIX
bool WriteDurably(const QString& path, const std::string& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

void FlushFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool Replace(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
#else
bool WriteDurably(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           file.flush();
}

void FlushFolder(const QString&) {}

// Not atomic here, but the marker makes a stop between the two steps roll forward.
bool Replace(const QString& from, const QString& to) {
    QFile::remove(to);
    return QFile::rename(from, to);
}
#endif

}  // namespace

bool CommitStationFiles(const QString& folder, const std::string& ini, const std::string& dat,
                        const std::function<void(int stage)>& reached) {
    const auto stage = [&reached](int n) {
        if (reached) reached(n);
    };
    const QString iniPath = In(folder, kPositionsIniName);
    const QString datPath = In(folder, kPositionsDatName);
    const QString marker = In(folder, kStationFilesCommitName);
    if (!WriteDurably(Pending(iniPath), ini)) return false;
    stage(1);
    if (!WriteDurably(Pending(datPath), dat)) return false;
    stage(2);
    FlushFolder(folder);
    if (!WriteDurably(marker, "")) return false;
    FlushFolder(folder);
    stage(3);
    // From here on the new pair counts: a stop is rolled forward at the next start.
    const bool iniReplaced = Replace(Pending(iniPath), iniPath);
    stage(4);
    const bool datReplaced = Replace(Pending(datPath), datPath);
    FlushFolder(folder);
    stage(5);
    if (!iniReplaced || !datReplaced) return false;  // the next start tries again
    QFile::remove(marker);
    FlushFolder(folder);
    stage(6);
    return true;
}

void RecoverStationFiles(const QString& folder) {
    const QString marker = In(folder, kStationFilesCommitName);
    const bool committed = QFile::exists(marker);
    for (const char* name : {kPositionsIniName, kPositionsDatName}) {
        const QString path = In(folder, name);
        if (!QFile::exists(Pending(path))) continue;
        if (committed) {
            Replace(Pending(path), path);
        } else {
            QFile::remove(Pending(path));
        }
    }
    FlushFolder(folder);
    if (committed && !QFile::exists(Pending(In(folder, kPositionsIniName))) &&
        !QFile::exists(Pending(In(folder, kPositionsDatName)))) {
        QFile::remove(marker);
        FlushFolder(folder);
    }
}

}  // namespace vireo

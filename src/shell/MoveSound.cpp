#include "shell/MoveSound.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace vireo {

void PlayWaveInBackground(const QString& path) {
    if (!QFile::exists(path)) return;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The sound servers' players first, then ALSA's; each returns at once when started detached.
    for (const char* player : {"paplay", "pw-play", "aplay"}) {
        const QString program = QStandardPaths::findExecutable(player);
        if (program.isEmpty()) continue;
        QStringList arguments;
        if (QString(player) == "aplay") arguments << "-q";
        arguments << path;
        if (QProcess::startDetached(program, arguments)) return;
    }
#endif
    QApplication::beep();
}

}  // namespace vireo

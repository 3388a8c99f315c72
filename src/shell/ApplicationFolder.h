// Where the program keeps its files. A copy in a folder the user may write to (a build folder, a
// copy in the home folder) keeps everything beside its executable. An installed program, whose
// executable stands in a system folder, keeps the user's files in the user's data folder and
// reads the installed icon set and sound.
#pragma once

#include <QString>

namespace vireo {

struct ApplicationFolders {
    QString data;       // the settings, station and network-link files
    QString icons;      // the icon set with the default style file
    QString resources;  // the sound and the help file
};

// Decides the folders for an executable in `executableDir`. The folder counts as writable when a
// probe file can actually be created and removed in it. Otherwise the data folder is Qt's
// AppDataLocation (created here; it depends on the application and organisation names, so set
// them first) and the rest is the installed share/vireo-decoder beside the executable's folder.
ApplicationFolders ChooseApplicationFolders(const QString& executableDir);

}  // namespace vireo

// The two station files, Positions.ini and Positions.dat, written as one pair: whenever the
// program stops, even killed in the middle of the save or by a power cut, the next start finds
// either the complete old pair or the complete new pair, never one of each.
//
// The save writes both files beside their final names ("<name>.new") and flushes them to disk,
// then creates the commit marker "Positions.commit": from that moment on the new pair counts.
// Both files are renamed over the old ones and the marker is removed, the folder flushed after
// each stage. At start-up RecoverStationFiles() finishes what a stop interrupted: with the marker
// present the renames are done (rolled forward); without it the new files are removed and the old
// pair stays (rolled back). The files' bytes are those of a plain write; other readers see no
// difference.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace vireo {

inline constexpr const char* kStationFilesCommitName = "Positions.commit";

// Replaces the pair in `folder`. `reached`, when given, is called after each stage with its
// number (1 to kStationFilesCommitStages), to stop a save in the middle. False when a file could
// not be written; the old pair then stays.
inline constexpr int kStationFilesCommitStages = 6;
bool CommitStationFiles(const QString& folder, const std::string& ini, const std::string& dat,
                        const std::function<void(int stage)>& reached = {});

// Finishes or undoes a save a stop interrupted; call it before the station files are read.
void RecoverStationFiles(const QString& folder);

}  // namespace vireo

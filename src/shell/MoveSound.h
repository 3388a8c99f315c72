// Plays the movement sound of the followed station in the background.
#pragma once

#include <QString>

namespace vireo {

// Starts playing the wave file at `path` and returns at once. Where no player is available the
// desktop's beep stands in; a missing file plays nothing.
void PlayWaveInBackground(const QString& path);

}  // namespace vireo

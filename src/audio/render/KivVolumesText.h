#pragma once

#include "audio/render/MatrixMixer.h"

#include <string>

// A mixer's gains as the debugging text printVolumes writes to standard
// output:
//   "\tInput Channels = 2, Output Channels = 2\n"
//   "\tGlobal Volume: 1.000\n"
//   "\tInput 0: 1.000 | 1.000 0.000\n"   (input gain | crosspoints to each output)
//   "\tInput 1: 1.000 | 0.000 1.000\n"
//   "\tOutput Volumes: 1.000 1.000\n"
// Not for the render thread (allocates).
std::string volumesText(const MatrixLevels& levels);

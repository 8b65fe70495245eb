#pragma once

#include "audio/source/KivAudioSource.h"

#pragma once

#include "audio/KivAudioSource.h"

#pragma once

#include "audio/core/KivError.h"

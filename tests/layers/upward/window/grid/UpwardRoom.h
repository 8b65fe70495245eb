#pragma once

// A room that reaches up to the room above it, for the check to find.
#include "window/workspace/WorkspaceController.h"

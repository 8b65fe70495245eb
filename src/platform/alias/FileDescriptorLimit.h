#pragma once

#include <cstdint>

// Raises the soft limit on open descriptors to the hard limit, since every
// file reference keeps a descriptor open and a large show holds thousands.
// Returns the soft limit in force afterwards; a failure is logged and leaves
// the limit as it was. Called once at start-up, before other threads exist.
std::uint64_t raiseFileDescriptorLimit();

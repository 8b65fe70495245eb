#pragma once

#include <optional>
#include <string>

namespace SystemInformation {

// The display name of a machine model identifier ("PowerMac7,2" gives
// "PowerMac G5"). Each table key found anywhere in the identifier, in
// ascending key order, replaces the one found before, unless that one was the
// whole identifier. A key without a comma is a family and is named with the
// key after it; no key at all gives "Unknown (<identifier>)", and no
// identifier "Unknown".
std::string MachineModelNameForIdentifier(const std::optional<std::string>& identifier);

} // namespace SystemInformation

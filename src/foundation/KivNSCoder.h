#pragma once

// The coder version: one process-wide integer shared by every coder, set and
// read from any thread.
namespace KivNSCoder {

void setVersion(int version);
int version();

} // namespace KivNSCoder

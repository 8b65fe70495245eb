#include "foundation/KivLog.h"
#include "platform/alias/FileDescriptorLimit.h"
#include "platform/system/SystemInformation.h"

int main() {
    raiseFileDescriptorLimit();
    logFormat("Pondra %s on %s with %.1f GB RAM", PONDRA_VERSION,
              SystemInformation::operatingSystemVersion().c_str(),
              static_cast<double>(SystemInformation::physicalMemoryBytes()) / 1073741824.0);
    return 0;
}

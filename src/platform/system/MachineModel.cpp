#include "platform/system/MachineModel.h"

#include <map>

namespace {

// std::map walks its keys in ascending byte order, which the lookup relies on.
const std::map<std::string, std::string>& modelTable() {
    static const std::map<std::string, std::string> table{
        {"AAPL,8500", "PowerMac 8500/8600"},
        {"AAPL,9500", "PowerMac 9500/9600"},
        {"AAPL,7200", "PowerMac 7200"},
        {"AAPL,7300", "PowerMac 7200/7300"},
        {"AAPL,7500", "PowerMac 7500"},
        {"AAPL,ShinerESB", "Apple Network Server"},
        {"AAPL,e407", "Alchemy"},
        {"AAPL,e411", "Gazelle"},
        {"AAPL,3400/2400", "PowerBook 3400"},
        {"AAPL,3500", "PowerBook 3500"},
        {"AAPL,Gossamer", "PowerMac G3 (Gossamer)"},
        {"AAPL,PowerMac G3", "PowerMac G3 (Silk)"},
        {"AAPL,PowerBook1998", "PowerBook Wallstreet"},
        {"AAPL", "Yikes! Old machine"},
        {"iMac,1", "iMac (first generation)"},
        {"iMac", "iMac"},
        {"PowerBook1,1", "PowerBook 101 (Lombard)"},
        {"PowerBook2,1", "iBook (first generation)"},
        {"PowerBook2,2", "iBook FireWire"},
        {"PowerBook3,1", "PowerBook Pismo"},
        {"PowerBook3,2", "PowerBook Titanium"},
        {"PowerBook3,3", "PowerBook Titanium II"},
        {"PowerBook3,4", "PowerBook Titanium III"},
        {"PowerBook3,5", "PowerBook Titanium IV"},
        {"PowerBook4,1", "iBook 2"},
        {"PowerBook4,2", "iBook 2"},
        {"PowerBook4,3", "iBook 2 rev. 2"},
        {"PowerBook4,4", "iBook 2 rev. 3"},
        {"PowerBook5,1", "PowerBook G4 17\""},
        {"PowerBook5,2", "PowerBook G4 15\""},
        {"PowerBook5,3", "PowerBook G4 17\" (1.33 GHz)"},
        {"PowerBook6,1", "PowerBook G4 12\""},
        {"PowerBook6,2", "PowerBook G4 12\" (1 GHz)"},
        {"PowerBook6,3", "iBook G4"},
        {"PowerBook", "PowerBook or iBook"},
        {"PowerMac1,1", "PowerMac G3 (Blue and White)"},
        {"PowerMac1,2", "PowerMac G4 (PCI Graphics)"},
        {"PowerMac2,1", "iMac FireWire"},
        {"PowerMac2,2", "iMac FireWire"},
        {"PowerMac3,1", "PowerMac G4 (AGP Graphics)"},
        {"PowerMac3,2", "PowerMac G4 (AGP Graphics)"},
        {"PowerMac3,3", "PowerMac G4 (Gigabit Ethernet)"},
        {"PowerMac3,4", "PowerMac G4 (QuickSilver)"},
        {"PowerMac3,5", "PowerMac G4 (QuickSilver)"},
        {"PowerMac3,6", "PowerMac G4 (Windtunnel)"},
        {"PowerMac4,1", "iMac (Summer 2001)"},
        {"PowerMac4,2", "iMac (Flat Panel)"},
        {"PowerMac4,4", "eMac"},
        {"PowerMac4,5", "iMac (17-inch Flat Panel)"},
        {"PowerMac5,1", "PowerMac G4 Cube"},
        {"PowerMac5,2", "PowerMac G4 Cube"},
        {"PowerMac6,1", "iMac (USB 2.0)"},
        {"PowerMac7,2", "PowerMac G5"},
        {"PowerMac7,3", "PowerMac G5"},
        {"PowerMac", "PowerMac"},
        {"RackMac1,1", "XServe"},
        {"RackMac1,2", "XServe (slot-load)"},
        {"RackMac3,1", "XServe G5"},
        {"RackMac", "XServe"},
        {"Macmini1,1", "Mac Mini"},
        {"Macmini", "Mac Mini"},
    };
    return table;
}

} // namespace

std::string
SystemInformation::MachineModelNameForIdentifier(const std::optional<std::string>& identifier) {
    if (!identifier) {
        return "Unknown";
    }
    const std::pair<const std::string, std::string>* taken = nullptr;
    for (const auto& entry : modelTable()) {
        if (taken != nullptr && taken->first.size() == identifier->size()) {
            break;
        }
        if (identifier->find(entry.first) != std::string::npos) {
            taken = &entry;
        }
    }
    if (taken == nullptr) {
        return "Unknown (" + *identifier + ")";
    }
    if (taken->first.find(',') == std::string::npos) {
        return taken->second + " (" + taken->first + ")";
    }
    return taken->second;
}

#include "foundation/KivEnvironment.h"

#include "foundation/KivNSString.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <atomic>
#include <mutex>

namespace {
std::atomic<int> gLogLevel{0};
std::mutex gStoreMutex;
std::map<std::string, std::any> gStore;
} // namespace

int KivEnvironment::logLevel() {
    return gLogLevel.load(std::memory_order_relaxed);
}

void KivEnvironment::setLogLevel(int level) {
    gLogLevel.store(level, std::memory_order_relaxed);
}

std::any KivEnvironment::objectForKey(const std::string& key) {
    std::lock_guard lock(gStoreMutex);
    const auto it = gStore.find(key);
    return it == gStore.end() ? std::any() : it->second;
}

void KivEnvironment::setObject(std::any value, const std::string& key) {
    std::lock_guard lock(gStoreMutex);
    if (value.has_value()) {
        gStore[key] = std::move(value);
    } else {
        gStore.erase(key);
    }
}

std::vector<std::map<std::string, std::string>> KivEnvironment::ipAddresses() {
    std::vector<std::map<std::string, std::string>> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return result;
    }
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_netmask) {
            continue;
        }
        const auto address =
            ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
        const auto netmask =
            ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
        result.push_back({{"name", entry->ifa_name},
                          {"address", KivNSString::addressInDotNotation(address)},
                          {"netmask", KivNSString::addressInDotNotation(netmask)},
                          {"broadcast", KivNSString::addressInDotNotation(address | ~netmask)}});
    }
    freeifaddrs(list);
    return result;
}

#pragma once

#include <string>

// A readable MIDI port of another client: something to listen to.
struct SMSourceEndpoint {
    int client = 0;
    int port = 0;
    std::string name;

    // The address alone names the endpoint; a renamed port is the same source.
    bool operator==(const SMSourceEndpoint& other) const {
        return client == other.client && port == other.port;
    }
};

// How start-up hands the configuration store's market-data servers to the
// network service: the current server first, then the others in
// round-robin order after it, all on one port (kivdesk.ini's market port).
// The store's current index is where it was afterwards, so the first
// server the service connects to is the one the user last had.
//
// Threads: the UI thread at start-up, once the store is open; the store
// takes its own lock for each step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CCongfig;

// Adds one server to the service; false when it refused the address.
using AddStoredServer = std::function<bool(const std::string& host, uint16_t port, const std::string& label)>;

// Hands every stored server to `add`: the current one, then count - 1
// times the next one (wrapping from the last to the first), then advances
// once more, which makes the starting server current again. Nothing for a
// store that is closed or holds no server. The number of servers handed
// over (refused ones included).
int HandStoredServers(CCongfig& config, uint16_t port, const AddStoredServer& add);

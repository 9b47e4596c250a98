// The hardware address of a network adapter, for the anonymous device id.
#pragma once

#include <string>

// The first non-loopback adapter's 6-byte address as 12 lower-case hex
// digits, from /sys/class/net or getifaddrs; empty when none can be read.
std::string netif_mac_hex();
// The same, reading adapters from the given /sys/class/net-like directory
// (tests); falls back to nothing.
std::string netif_mac_hex_from(const char* sys_class_net);

#pragma once
// The one IPv4 address of this computer that a scan works from, and whether a PPP adapter is
// present. Both the sweep launcher and the list builder select it; they never run it at once, so
// this state is not locked.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net_port.h"

extern uint32_t g_dwLocalAddress;        // network byte order; 0 until a pass writes it
extern int g_bPppAdapter;                // 1 when the latest adapter pass met a PPP adapter
extern std::string g_strAdapterAddress;  // first address text of the last Ethernet adapter seen

// The system's adapter list, read with a first buffer of one record's room and, when that falls
// short, a second of the size reported: the second call's result (0 when adapters holds the list).
uint32_t ReadAdapterList(std::vector<AdapterEntry>& adapters);
// Adapter pass: walks the adapter list (printing one "Adapter Type: " line per adapter) and
// returns the last Ethernet adapter's address, also left in g_dwLocalAddress.
uint32_t GetAdapterAddress();
// Host-name pass: the first address of this computer's own name, or g_dwLocalAddress unchanged
// when any step fails.
uint32_t GetHostAddress();
// The adapter pass, then, without a PPP adapter, the host-name pass.
uint32_t SelectLocalAddress();

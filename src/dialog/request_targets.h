#pragma once
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_state.h"
#include "platform/services.h"

/// Targets named by a non-empty, trimmed command-line tail: "A", "A:p", "A:first-last" or
/// "a.b.c.d-e" with at most one port (each port 1 to 65534, 22 when none is given). An address
/// range gives a.b.c.d to a.b.c.e in order; a port range gives A with each port in order; any
/// other A is kept as host text. nullopt for a bad port or an address range with a port range.
std::optional<std::vector<RequestTarget>> ParseTargetSpec(const std::u16string& targetText);

/// One directed-broadcast target on the adapter port per interface, in the platform's order:
/// its first IPv4 address OR the inverted mask (a mask that does not parse counts as 0).
/// Loopback interfaces and interfaces without an address (or with 0.0.0.0) give none.
std::vector<RequestTarget> BroadcastTargets(const INetworkInterfaces& interfaces);

/// The request targets for a command-line tail: BroadcastTargets when the tail is empty or only
/// white space, else ParseTargetSpec of the trimmed tail (nullopt when it is bad).
std::optional<std::vector<RequestTarget>> BuildRequestTargets(const std::u16string& commandTail,
                                                              const INetworkInterfaces& interfaces);

#pragma once

#include "platform/services.h"

/// The local network interfaces as QNetworkInterface lists them, each with its first IPv4
/// address and that address's mask.
class QtNetworkInterfaces : public INetworkInterfaces {
public:
    std::vector<NetworkInterface> List() const override;
};

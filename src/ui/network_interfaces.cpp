#include "ui/network_interfaces.h"

#include <QNetworkInterface>

std::vector<NetworkInterface> QtNetworkInterfaces::List() const {
    std::vector<NetworkInterface> result;
    for (const QNetworkInterface& item : QNetworkInterface::allInterfaces()) {
        NetworkInterface entry;
        entry.Name = item.name().toStdString();
        entry.Loopback = item.flags().testFlag(QNetworkInterface::IsLoopBack);
        for (const QNetworkAddressEntry& address : item.addressEntries()) {
            if (address.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                entry.Address = address.ip().toString().toStdString();
                entry.Mask = address.netmask().toString().toStdString();
                break;
            }
        }
        result.push_back(std::move(entry));
    }
    return result;
}

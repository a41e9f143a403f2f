#include "ui/link_socket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <sys/socket.h>

CDbgInfoSocket::CDbgInfoSocket(QObject* parent) : QObject(parent) {}

CDbgInfoSocket::~CDbgInfoSocket() = default;

bool CDbgInfoSocket::Create() {
    Close();
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(QHostAddress::AnyIPv4, 0)) {
        return false;
    }
    // Linux refuses sends to a broadcast address without this permission.
    const int enable = 1;
    if (::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_BROADCAST,
                     &enable, sizeof enable) != 0) {
        return false;
    }
    connect(socket.get(), &QUdpSocket::readyRead, this, &CDbgInfoSocket::ReadPending);
    socket_ = std::move(socket);
    return true;
}

bool CDbgInfoSocket::IsOpen() const {
    return socket_ && socket_->state() == QAbstractSocket::BoundState;
}

void CDbgInfoSocket::Close() {
    if (socket_) {
        socket_->disconnect(this);
        socket_->close();
        socket_.reset();
    }
}

bool CDbgInfoSocket::SendTo(const uint8_t* data, size_t length, uint16_t port,
                            const std::string& address) {
    if (!IsOpen()) {
        return false;
    }
    const QString text = QString::fromStdString(address);
    QHostAddress destination;
    if (!destination.setAddress(text) || destination.protocol() != QAbstractSocket::IPv4Protocol) {
        destination.clear();
        if (text.isEmpty()) {
            return false;
        }
        for (const QHostAddress& found : QHostInfo::fromName(text).addresses()) {
            if (found.protocol() == QAbstractSocket::IPv4Protocol) {
                destination = found;
                break;
            }
        }
        if (destination.isNull()) {
            return false;
        }
    }
    return socket_->writeDatagram(reinterpret_cast<const char*>(data), static_cast<qint64>(length),
                                  destination, port) >= 0;
}

uint16_t CDbgInfoSocket::LocalPort() const {
    return IsOpen() ? socket_->localPort() : 0;
}

void CDbgInfoSocket::ReadPending() {
    // The handler may close the socket (after an empty datagram, for one).
    while (socket_ && socket_->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket_->receiveDatagram();
        if (!datagram.isValid()) {
            // A refused earlier send on loopback surfaces here; it carries no datagram.
            break;
        }
        if (!handler_) {
            continue;
        }
        const QByteArray bytes = datagram.data();
        const std::string address = datagram.senderAddress().toString().toStdString();
        handler_(reinterpret_cast<const uint8_t*>(bytes.constData()),
                 static_cast<size_t>(bytes.size()), address,
                 static_cast<uint16_t>(datagram.senderPort()));
    }
}

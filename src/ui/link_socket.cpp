#include "ui/link_socket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The largest UDP payload over IPv4: every datagram fits, so none is cut short unnoticed.
constexpr size_t MaxDatagramSize = 65535;

} // namespace

CDbgInfoSocket::CDbgInfoSocket(QObject* parent) : QObject(parent) {}

CDbgInfoSocket::~CDbgInfoSocket() {
    Close();
}

bool CDbgInfoSocket::Create() {
    Close();
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    // Linux refuses sends to a broadcast address without this permission.
    const int enable = 1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &enable, sizeof enable) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &CDbgInfoSocket::ReadPending);
    return true;
}

bool CDbgInfoSocket::IsOpen() const {
    return fd_ >= 0;
}

void CDbgInfoSocket::Close() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
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
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(destination.toIPv4Address());
    return ::sendto(fd_, data, length, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0;
}

uint16_t CDbgInfoSocket::LocalPort() const {
    if (!IsOpen()) {
        return 0;
    }
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

void CDbgInfoSocket::ReadPending() {
    for (int read = 0; read < DatagramsPerTurn; ++read) {
        // The handler may close the socket.
        if (!IsOpen()) {
            return;
        }
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        std::vector<uint8_t> datagram(MaxDatagramSize);
        const ssize_t length = ::recvfrom(fd_, datagram.data(), datagram.size(), 0,
                                          reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (length < 0) {
            if (errno == EINTR || errno == ECONNREFUSED) {
                // A refused earlier send on loopback surfaces here; it carries no datagram.
                continue;
            }
            return; // nothing queued (EAGAIN), or an error that concerns no datagram of ours
        }
        if (!handler_) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        datagram.resize(static_cast<size_t>(length));
        handler_(std::move(datagram), std::string(text), ntohs(from.sin_port));
    }
}

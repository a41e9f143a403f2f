#pragma once
#include <QObject>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"

class QSocketNotifier;

/// The link's UDP socket (the dialog's `LinkSocket`): a non-blocking IPv4 datagram socket bound
/// to any local address and port, with the broadcast permission set so that directed-broadcast
/// requests leave on Linux. Each datagram that arrives is read whole and handed to the receive
/// handler with its true length, empty ones included; the handler judges lengths (also those
/// beyond the protocol's receive buffer). A few datagrams are read per turn of the event loop.
class CDbgInfoSocket : public QObject, public IDatagramSocket {
    Q_OBJECT
public:
    /// Gets each datagram in a vector of its own, which nothing else refers to: a datagram
    /// read later, also in a nested event loop the handler runs (a message box), is read into
    /// another one and cannot change it.
    using ReceiveHandler = std::function<void(std::vector<uint8_t> datagram,
                                              const std::string& address, uint16_t port)>;

    explicit CDbgInfoSocket(QObject* parent = nullptr);
    ~CDbgInfoSocket() override;

    /// Called on the user-interface thread for every datagram received.
    void SetReceiveHandler(ReceiveHandler handler) { handler_ = std::move(handler); }

    bool Create() override;
    bool IsOpen() const override;
    void Close() override;
    /// `address` is dotted IPv4 text, else a host name looked up here, blocking, as the first
    /// IPv4 address it resolves to. Returns false when nothing was sent; the link ignores it.
    bool SendTo(const uint8_t* data, size_t length, uint16_t port,
                const std::string& address) override;

    /// Local port the socket is bound to, 0 when it is not open.
    uint16_t LocalPort() const;

private:
    /// Reads at most DatagramsPerTurn datagrams. The notifier is level-triggered, so whatever
    /// is still queued in the socket wakes it again on the next turn of the event loop.
    void ReadPending();

    // An adapter on a fast link answers each request before the handler returns; reading until
    // nothing is queued would run a whole write's exchange in one call and starve the window.
    static constexpr int DatagramsPerTurn = 4;

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    ReceiveHandler handler_;
};

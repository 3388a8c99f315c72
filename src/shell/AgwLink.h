// The TCP client connection to the TNC. Connecting is asynchronous: Connect() returns at once and
// the outcome arrives as Connected() or Failed(). On connection the link switches monitoring on
// ("m") and asks for the version ("R"). Received bytes are cut into frames and handed out one by
// one, in order, through FrameReceived().
//
// A TNC that closes the connection is not reported: the link just stops delivering frames and
// its state becomes ClosedByPeer until Close() is called.
#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>

#include "agwpe/AgwFrame.h"

namespace vireo {

class AgwLink : public QObject {
    Q_OBJECT

  public:
    enum class State { Closed, Connecting, Connected, ClosedByPeer };

    explicit AgwLink(QObject* parent = nullptr);

    State state() const { return state_; }
    const QString& remoteHost() const { return host_; }
    quint16 remotePort() const { return port_; }

    void Connect(const QString& host, quint16 port);
    void Close();

    // Writes the 36-byte request of `kind` to the connection.
    void SendAgwFrame(char kind);

  signals:
    void Connected();
    void FrameReceived(const vireo::AgwFrame& frame);
    void Failed(const QString& description);

  private:
    void OnConnected();
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);
    void OnDisconnected();
    bool IsOpen() const { return state_ == State::Connected || state_ == State::ClosedByPeer; }

    QTcpSocket socket_;
    AgwFrameCutter cutter_;
    State state_ = State::Closed;
    QString host_;
    quint16 port_ = 0;
};

}  // namespace vireo

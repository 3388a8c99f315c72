#include "shell/AgwLink.h"

namespace vireo {

AgwLink::AgwLink(QObject* parent) : QObject(parent) {
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        emit Connected();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, [this] {
        // Whoever handles the bytes may close the link: stop reading then.
        while (open_ && socket_.bytesAvailable() > 0) emit DataReceived(socket_.readAll());
    });
    connect(&socket_, &QTcpSocket::errorOccurred, this, &AgwLink::OnError);
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        if (open_) emit ClosedByPeer();
    });
}

void AgwLink::Connect(const QString& host, quint16 port) {
    Close();
    open_ = true;
    connected_ = false;
    socket_.connectToHost(host, port);
}

void AgwLink::Close() {
    open_ = false;
    socket_.abort();
}

void AgwLink::Send(const QByteArray& bytes) {
    socket_.write(bytes);
}

void AgwLink::OnError(QAbstractSocket::SocketError error) {
    if (!open_) return;
    // A TNC closing an established connection is no error; disconnected() tells it.
    if (error == QAbstractSocket::RemoteHostClosedError && connected_) return;
    emit Failed(socket_.errorString());
}

}  // namespace vireo

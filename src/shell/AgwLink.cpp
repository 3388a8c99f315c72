#include "shell/AgwLink.h"

namespace vireo {

AgwLink::AgwLink(QObject* parent) : QObject(parent) {
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        emit Connected();
    });
    socket_.setReadBufferSize(256 * 1024);
    connect(&socket_, &QTcpSocket::readyRead, this, &AgwLink::ReadAll);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &AgwLink::OnError);
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        if (open_) emit ClosedByPeer();
    });
}

void AgwLink::Connect(const QString& host, quint16 port) {
    Close();
    open_ = true;
    connected_ = false;
    paused_ = false;
    socket_.connectToHost(host, port);
}

void AgwLink::Close() {
    open_ = false;
    socket_.abort();
}

void AgwLink::ReadAll() {
    // Whoever handles the bytes may close or pause the link: stop reading then.
    while (open_ && !paused_ && socket_.bytesAvailable() > 0) emit DataReceived(socket_.readAll());
}

void AgwLink::SetPaused(bool paused) {
    if (paused_ == paused) return;
    paused_ = paused;
    if (!paused_) ReadAll();
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

#include "shell/AgwLink.h"

namespace vireo {

AgwLink::AgwLink(QObject* parent) : QObject(parent) {
    connect(&socket_, &QTcpSocket::connected, this, &AgwLink::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &AgwLink::OnReadyRead);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &AgwLink::OnError);
    connect(&socket_, &QTcpSocket::disconnected, this, &AgwLink::OnDisconnected);
}

void AgwLink::Connect(const QString& host, quint16 port) {
    Close();
    host_ = host;
    port_ = port;
    state_ = State::Connecting;
    socket_.connectToHost(host, port);
}

void AgwLink::Close() {
    state_ = State::Closed;
    socket_.abort();
    cutter_.Clear();
}

void AgwLink::SendAgwFrame(char kind) {
    const std::string request = MakeAgwRequest(kind);
    socket_.write(request.data(), static_cast<qint64>(request.size()));
}

void AgwLink::OnConnected() {
    state_ = State::Connected;
    SendAgwFrame('m');
    SendAgwFrame('R');
    emit Connected();
}

void AgwLink::OnReadyRead() {
    // A receiver may close the link between two frames, or run a nested event loop during which
    // more bytes arrive without a new readyRead: keep reading until the socket has nothing left.
    while (IsOpen() && socket_.bytesAvailable() > 0) {
        const QByteArray bytes = socket_.readAll();
        cutter_.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        while (IsOpen()) {
            auto frame = cutter_.Next();
            if (!frame) break;
            emit FrameReceived(*frame);
        }
    }
}

void AgwLink::OnError(QAbstractSocket::SocketError error) {
    if (state_ == State::Closed) return;
    // A TNC closing an established connection is no error; OnDisconnected notes it.
    if (error == QAbstractSocket::RemoteHostClosedError && state_ != State::Connecting) return;
    emit Failed(socket_.errorString());
}

void AgwLink::OnDisconnected() {
    if (state_ == State::Connected) state_ = State::ClosedByPeer;
}

}  // namespace vireo

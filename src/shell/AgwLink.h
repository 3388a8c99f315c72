// The TCP connection to the TNC. Connecting is asynchronous: Connect() returns at once and the
// outcome arrives as Connected() or Failed(). Received bytes are handed on as they come; cutting
// them into frames is the session's.
//
// A TNC that closes an established connection is not a failure: ClosedByPeer() tells it once.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

namespace vireo {

class AgwLink : public QObject {
    Q_OBJECT

  public:
    explicit AgwLink(QObject* parent = nullptr);

    void Connect(const QString& host, quint16 port);
    void Close();
    void Send(const QByteArray& bytes);
    // While paused, nothing more is read: the socket's small buffer fills and the TNC is held
    // back by TCP itself, so a flood cannot pile up in memory.
    void SetPaused(bool paused);

  signals:
    void Connected();
    void DataReceived(const QByteArray& bytes);
    void Failed(const QString& description);
    void ClosedByPeer();

  private:
    void OnError(QAbstractSocket::SocketError error);
    void ReadAll();

    QTcpSocket socket_;
    bool open_ = false;       // between Connect() and Close()
    bool connected_ = false;  // the connection was established
    bool paused_ = false;
};

}  // namespace vireo

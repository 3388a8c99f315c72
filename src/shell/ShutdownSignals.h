// Turns SIGTERM and SIGINT into a Qt signal delivered on the event loop, so that a service
// manager or Ctrl+C stops the program through its normal shut-down sequence. Only one instance
// may exist. On platforms without POSIX signals it never fires.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace vireo {

class ShutdownSignals : public QObject {
    Q_OBJECT

  public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

  signals:
    void Requested();

  private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vireo

// The application object: owns the window's model, the TNC link and the timers, and runs the
// start-up and shut-down sequences and the menu commands. It has no widgets; the main window
// mirrors Model() whenever ModelChanged() is emitted and forwards user commands here.
//
// Everything runs on the one event-loop thread. Frames are handled strictly one after the other:
// a frame that arrives while another is being handled (for example while a message box is open)
// is queued and handled afterwards.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

#include "agwpe/AgwLink.h"
#include "app/FormModel.h"
#include "app/MessageBoxes.h"
#include "app/SettingsFile.h"

namespace vireo {

class VireoApp : public QObject {
    Q_OBJECT

  public:
    using Clock = std::function<QDateTime()>;

    // `appFolder` holds the program's files (the settings file and all others).
    VireoApp(QString appFolder, MessageBoxes& boxes, Clock clock = &QDateTime::currentDateTime,
             QObject* parent = nullptr);

    const FormModel& Model() const { return model_; }
    AgwLink& Winsock1() { return link_; }
    QString SettingsPath() const;

    // Reads the settings into the model, lays the window out and connects to the TNC when the
    // settings ask for it.
    void Startup();
    // Closes the connection and saves the settings. Runs once; later calls do nothing.
    void Shutdown();

    // Menu commands.
    void nmuConnect_Click();
    void mnuAutoConnect_Click();
    void mnuAutoIcon_Click();
    void mnuDebug_Click();

    // The window reports its position and size (twips) whenever they change.
    void SetWindowGeometry(const WindowGeometry& geometry);

  signals:
    void ModelChanged();
    // A monitored frame ("U" or "T") has been split into the monitor lines and dispatched.
    void MonitorFrameHandled();

  private:
    void ApplySettingsRecord(const SettingsRecord& record);
    SettingsRecord RecordFromModel() const;
    void ShowCompactLayout();

    void OnAgwFrame(const AgwFrame& frame);
    void ProcessAgwFrame(const AgwFrame& frame);
    void ProcessMonitorText(const std::string& data);
    void OnAgwFailed(const QString& description);
    void ResetConnectCaption();
    void tmrAGW_Timer();

    QString appFolder_;
    MessageBoxes& boxes_;
    Clock clock_;
    FormModel model_;
    AgwLink link_;
    QTimer tmrAGW_;

    std::string agwHost_;  // as used at the last connect
    quint16 agwPort_ = 0;

    std::deque<AgwFrame> pendingFrames_;
    bool handlingFrames_ = false;
    bool shutDown_ = false;
};

}  // namespace vireo

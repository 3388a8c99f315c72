// The main window: shows the session's state and forwards menu commands to it. It holds no state
// of its own beyond the widgets; positions and sizes are kept in twips in the settings and
// converted to pixels here.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <cstdint>

#include "session/Session.h"

class QAction;
class QFrame;
class QLabel;
class QListWidget;

namespace vireo {

class Shell;

struct WindowGeometry {  // twips
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(Shell& shell, QWidget* parent = nullptr);

    // Shows the session's state: captions, check marks, texts, lamp and layout.
    void Refresh();

    QAction* connectAction() const { return connectAction_; }
    QAction* autoConnectAction() const { return autoConnectAction_; }
    QAction* infoPanelAction() const { return infoPanelAction_; }
    QAction* exitAction() const { return exitAction_; }
    QAction* tracksAction() const { return tracksAction_; }
    QAction* autoIconAction() const { return autoIconAction_; }
    QAction* altitudeAction() const { return altitudeAction_; }
    QAction* followLinksAction() const { return followLinksAction_; }
    QAction* forceRefreshAction() const { return forceRefreshAction_; }
    QAction* runNetworkLinkAction() const { return runNetworkLinkAction_; }
    QAction* spacerAction() const { return spacerAction_; }
    QAction* clockAction() const { return clockAction_; }
    QListWidget* stationList() const { return stationList_; }
    QLabel* tncStatus() const { return tncStatus_; }
    QLabel* latitudeLabel() const { return latitudeLabel_; }
    QLabel* speedKmhLabel() const { return speedKmhLabel_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QListWidget* monitorLines() const { return monitorLines_; }
    QFrame* activityLamp() const { return activityLamp_; }
    QFrame* stationFrame() const { return stationFrame_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int ToPixels(float twips) const;
    float ToTwips(int pixels) const;
    void ReportGeometry();
    void PlaceStationFrame();
    void RefreshStationList();
    void ChooseStyleFile();
    void Forward(QAction* action, Command command);

    Shell& shell_;
    WindowGeometry shownGeometry_;  // the geometry last applied to or reported by the window
    bool applyingGeometry_ = false;
    QTimer refreshTimer_;
    QTimer stationListTimer_;
    QElapsedTimer sinceStationList_;
    std::uint64_t shownStoreVersion_ = 0;

    QAction* connectAction_ = nullptr;
    QAction* autoConnectAction_ = nullptr;
    QAction* infoPanelAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction *tracksAction_ = nullptr, *autoIconAction_ = nullptr, *styleFileAction_ = nullptr,
            *altitudeAction_ = nullptr, *followLinksAction_ = nullptr,
            *forceRefreshAction_ = nullptr, *runNetworkLinkAction_ = nullptr,
            *spacerAction_ = nullptr, *clockAction_ = nullptr;
    QFrame* stationFrame_ = nullptr;
    QListWidget* stationList_ = nullptr;
    QLabel* tncStatus_ = nullptr;
    QLabel *latitudeLabel_ = nullptr, *longitudeLabel_ = nullptr, *messageLabel_ = nullptr,
           *courseLabel_ = nullptr, *speedLabel_ = nullptr, *speedKmhLabel_ = nullptr,
           *altitudeLabel_ = nullptr, *commentLabel_ = nullptr, *statusLabel_ = nullptr;
    QListWidget* monitorLines_ = nullptr;
    QFrame* activityLamp_ = nullptr;
};

}  // namespace vireo

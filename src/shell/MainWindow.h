// The main window frmVireo: mirrors the application object's model and forwards menu commands
// to it. It holds no state of its own beyond the widgets; positions and sizes are kept in twips
// in the model and converted to pixels here.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <cstdint>

#include "settings/FormModel.h"

class QAction;
class QFrame;
class QLabel;
class QListWidget;

namespace vireo {

class VireoApp;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(VireoApp& app, QWidget* parent = nullptr);

    // Shows the model: captions, check marks, texts, lamp and layout.
    void Refresh();

    QAction* nmuConnect() const { return nmuConnect_; }
    QAction* mnuAutoConnect() const { return mnuAutoConnect_; }
    QAction* mnuDebug() const { return mnuDebug_; }
    QAction* mnuExit() const { return mnuExit_; }
    QAction* mnuEnableTrack() const { return mnuEnableTrack_; }
    QAction* mnuAutoIcon() const { return mnuAutoIcon_; }
    QAction* mnuHeight() const { return mnuHeight_; }
    QAction* mnuLinkOn() const { return mnuLinkOn_; }
    QAction* mnuForceSend() const { return mnuForceSend_; }
    QAction* mnuKml() const { return mnuKml_; }
    QAction* mnuDummy() const { return mnuDummy_; }
    QAction* mnuTime() const { return mnuTime_; }
    QListWidget* lstDataSent() const { return lstDataSent_; }
    QLabel* lblAGW() const { return lblAGW_; }
    QLabel* lblLat() const { return lblLat_; }
    QLabel* lblSpeedKmh() const { return lblSpeedKmh_; }
    QLabel* lblStatus() const { return lblStatus_; }
    QListWidget* List2() const { return List2_; }
    QFrame* Shape1() const { return Shape1_; }
    QFrame* frmDataSent() const { return frmDataSent_; }

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
    void mnuSetStyle_Click();

    VireoApp& app_;
    WindowGeometry shownGeometry_;  // the geometry last applied to or reported by the window
    bool applyingGeometry_ = false;
    QTimer refreshTimer_;
    QTimer stationListTimer_;
    QElapsedTimer sinceStationList_;
    std::uint64_t shownStoreVersion_ = 0;

    QAction* nmuConnect_ = nullptr;
    QAction* mnuAutoConnect_ = nullptr;
    QAction* mnuDebug_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QAction *mnuEnableTrack_ = nullptr, *mnuAutoIcon_ = nullptr, *mnuSetStyle_ = nullptr,
            *mnuHeight_ = nullptr, *mnuLinkOn_ = nullptr, *mnuForceSend_ = nullptr,
            *mnuKml_ = nullptr, *mnuDummy_ = nullptr, *mnuTime_ = nullptr;
    QFrame* frmDataSent_ = nullptr;
    QListWidget* lstDataSent_ = nullptr;
    QLabel* lblAGW_ = nullptr;
    QLabel *lblLat_ = nullptr, *lblLon_ = nullptr, *lblMsg_ = nullptr, *lblCourse_ = nullptr,
           *lblSpeed_ = nullptr, *lblSpeedKmh_ = nullptr, *lblAlt_ = nullptr,
           *lblComment_ = nullptr, *lblStatus_ = nullptr;
    QListWidget* List2_ = nullptr;
    QFrame* Shape1_ = nullptr;
};

}  // namespace vireo

// The main window: shows the session's state and forwards the user's actions to it. It holds no
// state of its own beyond the widgets; positions and sizes are kept in twips in the settings and
// converted to pixels here, while the layouts' widths come from the fonts in use.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>

#include "session/Session.h"
#include "shell/HelpWindow.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

namespace vireo {

class SettingsPanel;
class Shell;
class StationListModel;

struct WindowGeometry {  // twips
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(Shell& shell, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the session's state: captions, check marks, texts, lamp, panels and layout.
    void Refresh();
    // Opens the help window on the program's instructions.
    void OpenHelp();

    QAction* connectAction() const { return connectAction_; }
    QAction* autoConnectAction() const { return autoConnectAction_; }
    QAction* settingsAction() const { return settingsAction_; }
    QAction* infoPanelAction() const { return infoPanelAction_; }
    QAction* exitAction() const { return exitAction_; }
    QAction* unfollowAction() const { return unfollowAction_; }
    QAction* followAction() const { return followAction_; }
    QAction* tracksAction() const { return tracksAction_; }
    QAction* deleteTrackAction() const { return deleteTrackAction_; }
    QAction* deleteAllTracksAction() const { return deleteAllTracksAction_; }
    QAction* autoIconAction() const { return autoIconAction_; }
    QAction* iconAction() const { return iconAction_; }
    QAction* altitudeAction() const { return altitudeAction_; }
    QAction* followLinksAction() const { return followLinksAction_; }
    QAction* forceRefreshAction() const { return forceRefreshAction_; }
    QAction* runNetworkLinkAction() const { return runNetworkLinkAction_; }
    QAction* helpAction() const { return helpAction_; }
    QAction* spacerAction() const { return spacerAction_; }
    QLabel* clockLabel() const { return clock_; }
    QListView* stationList() const { return stationList_; }
    const StationListModel& stations() const { return *stations_; }
    SettingsPanel* settingsPanel() const { return settingsPanel_; }
    QGroupBox* followPanel() const { return followPanel_; }
    QLineEdit* followBox() const { return followBox_; }
    QPushButton* followButton() const { return followButton_; }
    QLabel* followStatus() const { return followStatus_; }
    QGroupBox* iconEditor() const { return iconEditor_; }
    QLineEdit* iconCodeBox() const { return iconCodeBox_; }
    QLabel* iconEditorCall() const { return iconEditorCall_; }
    QLabel* columnTitles() const { return columnTitles_; }
    QWidget* infoPanel() const { return infoPanel_; }
    QLabel* tncStatus() const { return tncStatus_; }
    QLabel* latitudeLabel() const { return latitudeLabel_; }
    QLabel* speedKmhLabel() const { return speedKmhLabel_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QListWidget* monitorLines() const { return monitorLines_; }
    QFrame* activityLamp() const { return activityLamp_; }
    QFrame* stationFrame() const { return stationFrame_; }
    HelpWindow* helpWindow() const { return help_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildMenus();
    void BuildInfoPanel(QWidget* surface);
    void BuildStationFrame(QWidget* surface);
    int ToPixels(float twips) const;
    float ToTwips(int pixels) const;
    void ReportGeometry();
    void ApplyLayout();
    void RefreshStationList();
    void ChooseStyleFile();
    void Forward(QAction* action, Command command);
    std::string SelectedLine() const;
    void SelectCall(const std::string& call);
    void OpenSettings();
    void RestoreFromTray();

    Shell& shell_;
    WindowGeometry shownGeometry_;  // the geometry last applied to or reported by the window
    bool applyingGeometry_ = false;
    QTimer refreshTimer_;
    QTimer stationListTimer_;
    QElapsedTimer sinceStationList_;
    QElapsedTimer sinceRefresh_;
    std::uint64_t shownStoreVersion_ = 0;
    int shownFollowFocus_ = 0;
    int shownIconFocus_ = 0;
    int shownShape_ = -1;  // 4 x the layout, plus the panels shown below the list

    QAction *connectAction_ = nullptr, *autoConnectAction_ = nullptr, *settingsAction_ = nullptr,
            *infoPanelAction_ = nullptr, *exitAction_ = nullptr;
    QAction *unfollowAction_ = nullptr, *followAction_ = nullptr, *tracksAction_ = nullptr,
            *deleteTrackAction_ = nullptr, *deleteAllTracksAction_ = nullptr,
            *autoIconAction_ = nullptr, *iconAction_ = nullptr, *styleFileAction_ = nullptr,
            *altitudeAction_ = nullptr, *followLinksAction_ = nullptr,
            *forceRefreshAction_ = nullptr, *runNetworkLinkAction_ = nullptr,
            *helpAction_ = nullptr, *spacerAction_ = nullptr;
    QLabel* clock_ = nullptr;
    QWidget* infoPanel_ = nullptr;
    SettingsPanel* settingsPanel_ = nullptr;
    QFrame* stationFrame_ = nullptr;
    QLabel* columnTitles_ = nullptr;
    QListView* stationList_ = nullptr;
    StationListModel* stations_ = nullptr;
    QGroupBox* followPanel_ = nullptr;
    QLineEdit* followBox_ = nullptr;
    QPushButton* followButton_ = nullptr;
    QLabel* followStatus_ = nullptr;
    QGroupBox* iconEditor_ = nullptr;
    QLabel* iconEditorCall_ = nullptr;
    QLineEdit* iconCodeBox_ = nullptr;
    QLabel* tncStatus_ = nullptr;
    QLabel *latitudeLabel_ = nullptr, *longitudeLabel_ = nullptr, *messageLabel_ = nullptr,
           *courseLabel_ = nullptr, *speedLabel_ = nullptr, *speedKmhLabel_ = nullptr,
           *altitudeLabel_ = nullptr, *commentLabel_ = nullptr, *statusLabel_ = nullptr;
    QListWidget* monitorLines_ = nullptr;
    QFrame* activityLamp_ = nullptr;
    QPointer<HelpWindow> help_;
    QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace vireo

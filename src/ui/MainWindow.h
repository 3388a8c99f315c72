// The main window frmVireo: mirrors the application object's model and forwards menu commands
// to it. It holds no state of its own beyond the widgets; positions and sizes are kept in twips
// in the model and converted to pixels here.
#pragma once

#include <QMainWindow>

#include "app/FormModel.h"

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
    QLabel* lblAGW() const { return lblAGW_; }
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

    VireoApp& app_;
    WindowGeometry shownGeometry_;  // the geometry last applied to or reported by the window
    bool applyingGeometry_ = false;

    QAction* nmuConnect_ = nullptr;
    QAction* mnuAutoConnect_ = nullptr;
    QAction* mnuDebug_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QFrame* frmDataSent_ = nullptr;
    QListWidget* lstDataSent_ = nullptr;
    QLabel* lblAGW_ = nullptr;
    QListWidget* List2_ = nullptr;
    QFrame* Shape1_ = nullptr;
};

}  // namespace vireo

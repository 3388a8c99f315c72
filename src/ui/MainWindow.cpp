#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QVBoxLayout>

#include "app/VireoApp.h"

namespace vireo {

namespace {

constexpr const char* kColumnTitles =
    "     Data      Ora         Call              Latitud.    Longit.     Dir/Vel  Cod";
constexpr float kStationFrameShiftedLeft = 5470;  // twips, with the information panel shown

QString Shown(const std::string& bytes) {
    return QString::fromLatin1(bytes);
}

}  // namespace

MainWindow::MainWindow(VireoApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmVireo");

    QMenu* nmuFile = menuBar()->addMenu("&File");
    nmuFile->setObjectName("nmuFile");
    nmuConnect_ = nmuFile->addAction(kConnectCaption);
    mnuAutoConnect_ = nmuFile->addAction("Connect &AGWPE on Startup");
    mnuAutoConnect_->setCheckable(true);
    nmuFile->addSeparator();
    mnuDebug_ = nmuFile->addAction("More info &Panel");
    mnuDebug_->setCheckable(true);
    nmuFile->addSeparator();
    mnuExit_ = nmuFile->addAction("&Exit");
    connect(nmuConnect_, &QAction::triggered, &app_, [this] { app_.nmuConnect_Click(); });
    connect(mnuAutoConnect_, &QAction::triggered, &app_, [this] { app_.mnuAutoConnect_Click(); });
    connect(mnuDebug_, &QAction::triggered, &app_, [this] { app_.mnuDebug_Click(); });
    connect(mnuExit_, &QAction::triggered, this, &QWidget::close);

    auto* surface = new QWidget(this);
    setCentralWidget(surface);

    // Information panel, uncovered when the station frame moves right.
    Shape1_ = new QFrame(surface);
    Shape1_->setObjectName("Shape1");
    Shape1_->setFrameShape(QFrame::Box);
    Shape1_->setAutoFillBackground(true);
    Shape1_->setGeometry(ToPixels(120), ToPixels(120), ToPixels(200), ToPixels(200));
    lblAGW_ = new QLabel(surface);
    lblAGW_->setObjectName("lblAGW");
    lblAGW_->setToolTip("Status, Last Mic-E Call.  DblClick=Track last Call");
    lblAGW_->setGeometry(ToPixels(420), ToPixels(100), ToPixels(4900), ToPixels(255));
    List2_ = new QListWidget(surface);
    List2_->setObjectName("List2");
    List2_->setToolTip("Agw Packet Engine Monitor Window");
    List2_->setGeometry(ToPixels(120), ToPixels(420), ToPixels(5250), ToPixels(1200));

    // Station frame, on top of the information panel.
    frmDataSent_ = new QFrame(surface);
    frmDataSent_->setObjectName("frmDataSent");
    frmDataSent_->setAutoFillBackground(true);
    auto* stationLayout = new QVBoxLayout(frmDataSent_);
    stationLayout->setContentsMargins(2, 2, 2, 2);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* lblDataSent = new QLabel(kColumnTitles, frmDataSent_);
    lblDataSent->setObjectName("lblDataSent");
    lblDataSent->setFont(fixed);
    lstDataSent_ = new QListWidget(frmDataSent_);
    lstDataSent_->setObjectName("lstDataSent");
    lstDataSent_->setFont(fixed);
    stationLayout->addWidget(lblDataSent);
    stationLayout->addWidget(lstDataSent_);
    frmDataSent_->raise();

    connect(&app_, &VireoApp::ModelChanged, this, &MainWindow::Refresh);
    Refresh();
}

int MainWindow::ToPixels(float twips) const {
    return static_cast<int>(twips * static_cast<float>(logicalDpiX()) / 1440.0f + 0.5f);
}

float MainWindow::ToTwips(int pixels) const {
    return static_cast<float>(pixels) * 1440.0f / static_cast<float>(logicalDpiX());
}

void MainWindow::Refresh() {
    const FormModel& m = app_.Model();
    setWindowTitle(Shown(m.caption));
    nmuConnect_->setText(Shown(m.nmuConnect));
    mnuAutoConnect_->setChecked(m.mnuAutoConnect);
    mnuDebug_->setChecked(m.mnuDebug);
    lblAGW_->setText(Shown(m.lblAGW));

    QStringList lines;
    for (const auto& line : m.List2) lines << Shown(line);
    List2_->clear();
    List2_->addItems(lines);

    QPalette lamp = Shape1_->palette();
    lamp.setColor(QPalette::Window,
                  m.Shape1Lit ? QColor(0, 255, 0) : palette().color(QPalette::Window));
    Shape1_->setPalette(lamp);

    if (!(m.geometry == shownGeometry_)) {
        shownGeometry_ = m.geometry;
        applyingGeometry_ = true;
        move(ToPixels(m.geometry.left), ToPixels(m.geometry.top));
        resize(ToPixels(m.geometry.width), ToPixels(m.geometry.height));
        applyingGeometry_ = false;
    }
    PlaceStationFrame();
}

void MainWindow::PlaceStationFrame() {
    const int left = app_.Model().mnuDebug ? ToPixels(kStationFrameShiftedLeft) : 0;
    const QWidget* surface = centralWidget();
    frmDataSent_->setGeometry(left, 0, std::max(surface->width() - left, ToPixels(kCompactWidth)),
                              surface->height());
}

void MainWindow::ReportGeometry() {
    if (applyingGeometry_) return;
    // Each edge still where the model put it keeps the model's twips: converting its pixels back
    // would move the saved geometry by a rounding step at every run.
    auto keep = [this](float& twips, int pixels) {
        if (ToPixels(twips) != pixels) twips = ToTwips(pixels);
    };
    keep(shownGeometry_.left, x());
    keep(shownGeometry_.top, y());
    keep(shownGeometry_.width, width());
    keep(shownGeometry_.height, height());
    app_.SetWindowGeometry(shownGeometry_);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    ReportGeometry();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ReportGeometry();
    PlaceStationFrame();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    app_.Shutdown();
    event->accept();
}

}  // namespace vireo

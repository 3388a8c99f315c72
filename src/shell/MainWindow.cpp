#include "shell/MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QVBoxLayout>

#include "shell/VireoApp.h"

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

    QMenu* mnuTrack = menuBar()->addMenu("&Google");
    mnuTrack->setObjectName("mnuTrack");
    mnuEnableTrack_ = mnuTrack->addAction("Show &Tracks");
    mnuEnableTrack_->setCheckable(true);
    mnuAutoIcon_ = mnuTrack->addAction("&Automatic station icon");
    mnuAutoIcon_->setCheckable(true);
    mnuSetStyle_ = mnuTrack->addAction("Select I&cons style file");
    mnuTrack->addSeparator();
    mnuHeight_ = mnuTrack->addAction("&Use stations altitude (for aircrafts)");
    mnuHeight_->setCheckable(true);
    mnuTrack->addSeparator();
    mnuLinkOn_ = mnuTrack->addAction("&Enable follow links on Google Earth");
    mnuLinkOn_->setCheckable(true);
    mnuTrack->addSeparator();
    mnuForceSend_ = mnuTrack->addAction("&Force Google Earth refersh for 30 sec.");
    mnuKml_ = mnuTrack->addAction("&Run Google Earth KML file");
    // The blank spacer and the clock line stand in the menu bar itself.
    mnuDummy_ = menuBar()->addAction(QString(33, ' '));
    mnuTime_ = menuBar()->addAction(QString());
    connect(mnuEnableTrack_, &QAction::triggered, &app_, [this] { app_.mnuEnableTrack_Click(); });
    connect(mnuAutoIcon_, &QAction::triggered, &app_, [this] { app_.mnuAutoIcon_Click(); });
    connect(mnuSetStyle_, &QAction::triggered, this, &MainWindow::mnuSetStyle_Click);
    connect(mnuHeight_, &QAction::triggered, &app_, [this] { app_.mnuHeight_Click(); });
    connect(mnuLinkOn_, &QAction::triggered, &app_, [this] { app_.mnuLinkOn_Click(); });
    connect(mnuForceSend_, &QAction::triggered, &app_, [this] { app_.mnuForceSend_Click(); });
    connect(mnuKml_, &QAction::triggered, &app_, [this] { app_.mnuKml_Click(); });
    connect(mnuDummy_, &QAction::triggered, &app_, [this] { app_.mnuDummy_Click(); });

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
    List2_->setGeometry(ToPixels(120), ToPixels(420), ToPixels(5250), ToPixels(900));

    // Details of the last decoded packet: caption labels beside the value labels.
    auto label = [this, surface](const char* name, const char* text, float left, float top,
                                 float width) {
        auto* l = new QLabel(text, surface);
        if (name[0] != '\0') l->setObjectName(name);
        l->setGeometry(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(230));
        return l;
    };
    label("", "Latitude", 120, 1380, 750);
    lblLat_ = label("lblLat", "", 870, 1380, 1000);
    label("", "Longitude", 1900, 1380, 800);
    lblLon_ = label("lblLon", "", 2700, 1380, 1000);
    label("", "Status", 3750, 1380, 550);
    lblMsg_ = label("lblMsg", "", 4300, 1380, 1100);
    label("", "Course", 120, 1620, 750);
    lblCourse_ = label("lblCourse", "", 870, 1620, 500);
    label("", "Speed", 1400, 1620, 550);
    lblSpeed_ = label("lblSpeed", "", 1950, 1620, 450);
    label("", "Km/h", 2450, 1620, 450);
    lblSpeedKmh_ = label("lblSpeedKmh", "", 2900, 1620, 600);
    label("", "Altitude", 3550, 1620, 700);
    lblAlt_ = label("lblAlt", "", 4250, 1620, 1100);
    label("", "Comment", 120, 1860, 750);
    lblComment_ = label("lblComment", "", 870, 1860, 4500);
    lblStatus_ = label("lblStatus", "", 120, 2100, 5250);

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

    // Many packets a second may each change the model: the window shows the state once per pass
    // of the event loop, and the station list at most a few times a second.
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &MainWindow::Refresh);
    connect(&app_, &VireoApp::ModelChanged, this, [this] {
        if (isVisible()) {
            refreshTimer_.start();
        } else {
            Refresh();  // before it is shown, so that it opens where the settings put it
        }
    });
    stationListTimer_.setSingleShot(true);
    connect(&stationListTimer_, &QTimer::timeout, this, &MainWindow::RefreshStationList);
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
    mnuEnableTrack_->setChecked(m.mnuEnableTrack);
    mnuAutoIcon_->setChecked(m.mnuAutoIcon);
    mnuHeight_->setChecked(m.mnuHeight);
    mnuLinkOn_->setChecked(m.mnuLinkOn);
    mnuTime_->setText(Shown(m.mnuTime));
    lblAGW_->setText(Shown(m.lblAGW));
    lblLat_->setText(Shown(m.lblLat));
    lblLon_->setText(Shown(m.lblLon));
    lblMsg_->setText(Shown(m.lblMsg));
    lblCourse_->setText(Shown(m.lblCourse));
    lblSpeed_->setText(Shown(m.lblSpeed));
    lblSpeedKmh_->setText(Shown(m.lblSpeedKmh));
    lblAlt_->setText(Shown(m.lblAlt));
    lblComment_->setText(Shown(m.lblComment));
    lblStatus_->setText(Shown(m.lblStatus));

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

    if (app_.Store().Version() != shownStoreVersion_ && !stationListTimer_.isActive()) {
        const qint64 sinceLast = sinceStationList_.isValid() ? sinceStationList_.elapsed() : 1000;
        stationListTimer_.start(static_cast<int>(std::max<qint64>(0, 200 - sinceLast)));
    }
}

void MainWindow::RefreshStationList() {
    const StationStore& store = app_.Store();
    shownStoreVersion_ = store.Version();
    sinceStationList_.start();

    // Keep the selection on the same station when lines move.
    QString selectedCall;
    if (const QListWidgetItem* item = lstDataSent_->currentItem()) {
        selectedCall = item->text().mid(static_cast<int>(kCallField.offset),
                                        static_cast<int>(kCallField.length));
    }
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(store.Count()));
    int selectedRow = -1;
    store.ForEachTopDown([&](const std::string& text, std::int32_t, const Track&) {
        lines << Shown(text);
        if (!selectedCall.isEmpty() &&
            lines.back().mid(static_cast<int>(kCallField.offset),
                             static_cast<int>(kCallField.length)) == selectedCall) {
            selectedRow = static_cast<int>(lines.size() - 1);
        }
    });
    const bool atBottom =
        lstDataSent_->verticalScrollBar()->value() == lstDataSent_->verticalScrollBar()->maximum();
    lstDataSent_->setUpdatesEnabled(false);
    lstDataSent_->clear();
    lstDataSent_->addItems(lines);
    if (selectedRow >= 0) lstDataSent_->setCurrentRow(selectedRow);
    if (atBottom) lstDataSent_->scrollToBottom();
    lstDataSent_->setUpdatesEnabled(true);
}

void MainWindow::mnuSetStyle_Click() {
    const FormModel& m = app_.Model();
    const QString folder = QFile::decodeName(QByteArray::fromStdString(m.IconsFolder));
    const QString path = QFileDialog::getOpenFileName(
        this, "Open Vireo icons style", QDir(folder).filePath("Vireo_Decoder.xml"),
        "Vireo icons style (*.xml)", nullptr, QFileDialog::ReadOnly);
    if (!path.isEmpty()) app_.SetStyleFile(path);
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

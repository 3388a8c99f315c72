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

#include "shell/ScreenGeometry.h"
#include "shell/Shell.h"

namespace vireo {

namespace {

constexpr const char* kColumnTitles =
    "     Data      Ora         Call              Latitud.    Longit.     Dir/Vel  Cod";
constexpr float kStationFrameShiftedLeft = 5470;  // twips, with the information panel shown

QString Shown(const std::string& bytes) {
    return QString::fromLatin1(bytes);
}

}  // namespace

MainWindow::MainWindow(Shell& shell, QWidget* parent) : QMainWindow(parent), shell_(shell) {
    setObjectName("mainWindow");

    QMenu* fileMenu = menuBar()->addMenu("&File");
    fileMenu->setObjectName("fileMenu");
    connectAction_ = fileMenu->addAction(QString::fromLatin1(kConnectCaption));
    autoConnectAction_ = fileMenu->addAction("Connect &AGWPE on Startup");
    autoConnectAction_->setCheckable(true);
    fileMenu->addSeparator();
    infoPanelAction_ = fileMenu->addAction("More info &Panel");
    infoPanelAction_->setCheckable(true);
    fileMenu->addSeparator();
    exitAction_ = fileMenu->addAction("&Exit");
    Forward(connectAction_, Command::ToggleConnection);
    Forward(autoConnectAction_, Command::ToggleAutoConnect);
    Forward(infoPanelAction_, Command::ToggleInfoPanel);
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);

    QMenu* googleMenu = menuBar()->addMenu("&Google");
    googleMenu->setObjectName("googleMenu");
    tracksAction_ = googleMenu->addAction("Show &Tracks");
    tracksAction_->setCheckable(true);
    autoIconAction_ = googleMenu->addAction("&Automatic station icon");
    autoIconAction_->setCheckable(true);
    styleFileAction_ = googleMenu->addAction("Select I&cons style file");
    googleMenu->addSeparator();
    altitudeAction_ = googleMenu->addAction("&Use stations altitude (for aircrafts)");
    altitudeAction_->setCheckable(true);
    googleMenu->addSeparator();
    followLinksAction_ = googleMenu->addAction("&Enable follow links on Google Earth");
    followLinksAction_->setCheckable(true);
    googleMenu->addSeparator();
    forceRefreshAction_ = googleMenu->addAction("&Force Google Earth refersh for 30 sec.");
    runNetworkLinkAction_ = googleMenu->addAction("&Run Google Earth KML file");
    // The blank spacer and the clock line stand in the menu bar itself.
    spacerAction_ = menuBar()->addAction(QString(33, ' '));
    clockAction_ = menuBar()->addAction(QString());
    Forward(tracksAction_, Command::ToggleTracks);
    Forward(autoIconAction_, Command::ToggleAutoIcon);
    connect(styleFileAction_, &QAction::triggered, this, &MainWindow::ChooseStyleFile);
    Forward(altitudeAction_, Command::ToggleAltitude);
    Forward(followLinksAction_, Command::ToggleFollowLinks);
    Forward(forceRefreshAction_, Command::ForceRefresh);
    Forward(runNetworkLinkAction_, Command::RunNetworkLink);
    Forward(spacerAction_, Command::Spacer);

    auto* surface = new QWidget(this);
    setCentralWidget(surface);

    // Information panel, uncovered when the station frame moves right.
    activityLamp_ = new QFrame(surface);
    activityLamp_->setObjectName("activityLamp");
    activityLamp_->setFrameShape(QFrame::Box);
    activityLamp_->setAutoFillBackground(true);
    activityLamp_->setGeometry(ToPixels(120), ToPixels(120), ToPixels(200), ToPixels(200));
    tncStatus_ = new QLabel(surface);
    tncStatus_->setObjectName("tncStatus");
    tncStatus_->setToolTip("Status, Last Mic-E Call.  DblClick=Track last Call");
    tncStatus_->setGeometry(ToPixels(420), ToPixels(100), ToPixels(4900), ToPixels(255));
    monitorLines_ = new QListWidget(surface);
    monitorLines_->setObjectName("monitorLines");
    monitorLines_->setToolTip("Agw Packet Engine Monitor Window");
    monitorLines_->setGeometry(ToPixels(120), ToPixels(420), ToPixels(5250), ToPixels(900));

    // Details of the last decoded packet: caption labels beside the value labels.
    auto label = [this, surface](const char* name, const char* text, float left, float top,
                                 float width) {
        auto* l = new QLabel(text, surface);
        if (name[0] != '\0') l->setObjectName(name);
        l->setGeometry(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(230));
        return l;
    };
    label("", "Latitude", 120, 1380, 750);
    latitudeLabel_ = label("latitude", "", 870, 1380, 1000);
    label("", "Longitude", 1900, 1380, 800);
    longitudeLabel_ = label("longitude", "", 2700, 1380, 1000);
    label("", "Status", 3750, 1380, 550);
    messageLabel_ = label("message", "", 4300, 1380, 1100);
    label("", "Course", 120, 1620, 750);
    courseLabel_ = label("course", "", 870, 1620, 500);
    label("", "Speed", 1400, 1620, 550);
    speedLabel_ = label("speed", "", 1950, 1620, 450);
    label("", "Km/h", 2450, 1620, 450);
    speedKmhLabel_ = label("speedKmh", "", 2900, 1620, 600);
    label("", "Altitude", 3550, 1620, 700);
    altitudeLabel_ = label("altitude", "", 4250, 1620, 1100);
    label("", "Comment", 120, 1860, 750);
    commentLabel_ = label("comment", "", 870, 1860, 4500);
    statusLabel_ = label("status", "", 120, 2100, 5250);

    // Station frame, on top of the information panel.
    stationFrame_ = new QFrame(surface);
    stationFrame_->setObjectName("stationFrame");
    stationFrame_->setAutoFillBackground(true);
    auto* stationLayout = new QVBoxLayout(stationFrame_);
    stationLayout->setContentsMargins(2, 2, 2, 2);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* columnTitles = new QLabel(kColumnTitles, stationFrame_);
    columnTitles->setObjectName("columnTitles");
    columnTitles->setFont(fixed);
    stationList_ = new QListWidget(stationFrame_);
    stationList_->setObjectName("stationList");
    stationList_->setFont(fixed);
    stationLayout->addWidget(columnTitles);
    stationLayout->addWidget(stationList_);
    stationFrame_->raise();

    // Many packets a second may each change the model: the window shows the state once per pass
    // of the event loop, and the station list at most a few times a second.
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &MainWindow::Refresh);
    connect(&shell_, &Shell::ViewChanged, this, [this] {
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
    const Session& session = shell_.GetSession();
    const View& v = session.GetView();
    const SettingsRecord& settings = session.Settings();
    setWindowTitle(Shown(v.caption));
    connectAction_->setText(Shown(v.connectCaption));
    autoConnectAction_->setChecked(settings.AutoConnect);
    infoPanelAction_->setChecked(v.infoPanel);
    tracksAction_->setChecked(settings.ShowTracks);
    autoIconAction_->setChecked(settings.AutoIcon);
    altitudeAction_->setChecked(settings.UseAltitude);
    followLinksAction_->setChecked(settings.FollowLinks);
    clockAction_->setText(Shown(v.clockLine));
    tncStatus_->setText(Shown(v.tncStatus));
    latitudeLabel_->setText(Shown(v.latitude));
    longitudeLabel_->setText(Shown(v.longitude));
    messageLabel_->setText(Shown(v.message));
    courseLabel_->setText(Shown(v.course));
    speedLabel_->setText(Shown(v.speedKnots));
    speedKmhLabel_->setText(Shown(v.speedKmh));
    altitudeLabel_->setText(Shown(v.altitude));
    commentLabel_->setText(Shown(v.comment));
    statusLabel_->setText(Shown(v.status));

    QStringList lines;
    for (const auto& line : v.monitorLines) lines << Shown(line);
    monitorLines_->clear();
    monitorLines_->addItems(lines);

    QPalette lamp = activityLamp_->palette();
    lamp.setColor(QPalette::Window,
                  v.lampLit ? QColor(0, 255, 0) : palette().color(QPalette::Window));
    activityLamp_->setPalette(lamp);

    const WindowGeometry geometry{settings.WindowLeft, settings.WindowTop, settings.WindowWidth,
                                  settings.WindowHeight};
    if (!(geometry == shownGeometry_)) {
        shownGeometry_ = geometry;
        applyingGeometry_ = true;
        const QRect fitted = FitTwipsToScreen(geometry.left, geometry.top, geometry.width,
                                              geometry.height, logicalDpiX(), screen());
        move(fitted.topLeft());
        resize(fitted.size());
        applyingGeometry_ = false;
    }
    PlaceStationFrame();

    if (shell_.GetSession().Store().Version() != shownStoreVersion_ &&
        !stationListTimer_.isActive()) {
        const qint64 sinceLast = sinceStationList_.isValid() ? sinceStationList_.elapsed() : 1000;
        stationListTimer_.start(static_cast<int>(std::max<qint64>(0, 200 - sinceLast)));
    }
}

void MainWindow::RefreshStationList() {
    const StationStore& store = shell_.GetSession().Store();
    shownStoreVersion_ = store.Version();
    sinceStationList_.start();

    // Keep the selection on the same station when lines move.
    QString selectedCall;
    if (const QListWidgetItem* item = stationList_->currentItem()) {
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
        stationList_->verticalScrollBar()->value() == stationList_->verticalScrollBar()->maximum();
    stationList_->setUpdatesEnabled(false);
    stationList_->clear();
    stationList_->addItems(lines);
    if (selectedRow >= 0) stationList_->setCurrentRow(selectedRow);
    if (atBottom) stationList_->scrollToBottom();
    stationList_->setUpdatesEnabled(true);
}

void MainWindow::ChooseStyleFile() {
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(shell_.GetSession().Settings().IconsFolder));
    const QString path = QFileDialog::getOpenFileName(
        this, "Open Vireo icons style", QDir(folder).filePath("Vireo_Decoder.xml"),
        "Vireo icons style (*.xml)", nullptr, QFileDialog::ReadOnly);
    if (!path.isEmpty()) shell_.ChooseStyleFile(path);
}

void MainWindow::PlaceStationFrame() {
    const int left =
        shell_.GetSession().GetView().infoPanel ? ToPixels(kStationFrameShiftedLeft) : 0;
    const QWidget* surface = centralWidget();
    stationFrame_->setGeometry(left, 0, std::max(surface->width() - left, ToPixels(kCompactWidth)),
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
    shell_.WindowGeometryChanged(shownGeometry_.left, shownGeometry_.top, shownGeometry_.width,
                                 shownGeometry_.height);
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

void MainWindow::Forward(QAction* action, Command command) {
    connect(action, &QAction::triggered, &shell_, [this, command] { shell_.Run(command); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shell_.Shutdown();
    event->accept();
}

}  // namespace vireo

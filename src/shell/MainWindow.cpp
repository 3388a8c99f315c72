#include "shell/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/HelpWindow.h"
#include "shell/ScreenGeometry.h"
#include "shell/SettingsPanel.h"
#include "shell/Shell.h"
#include "shell/StationListModel.h"

namespace vireo {

namespace {

enum Layout { kCompact, kSettings, kInfo };

constexpr int kTipLength = 63;  // the tray tip's characters
constexpr int kListRows = 8;    // lines the station list shows at least

QString Shown(const std::string& bytes) {
    return QString::fromLatin1(bytes);
}

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// The column titles, each over the first character of its column.
QString ColumnTitles() {
    std::string titles(kStationLineLength + 1, ' ');
    const std::pair<LineField, std::string_view> columns[] = {
        {kStampField, "Data"},        {{9, 5}, "Ora"},
        {kCallField, "Call"},         {kLatitudeField, "Latitud."},
        {kLongitudeField, "Longit."}, {kCourseSpeedField, "Dir/Vel"},
        {kIconCodeField, "Cod"}};
    for (const auto& [field, title] : columns) titles.replace(field.offset, title.size(), title);
    return Shown(titles);
}

}  // namespace

MainWindow::MainWindow(Shell& shell, QWidget* parent) : QMainWindow(parent), shell_(shell) {
    setObjectName("mainWindow");
    if (windowIcon().isNull()) setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    BuildMenus();

    auto* surface = new QWidget(this);
    setCentralWidget(surface);
    auto* row = new QHBoxLayout(surface);
    row->setContentsMargins(4, 2, 4, 4);
    BuildInfoPanel(surface);
    settingsPanel_ = new SettingsPanel(surface);
    BuildStationFrame(surface);
    row->addWidget(infoPanel_, 0, Qt::AlignTop);
    row->addWidget(settingsPanel_);
    row->addWidget(stationFrame_, 1);

    connect(settingsPanel_, &SettingsPanel::Accepted, this, [this] {
        std::string refresh;
        const SettingsRecord boxes = settingsPanel_->Read(shell_.GetSession().Settings(), refresh);
        shell_.Handle(
            [&](Session& s, const Moment& now) { return s.SettingsOk(boxes, refresh, now); });
    });
    connect(settingsPanel_, &SettingsPanel::Cancelled, this, [this] {
        shell_.Handle([](Session& s, const Moment& now) { return s.SettingsCancel(now); });
        settingsPanel_->Fill(shell_.GetSession().Settings(),
                             shell_.GetSession().GetView().refreshBox);
    });

    // Many packets a second may each change the model: the window shows the state once per pass
    // of the event loop, and the station list at most a few times a second.
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &MainWindow::Refresh);
    connect(&shell_, &Shell::ViewChanged, this, [this] {
        if (isVisible()) {
            if (!refreshTimer_.isActive()) {
                const qint64 since = sinceRefresh_.isValid() ? sinceRefresh_.elapsed() : 1000;
                refreshTimer_.start(static_cast<int>(std::max<qint64>(0, 40 - since)));
            }
        } else {
            Refresh();  // before it is shown, so that it opens where the settings put it
        }
    });
    stationListTimer_.setSingleShot(true);
    connect(&stationListTimer_, &QTimer::timeout, this, &MainWindow::RefreshStationList);
    Refresh();
}

MainWindow::~MainWindow() {
    delete help_;
}

void MainWindow::BuildMenus() {
    QMenu* fileMenu = menuBar()->addMenu("&File");
    fileMenu->setObjectName("fileMenu");
    connectAction_ = fileMenu->addAction(QString::fromLatin1(kConnectCaption));
    autoConnectAction_ = fileMenu->addAction("Connect &AGWPE on Startup");
    autoConnectAction_->setCheckable(true);
    fileMenu->addSeparator();
    settingsAction_ = fileMenu->addAction("Show / Edit &Settings (Ctrl-S)");
    infoPanelAction_ = fileMenu->addAction("More info &Panel");
    infoPanelAction_->setCheckable(true);
    fileMenu->addSeparator();
    exitAction_ = fileMenu->addAction("&Exit");
    Forward(connectAction_, Command::ToggleConnection);
    Forward(autoConnectAction_, Command::ToggleAutoConnect);
    connect(settingsAction_, &QAction::triggered, this, &MainWindow::OpenSettings);
    Forward(infoPanelAction_, Command::ToggleInfoPanel);
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);

    QMenu* googleMenu = menuBar()->addMenu("&Google");
    googleMenu->setObjectName("googleMenu");
    unfollowAction_ = googleMenu->addAction("Sto&p Following current station");
    followAction_ = googleMenu->addAction("&Follow a station");
    googleMenu->addSeparator();
    tracksAction_ = googleMenu->addAction("Show &Tracks");
    tracksAction_->setCheckable(true);
    deleteTrackAction_ = googleMenu->addAction("Delete selected station track");
    deleteAllTracksAction_ = googleMenu->addAction("&Delete All Tracks");
    googleMenu->addSeparator();
    autoIconAction_ = googleMenu->addAction("&Automatic station icon");
    autoIconAction_->setCheckable(true);
    iconAction_ = googleMenu->addAction("&Change selected station icon (Ctrl-D)");
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
    for (QAction* hidden : {unfollowAction_, deleteTrackAction_, iconAction_}) {
        hidden->setVisible(false);
    }
    auto handle = [this](QAction* action, auto event) {
        connect(action, &QAction::triggered, this, [this, event] { shell_.Handle(event); });
    };
    handle(unfollowAction_, [](Session& s, const Moment& now) { return s.StopFollowing(now); });
    handle(followAction_, [](Session& s, const Moment& now) { return s.OpenFollowPanel(now); });
    Forward(tracksAction_, Command::ToggleTracks);
    connect(deleteTrackAction_, &QAction::triggered, this, [this] {
        const std::string line = SelectedLine();
        shell_.Handle(
            [&](Session& s, const Moment& now) { return s.DeleteTrackChosen(line, now); });
    });
    handle(deleteAllTracksAction_,
           [](Session& s, const Moment& now) { return s.DeleteAllTracksChosen(now); });
    Forward(autoIconAction_, Command::ToggleAutoIcon);
    connect(iconAction_, &QAction::triggered, this, [this] {
        const std::string line = SelectedLine();
        shell_.Handle([&](Session& s, const Moment& now) { return s.OpenIconEditor(line, now); });
    });
    connect(styleFileAction_, &QAction::triggered, this, &MainWindow::ChooseStyleFile);
    Forward(altitudeAction_, Command::ToggleAltitude);
    Forward(followLinksAction_, Command::ToggleFollowLinks);
    Forward(forceRefreshAction_, Command::ForceRefresh);
    Forward(runNetworkLinkAction_, Command::RunNetworkLink);

    helpAction_ = menuBar()->addAction("&Help");
    connect(helpAction_, &QAction::triggered, this, &MainWindow::OpenHelp);
    spacerAction_ = menuBar()->addAction(QString(33, ' '));
    Forward(spacerAction_, Command::Spacer);
    // The clock line stands in the menu bar's corner, where no menu can push it out of sight.
    clock_ = new QLabel(menuBar());
    clock_->setObjectName("clock");
    clock_->setContentsMargins(6, 0, 6, 0);
    menuBar()->setCornerWidget(clock_, Qt::TopRightCorner);
}

void MainWindow::BuildInfoPanel(QWidget* surface) {
    infoPanel_ = new QWidget(surface);
    infoPanel_->setObjectName("infoPanel");
    auto* grid = new QGridLayout(infoPanel_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    const QFontMetrics metrics(font());
    activityLamp_ = new QFrame(infoPanel_);
    activityLamp_->setObjectName("activityLamp");
    activityLamp_->setFrameShape(QFrame::Box);
    activityLamp_->setAutoFillBackground(true);
    activityLamp_->setFixedSize(metrics.height(), metrics.height());
    tncStatus_ = new QLabel(infoPanel_);
    tncStatus_->setObjectName("tncStatus");
    tncStatus_->setToolTip("Status, Last Mic-E Call.  DblClick=Track last Call");
    monitorLines_ = new QListWidget(infoPanel_);
    monitorLines_->setObjectName("monitorLines");
    monitorLines_->setToolTip("Agw Packet Engine Monitor Window");
    monitorLines_->setFixedHeight(metrics.lineSpacing() * 3 + 2 * monitorLines_->frameWidth() + 4);
    grid->addWidget(activityLamp_, 0, 0);
    grid->addWidget(tncStatus_, 0, 1, 1, 7);
    grid->addWidget(monitorLines_, 1, 0, 1, 8);

    // Caption labels beside value labels, each value wide enough for its longest text.
    auto pair = [&](const char* name, const char* caption, const char* widest, int row, int column,
                    int span = 1) {
        grid->addWidget(new QLabel(caption, infoPanel_), row, column);
        auto* value = new QLabel(infoPanel_);
        value->setObjectName(name);
        value->setMinimumWidth(metrics.horizontalAdvance(widest));
        grid->addWidget(value, row, column + 1, 1, span);
        return value;
    };
    latitudeLabel_ = pair("latitude", "Latitude", "0000.00N", 2, 0);
    longitudeLabel_ = pair("longitude", "Longitude", "00000.00W", 2, 2);
    messageLabel_ = pair("message", "Status", "Emergency", 2, 4, 3);
    courseLabel_ = pair("course", "Course", "000", 3, 0);
    speedLabel_ = pair("speed", "Speed", "000", 3, 2);
    speedKmhLabel_ = pair("speedKmh", "Km/h", "0000.0", 3, 4);
    altitudeLabel_ = pair("altitude", "Altitude", "+00000", 3, 6);
    commentLabel_ = pair("comment", "Comment", "", 4, 0, 7);
    statusLabel_ = new QLabel(infoPanel_);
    statusLabel_->setObjectName("status");
    grid->addWidget(statusLabel_, 5, 0, 1, 8);
    grid->setRowStretch(6, 1);
}

void MainWindow::BuildStationFrame(QWidget* surface) {
    stationFrame_ = new QFrame(surface);
    stationFrame_->setObjectName("stationFrame");
    auto* column = new QVBoxLayout(stationFrame_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    stationList_ = new QListView(stationFrame_);
    stationList_->setObjectName("stationList");
    stationList_->setFont(fixed);
    stationList_->setUniformItemSizes(true);
    stationList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stationList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stationList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    stations_ = new StationListModel(stationList_);
    stationList_->setModel(stations_);
    stationList_->installEventFilter(this);

    // The whole line and the scroll bar fit; the titles start where the lines' text starts.
    const QFontMetrics metrics(fixed);
    const int textMargin =
        style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, stationList_) + 1;
    const int frame = stationList_->frameWidth();
    stationList_->setMinimumWidth(
        metrics.horizontalAdvance(QString(static_cast<int>(kStationLineLength) + 1, '0')) +
        2 * (textMargin + frame) + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    stationList_->setMinimumHeight(metrics.lineSpacing() * kListRows + 2 * frame);
    columnTitles_ = new QLabel(ColumnTitles(), stationFrame_);
    columnTitles_->setObjectName("columnTitles");
    columnTitles_->setFont(fixed);
    columnTitles_->setIndent(textMargin + frame);
    column->addWidget(columnTitles_);
    column->addWidget(stationList_, 1);

    connect(stationList_, &QListView::pressed, this, [this](const QModelIndex& index) {
        const std::string line = stations_->Line(index.row());
        shell_.Handle([&](Session& s, const Moment& now) { return s.LinePressed(line, now); });
        if (QApplication::mouseButtons() == Qt::LeftButton &&
            QApplication::keyboardModifiers() == Qt::ControlModifier) {
            shell_.Handle(
                [&](Session& s, const Moment& now) { return s.OpenIconEditor(line, now); });
        }
    });
    connect(stationList_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        const std::string line = stations_->Line(index.row());
        shell_.Handle(
            [&](Session& s, const Moment& now) { return s.LineDoubleClicked(line, now); });
    });

    // The follow panel: a call typed in capitals, Follow or Cancel.
    followPanel_ = new QGroupBox("Follow", stationFrame_);
    followPanel_->setObjectName("followPanel");
    auto* follow = new QGridLayout(followPanel_);
    auto* callLabel = new QLabel("&Call:", followPanel_);
    followBox_ = new QLineEdit(followPanel_);
    followBox_->setObjectName("followBox");
    followBox_->setMaxLength(static_cast<int>(kCallField.length));
    followBox_->installEventFilter(this);
    callLabel->setBuddy(followBox_);
    followButton_ = new QPushButton("Follow", followPanel_);
    auto* cancelFollow = new QPushButton("Cancel", followPanel_);
    followStatus_ = new QLabel(followPanel_);
    followStatus_->setObjectName("followStatus");
    follow->addWidget(callLabel, 0, 0);
    follow->addWidget(followBox_, 0, 1);
    follow->addWidget(followButton_, 0, 2);
    follow->addWidget(cancelFollow, 0, 3);
    follow->addWidget(followStatus_, 1, 0, 1, 4);
    followPanel_->hide();
    column->addWidget(followPanel_);
    connect(followBox_, &QLineEdit::textEdited, this, [this](const QString& typed) {
        const QString call = Shown(CallTyped(Bytes(typed)));
        if (call == typed) return;
        const int cursor =
            followBox_->cursorPosition() - static_cast<int>(typed.size() - call.size());
        followBox_->setText(call);
        followBox_->setCursorPosition(std::max(0, cursor));
    });
    auto followTyped = [this] {
        const std::string typed = Bytes(followBox_->text());
        shell_.Handle([&](Session& s, const Moment& now) { return s.FollowTyped(typed, now); });
    };
    connect(followButton_, &QPushButton::clicked, this, followTyped);
    connect(followBox_, &QLineEdit::returnPressed, this, followTyped);
    connect(cancelFollow, &QPushButton::clicked, this, [this] {
        shell_.Handle([](Session& s, const Moment& now) { return s.CloseFollowPanel(now); });
    });

    // The icon editor: the station's call and its two-character code; Enter sets it.
    iconEditor_ = new QGroupBox("Icon", stationFrame_);
    iconEditor_->setObjectName("iconEditor");
    auto* icon = new QHBoxLayout(iconEditor_);
    auto* codeLabel = new QLabel("Codice di", iconEditor_);
    iconEditorCall_ = new QLabel(iconEditor_);
    iconEditorCall_->setObjectName("iconEditorCall");
    iconEditorCall_->setFont(fixed);
    iconCodeBox_ = new QLineEdit(iconEditor_);
    iconCodeBox_->setObjectName("iconCode");
    iconCodeBox_->setMaxLength(static_cast<int>(kIconCodeField.length));
    iconCodeBox_->setFixedWidth(QFontMetrics(iconCodeBox_->font()).horizontalAdvance("WWWW") + 8);
    codeLabel->setBuddy(iconCodeBox_);
    auto* set = new QPushButton("Set", iconEditor_);
    icon->addWidget(codeLabel);
    icon->addWidget(iconEditorCall_);
    icon->addWidget(iconCodeBox_);
    icon->addWidget(set);
    icon->addStretch();
    iconEditor_->hide();
    column->addWidget(iconEditor_);
    auto setCode = [this] {
        const std::string typed = Bytes(iconCodeBox_->text());
        shell_.Handle([&](Session& s, const Moment& now) { return s.SetIconCode(typed, now); });
    };
    connect(set, &QPushButton::clicked, this, setCode);
    connect(iconCodeBox_, &QLineEdit::returnPressed, this, setCode);
}

int MainWindow::ToPixels(float twips) const {
    return static_cast<int>(twips * static_cast<float>(logicalDpiX()) / 1440.0f + 0.5f);
}

float MainWindow::ToTwips(int pixels) const {
    return static_cast<float>(pixels) * 1440.0f / static_cast<float>(logicalDpiX());
}

void MainWindow::Refresh() {
    sinceRefresh_.start();
    const Session& session = shell_.GetSession();
    const View& v = session.GetView();
    const SettingsRecord& settings = session.Settings();
    setWindowTitle(Shown(v.caption));
    if (tray_) tray_->setToolTip(Shown(v.caption).left(kTipLength));
    connectAction_->setText(Shown(v.connectCaption));
    autoConnectAction_->setChecked(settings.AutoConnect);
    infoPanelAction_->setChecked(v.infoPanel);
    followAction_->setText(Shown(v.followCaption));
    if (!v.unfollowCaption.empty()) unfollowAction_->setText(Shown(v.unfollowCaption));
    unfollowAction_->setVisible(v.unfollowVisible);
    tracksAction_->setChecked(settings.ShowTracks);
    deleteTrackAction_->setText(Shown(v.deleteTrackCaption));
    // Shown only while a line is selected: a station that expired takes its selection along.
    const bool selected = stationList_->selectionModel()->hasSelection();
    deleteTrackAction_->setVisible(v.deleteTrackVisible && selected);
    autoIconAction_->setChecked(settings.AutoIcon);
    iconAction_->setText(Shown(v.iconCaption));
    iconAction_->setVisible(v.iconVisible && selected);
    altitudeAction_->setChecked(settings.UseAltitude);
    followLinksAction_->setChecked(settings.FollowLinks);
    clock_->setText(Shown(v.clockLine));
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

    // The panels of the station frame.
    followPanel_->setVisible(v.followPanel);
    followStatus_->setText(Shown(v.followStatus));
    if (followBox_->text() != Shown(v.followBox) && !followBox_->hasFocus()) {
        followBox_->setText(Shown(v.followBox));
    }
    if (v.followFocus != shownFollowFocus_) {
        shownFollowFocus_ = v.followFocus;
        followBox_->setText(Shown(v.followBox));
        followBox_->setFocus();
        followBox_->selectAll();
    }
    iconEditor_->setVisible(v.iconEditor);
    iconEditorCall_->setText(Shown(v.iconEditorCall));
    if (v.iconFocus != shownIconFocus_) {
        shownIconFocus_ = v.iconFocus;
        iconCodeBox_->setText(Shown(v.iconEditorCode));
        iconCodeBox_->setFocus();
        iconCodeBox_->selectAll();
    }

    ApplyLayout();
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

    if (session.Store().Version() != shownStoreVersion_ && !stationListTimer_.isActive()) {
        const qint64 sinceLast = sinceStationList_.isValid() ? sinceStationList_.elapsed() : 1000;
        stationListTimer_.start(static_cast<int>(std::max<qint64>(0, 200 - sinceLast)));
    }
}

// The three layouts: the station list alone, the settings panel alone, and the information
// panel beside the list. The first two share one width, the list's; their height may grow. The
// information panel's layout has one size.
void MainWindow::ApplyLayout() {
    const View& v = shell_.GetSession().GetView();
    const int layout = v.settingsPanel ? kSettings : v.infoPanel ? kInfo : kCompact;
    // The follow panel and the icon editor take room below the list: the sizes are worked out
    // again when one of them comes or goes.
    const int shape = layout * 4 + (v.followPanel ? 1 : 0) + (v.iconEditor ? 2 : 0);
    if (shape == shownShape_) return;
    if (layout == kSettings && (shownShape_ < 0 || shownShape_ / 4 != layout)) {
        settingsPanel_->Fill(shell_.GetSession().Settings(), v.refreshBox);
    }
    shownShape_ = shape;
    infoPanel_->setVisible(layout == kInfo);
    settingsPanel_->setVisible(layout == kSettings);
    stationFrame_->setVisible(layout != kSettings);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int sides = margins.left() + margins.right();
    centralWidget()->layout()->activate();
    if (layout == kInfo) {
        const int width = infoPanel_->sizeHint().width() + centralWidget()->layout()->spacing() +
                          stationFrame_->sizeHint().width() + sides;
        setFixedSize(std::max(width, menuBar()->sizeHint().width()), sizeHint().height());
    } else {
        const int width =
            std::max(stationFrame_->sizeHint().width(), settingsPanel_->minimumSizeHint().width()) +
            sides;
        setMinimumSize(width, minimumSizeHint().height());
        setMaximumWidth(width);
    }
}

void MainWindow::RefreshStationList() {
    const StationStore& store = shell_.GetSession().Store();
    shownStoreVersion_ = store.Version();
    sinceStationList_.start();
    const std::string selected = SelectedLine();
    QScrollBar* scroll = stationList_->verticalScrollBar();
    const bool atBottom = scroll->value() == scroll->maximum();
    stations_->Sync(store);
    // Keep the selection on the same station when lines move.
    if (!selected.empty()) SelectCall(std::string(kCallField.Of(selected)));
    if (atBottom) stationList_->scrollToBottom();
}

std::string MainWindow::SelectedLine() const {
    const QModelIndex current = stationList_->currentIndex();
    if (!current.isValid() || !stationList_->selectionModel()->isSelected(current)) return {};
    return stations_->Line(current.row());
}

void MainWindow::SelectCall(const std::string& call) {
    for (int row = stations_->rowCount(); row-- > 0;) {
        if (kCallField.Of(stations_->Line(row)) == call) {
            stationList_->setCurrentIndex(stations_->index(row));
            return;
        }
    }
}

void MainWindow::OpenSettings() {
    shell_.Handle([](Session& s, const Moment& now) { return s.OpenSettings(now); });
    settingsPanel_->Fill(shell_.GetSession().Settings(), shell_.GetSession().GetView().refreshBox);
    settingsPanel_->Box(0)->setFocus();
}

void MainWindow::OpenHelp() {
    if (!help_) help_ = new HelpWindow(shell_.Boxes());
    help_->Open(QString::fromLatin1(kHelpFileName), HelpTitle(),
                {QDir::currentPath(), shell_.ResourcesFolder()});
}

void MainWindow::ChooseStyleFile() {
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(shell_.GetSession().Settings().IconsFolder));
    const QString path = QFileDialog::getOpenFileName(
        this, "Open Vireo icons style", QDir(folder).filePath("Vireo_Decoder.xml"),
        "Vireo icons style (*.xml)", nullptr, QFileDialog::ReadOnly);
    if (!path.isEmpty()) shell_.ChooseStyleFile(path);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == stationList_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_S && mods == Qt::ControlModifier) {
            OpenSettings();
            return true;
        }
        if (key->key() == Qt::Key_D && mods == Qt::ControlModifier) {
            const std::string line = SelectedLine();
            if (!line.empty()) {
                shell_.Handle(
                    [&](Session& s, const Moment& now) { return s.OpenIconEditor(line, now); });
            }
            return true;
        }
        if (key->key() == Qt::Key_F1) {
            OpenHelp();
            return true;
        }
    }
    // A click into the follow box selects its whole text.
    if (watched == followBox_ && event->type() == QEvent::MouseButtonRelease) {
        QTimer::singleShot(0, followBox_, [box = followBox_] { box->selectAll(); });
    }
    return QMainWindow::eventFilter(watched, event);
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
    if (!isMinimized() && isVisible()) ReportGeometry();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized() && isVisible()) ReportGeometry();
}

// Minimized, the window goes into the desktop's notification area where there is one; a left
// click on its icon brings it back. Without one it minimizes as any window does.
void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() ||
        !QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    if (!tray_) {
        tray_ = new QSystemTrayIcon(windowIcon(), this);
        tray_->setObjectName("trayIcon");
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) RestoreFromTray();
                });
    }
    tray_->setToolTip(windowTitle().left(kTipLength));
    tray_->show();
    QTimer::singleShot(0, this, &QWidget::hide);
}

void MainWindow::RestoreFromTray() {
    if (tray_) tray_->hide();
    showNormal();
    activateWindow();
}

void MainWindow::Forward(QAction* action, Command command) {
    connect(action, &QAction::triggered, &shell_, [this, command] { shell_.Run(command); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shell_.Shutdown();
    // The program ends with its main window, whatever else is open.
    if (help_) help_->close();
    if (tray_) tray_->hide();
    event->accept();
}

}  // namespace vireo

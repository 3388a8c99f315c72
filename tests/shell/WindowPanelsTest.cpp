// The window's panels and list driven as a user drives them, offscreen, boxes answered by
// script: the settings panel, following, the icon editor, help, and the layouts' sizes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "TestSupport.h"
#include "shell/MainWindow.h"
#include "shell/SettingsPanel.h"
#include "shell/StationListModel.h"

namespace vireo {
namespace {

using test::WaitFor;

struct Window {
    Window() : rig(tnc.Port()), window(rig.shell) {
        rig.shell.Start();
        window.show();
        WaitFor([this] { return tnc.client != nullptr; });
    }
    void Hear(const std::string& call, const std::string& info) {
        const int before = window.stations().rowCount();
        tnc.Send(MakeAgwFrame('U', " 1:Fm " + call + " To APRS <UI>\r" + info + "\r"));
        WaitFor([&] { return window.stations().rowCount() > before; });
    }
    QPoint RowCentre(int row) const {
        return window.stationList()->visualRect(window.stations().index(row)).center();
    }
    std::string Answered(int box) {
        WaitFor([&] { return static_cast<int>(rig.boxes.shown.size()) > box; });
        QTest::qWait(20);
        return box < static_cast<int>(rig.boxes.shown.size()) ? rig.boxes.shown[box].text : "";
    }

    test::FakeTnc tnc;
    test::Rig rig;
    MainWindow window;
};

TEST(WindowPanels, SettingsPanelBoxesChecksAndCancel) {
    Window w;
    SettingsPanel& panel = *w.window.settingsPanel();
    QTest::keyClick(w.window.stationList(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return panel.isVisible(); }));
    // Every box is named by its label for the accessibility interface.
    for (std::size_t i = 0; i < kSettingsBoxCount; ++i) {
        const QString name =
            QAccessible::queryAccessibleInterface(panel.Box(i))->text(QAccessible::Name);
        EXPECT_EQ(name.toStdString(), kSettingsBoxes[i].label);
    }
    // A ticked check box disables the box it overrides; the home boxes are red while invalid.
    QLineEdit* heading = panel.Box(6);
    panel.Check(0)->setChecked(false);
    EXPECT_TRUE(heading->isEnabled());
    panel.Check(0)->click();
    EXPECT_FALSE(heading->isEnabled()) << panel.Check(0)->isChecked();
    QLineEdit* latitude = panel.Box(8);
    latitude->clear();
    QTest::keyClicks(latitude, "N4");
    EXPECT_EQ(latitude->palette().color(QPalette::Text), QColor(Qt::red));
    QTest::keyClicks(latitude, "2.00.00");
    EXPECT_NE(latitude->palette().color(QPalette::Text), QColor(Qt::red));

    // Cancel takes nothing and shows the saved texts next time; OK corrects and closes.
    heading->setEnabled(true);
    heading->setText("400");
    QTest::mouseClick(panel.CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !panel.isVisible(); }));
    w.window.settingsAction()->trigger();
    EXPECT_EQ(heading->text(), "0");
    EXPECT_FALSE(heading->isEnabled());
    panel.Box(5)->setText("-10");
    QTest::mouseClick(panel.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !panel.isVisible(); }));
    EXPECT_EQ(w.rig.shell.GetSession().Settings().ViewTilt, "0");
    EXPECT_TRUE(w.rig.boxes.shown.empty());  // the refresh interval did not change
}

TEST(WindowPanels, FollowingAndTheIconEditorFromTheList) {
    Window w;
    w.Hear("KW1AW", "=4903.50N/07201.75W>088/036");
    w.window.followAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return w.window.followPanel()->isVisible(); }));
    // Below the list, not over it: the window makes room.
    EXPECT_TRUE(WaitFor([&] {
        return !w.window.followPanel()->geometry().intersects(w.window.stationList()->geometry());
    }));
    QLineEdit* box = w.window.followBox();
    EXPECT_TRUE(box->hasFocus());
    box->clear();
    QTest::keyClicks(box, "w1aw%");
    EXPECT_EQ(box->text(), "W1AW");
    QTest::mouseClick(w.window.followButton(), Qt::LeftButton);  // not listed: asked
    EXPECT_EQ(w.Answered(0).substr(0, 10), "W1AW      ");

    // A double-click on the line, confirmed, follows it: the mark moves to its line.
    QTest::mouseClick(w.window.stationList()->viewport(), Qt::LeftButton, {}, w.RowCentre(0));
    QTest::mouseDClick(w.window.stationList()->viewport(), Qt::LeftButton, {}, w.RowCentre(0));
    EXPECT_EQ(w.Answered(1), "Conferma ATTIVAZIONE Following di KW1AW     ?");
    EXPECT_TRUE(WaitFor([&] { return w.window.stations().Line(0)[25] == '*'; }));

    // Ctrl+click opens the icon editor; Enter sets the code.
    QTest::mouseClick(w.window.stationList()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      w.RowCentre(0));
    EXPECT_EQ(w.window.deleteTrackAction()->text(), "Delete KW1AW     track");
    ASSERT_TRUE(WaitFor([&] { return w.window.iconEditor()->isVisible(); }));
    EXPECT_EQ(w.window.iconEditorCall()->text(), "KW1AW    ");
    w.window.iconCodeBox()->setText("x");
    QTest::keyClick(w.window.iconCodeBox(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return w.window.stations().Line(0).substr(54) == " X"; }));
    EXPECT_FALSE(w.window.iconEditor()->isVisible());
}

TEST(WindowPanels, HelpIsFoundBesideTheProgramAndEndsWithTheWindow) {
    Window w;
    const QString working = QDir::currentPath();
    QTemporaryDir elsewhere;
    QDir::setCurrent(elsewhere.path());
    QTest::keyClick(w.window.stationList(), Qt::Key_F1);
    EXPECT_EQ(w.Answered(0), "Manca il file di help Vireo_Istr.rtf");
    EXPECT_FALSE(w.window.helpWindow()->isVisible());

    QFile help(w.rig.folder.filePath("Vireo_Istr.rtf"));  // the resources folder
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("{\\rtf1 \\b Vireo\\b0  help\\par}");
    help.close();
    w.window.helpAction()->trigger();
    EXPECT_TRUE(w.window.helpWindow()->isVisible());
    EXPECT_EQ(w.window.helpWindow()->windowTitle(), " " + HelpTitle());
    w.window.close();
    EXPECT_FALSE(w.window.helpWindow()->isVisible());
    QDir::setCurrent(working);
}

TEST(WindowPanels, LayoutsShowWholeLinesAndKeepTheirSizes) {
    Window w;
    w.Hear("N0CALL-9", "=4903.50N/07201.75W>088/036");
    QListView* list = w.window.stationList();
    const QFontMetrics fixed(list->font());
    const int line = fixed.horizontalAdvance(QString::fromLatin1(w.window.stations().Line(0)));
    EXPECT_GE(list->viewport()->width(), line);
    EXPECT_EQ(w.window.columnTitles()->text().indexOf("Call"), 16);

    // Compact: wider snaps back, lower grows to the minimum. Info panel: one size.
    const QSize compact = w.window.size();
    w.window.resize(compact.width() + 200, 10);
    QTest::qWait(20);
    EXPECT_EQ(w.window.width(), compact.width());
    EXPECT_GE(w.window.height(), w.window.minimumSizeHint().height());
    w.window.infoPanelAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return w.window.infoPanel()->isVisible(); }));
    const QSize info = w.window.size();
    w.window.resize(info.width() - 100, info.height() + 100);
    QTest::qWait(20);
    EXPECT_EQ(w.window.size(), info);
    EXPECT_GE(list->viewport()->width(), line);
}

}  // namespace
}  // namespace vireo

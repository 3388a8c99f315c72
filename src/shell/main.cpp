// Vireo Decoder: watches moving APRS stations heard by an AGWPE-compatible TNC.
#include <QApplication>

#include "shell/MainWindow.h"
#include "shell/MoveSound.h"
#include "shell/QtMessageBoxes.h"
#include "shell/ShutdownSignals.h"
#include "shell/VireoApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    vireo::QtMessageBoxes boxes;
    vireo::VireoApp app(QCoreApplication::applicationDirPath(), boxes);
    app.SetSoundPlayer(&vireo::PlayWaveInBackground);
    vireo::MainWindow window(app);
    boxes.SetParent(&window);

    // A stop request from the service manager or the terminal closes the window, which runs the
    // shut-down sequence, then leaves every event loop, open message boxes included.
    vireo::ShutdownSignals stopRequests;
    QObject::connect(&stopRequests, &vireo::ShutdownSignals::Requested, &window, [&window] {
        window.close();
        QCoreApplication::exit(0);
    });

    app.Startup();
    window.show();
    return application.exec();
}

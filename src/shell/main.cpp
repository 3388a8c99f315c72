// Vireo Decoder: watches moving APRS stations heard by an AGWPE-compatible TNC.
#include <QApplication>

#include "shell/ApplicationFolder.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxes.h"
#include "shell/MoveSound.h"
#include "shell/Shell.h"
#include "shell/ShutdownSignals.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Taken from here on: a stop request that comes before the event loop runs waits for it.
    vireo::ShutdownSignals stopRequests;
    vireo::QtMessageBoxes boxes;
    QCoreApplication::setApplicationName("vireo-decoder");
    const vireo::ApplicationFolders folders =
        vireo::ChooseApplicationFolders(QCoreApplication::applicationDirPath());
    vireo::ShellOptions options;
    options.appFolder = folders.data;
    options.iconsFolder = folders.icons;
    options.resourcesFolder = folders.resources;
    options.playSound = &vireo::PlayWaveInBackground;
    vireo::Shell shell(options, boxes);
    vireo::MainWindow window(shell);
    boxes.SetParent(&window);

    // A stop request from the service manager or the terminal closes the window, which runs the
    // shut-down sequence.
    QObject::connect(&stopRequests, &vireo::ShutdownSignals::Requested, &window, [&window] {
        window.close();
        QCoreApplication::exit(0);
    });

    shell.Start();
    window.show();
    return application.exec();
}

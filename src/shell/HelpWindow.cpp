#include "shell/HelpWindow.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "shell/MessageBoxes.h"
#include "text/Rtf.h"

namespace vireo {

QString HelpTitle() {
    return QStringLiteral("Vireo Decoder v%1.%2 - Istruzioni")
        .arg(VIREO_VERSION_MAJOR)
        .arg(VIREO_VERSION_MINOR);
}

HelpWindow::HelpWindow(MessageBoxes& boxes) : boxes_(boxes) {
    setObjectName("helpWindow");
    setWindowTitle("Istruzioni:");
    // Help alone never keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    document_ = new QTextBrowser(this);
    document_->setObjectName("helpDocument");
    layout->addWidget(document_);
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance('0') * 90, metrics.lineSpacing() * 36);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void HelpWindow::Open(const QString& fileName, const QString& title, const QStringList& folders) {
    fileName_ = fileName;
    folders_ = folders;
    setWindowTitle(" " + title);
    show();
    raise();
    activateWindow();
    Load();
}

void HelpWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Load();
}

// The file is looked for in the working folder first, then where the program keeps its
// resources, so help works whichever folder the program was started from.
void HelpWindow::Load() {
    for (const QString& folder : folders_) {
        QFile file(QDir(folder).filePath(fileName_));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray rtf = file.readAll();
        document_->setHtml(
            QString::fromUtf8(RtfToHtml(std::string_view(rtf.constData(), rtf.size()))));
        document_->verticalScrollBar()->setValue(0);
        return;
    }
    boxes_.Show(ShowMessage{QuestionId::HelpMissing, MessageIcon::Critical, "Zid-O Ruvorir",
                            "Manca il file di help " + fileName_.toLatin1().toStdString(),
                            MessageButtons::Ok},
                [](MessageAnswer) {});
    close();
}

}  // namespace vireo

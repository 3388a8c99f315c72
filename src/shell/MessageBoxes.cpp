#include "shell/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace vireo {

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            break;
    }
    return QMessageBox::Warning;
}

QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

MessageAnswer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

// The first button, as a box with no other default has it.
MessageAnswer DefaultAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
               ? MessageAnswer::Yes
               : MessageAnswer::Ok;
}

}  // namespace

void QtMessageBoxes::Show(const ShowMessage& message, std::function<void(MessageAnswer)> answered) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        std::fprintf(stderr, "vireo-decoder: %s: %s\n", message.title.c_str(),
                     message.text.c_str());
        // The window as context: an answer still pending when it closes is dropped.
        QObject* context = parent_ ? static_cast<QObject*>(parent_.data()) : qApp;
        QTimer::singleShot(0, context, [answered = std::move(answered), buttons = message.buttons] {
            answered(DefaultAnswer(buttons));
        });
        return;
    }
    auto* box =
        new QMessageBox(QtIcon(message.icon), QString::fromLatin1(message.title),
                        QString::fromLatin1(message.text), QtButtons(message.buttons), parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box,
                     [answered = std::move(answered)](int button) { answered(AnswerOf(button)); });
    box->open();
}

}  // namespace vireo

#include "ui/QtMessageBoxes.h"

#include <QMessageBox>

namespace vireo {

MessageAnswer QtMessageBoxes::Show(MessageIcon icon, const std::string& title,
                                   const std::string& text, MessageButtons buttons) {
    QMessageBox::Icon qtIcon = QMessageBox::Warning;
    switch (icon) {
        case MessageIcon::Exclamation:
            qtIcon = QMessageBox::Warning;
            break;
        case MessageIcon::Question:
            qtIcon = QMessageBox::Question;
            break;
        case MessageIcon::Information:
            qtIcon = QMessageBox::Information;
            break;
        case MessageIcon::Critical:
            qtIcon = QMessageBox::Critical;
            break;
    }
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    switch (buttons) {
        case MessageButtons::Ok:
            qtButtons = QMessageBox::Ok;
            break;
        case MessageButtons::OkCancel:
            qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MessageButtons::YesNo:
            qtButtons = QMessageBox::Yes | QMessageBox::No;
            break;
    }
    QMessageBox box(qtIcon, QString::fromLatin1(title), QString::fromLatin1(text), qtButtons,
                    parent_);
    switch (box.exec()) {
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

}  // namespace vireo

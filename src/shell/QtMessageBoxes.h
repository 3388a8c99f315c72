// Message boxes shown as modal QMessageBox dialogs over the main window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "settings/MessageBoxes.h"

namespace vireo {

class QtMessageBoxes : public MessageBoxes {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }

    MessageAnswer Show(MessageIcon icon, const std::string& title, const std::string& text,
                       MessageButtons buttons) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace vireo

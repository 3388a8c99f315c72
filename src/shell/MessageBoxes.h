// Message boxes the session asks for. A box never blocks: Show() returns at once and the answer
// arrives later through `answered`. Tests answer with a script instead of a window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "session/Effects.h"

namespace vireo {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void Show(const ShowMessage& message, std::function<void(MessageAnswer)> answered) = 0;
};

// Window-modal QMessageBox dialogs over the main window. On a platform with no screen (offscreen,
// as a service runs) nobody could answer: the text goes to stderr and the box's default answer
// is taken.
class QtMessageBoxes : public MessageBoxes {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Show(const ShowMessage& message, std::function<void(MessageAnswer)> answered) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace vireo

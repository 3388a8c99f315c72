// The settings panel: the text boxes and check boxes of the settings table, each box named by
// its label, with OK and Cancel. It holds no settings of its own: Fill() shows the session's
// and Read() hands back what the user typed; the session decides what becomes of it.
#pragma once

#include <QGroupBox>
#include <array>
#include <string>

#include "settings/Settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vireo {

class SettingsPanel : public QGroupBox {
    Q_OBJECT

  public:
    explicit SettingsPanel(QWidget* parent = nullptr);

    // Shows the settings and the refresh box's text.
    void Fill(const SettingsRecord& settings, const std::string& refreshText);
    // What the boxes hold now: the panel's fields of `settings` replaced, and the refresh text.
    SettingsRecord Read(const SettingsRecord& settings, std::string& refreshText) const;

    QLineEdit* Box(std::size_t index) const { return boxes_[index]; }
    QCheckBox* Check(std::size_t index) const { return checks_[index]; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  signals:
    void Accepted();
    void Cancelled();

  private:
    void ShowOverrides();
    void ShowCoordinateValidity();

    std::array<QLineEdit*, kSettingsBoxCount> boxes_{};
    std::array<QLabel*, kSettingsBoxCount> labels_{};
    std::array<QCheckBox*, kSettingsChecks.size()> checks_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace vireo

#include "shell/SettingsPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "aprs/CoordinateText.h"

namespace vireo {

namespace {

QString Shown(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace

SettingsPanel::SettingsPanel(QWidget* parent) : QGroupBox("Settings", parent) {
    setObjectName("settingsPanel");
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    // Two boxes a row, each with its label before it and its unit after it.
    for (std::size_t i = 0; i < kSettingsBoxCount; ++i) {
        const SettingsBox& box = kSettingsBoxes[i];
        const int row = static_cast<int>(i / 2);
        const int column = static_cast<int>(i % 2) * 3;
        boxes_[i] = new QLineEdit(this);
        boxes_[i]->setToolTip(Shown(box.toolTip));
        // Wide enough for a host name or a coordinate, or for a number.
        const bool wide = box.member == &SettingsRecord::AgwAddress ||
                          box.member == &SettingsRecord::HomeLat ||
                          box.member == &SettingsRecord::HomeLon;
        boxes_[i]->setMinimumWidth(
            boxes_[i]->fontMetrics().horizontalAdvance(QString(wide ? 11 : 5, '0')) + 12);
        labels_[i] = new QLabel(Shown(box.label), this);
        labels_[i]->setBuddy(boxes_[i]);
        grid->addWidget(labels_[i], row, column, Qt::AlignRight);
        grid->addWidget(boxes_[i], row, column + 1);
        if (!box.unit.empty()) grid->addWidget(new QLabel(Shown(box.unit), this), row, column + 2);
        if (box.member == &SettingsRecord::HomeLat || box.member == &SettingsRecord::HomeLon) {
            connect(boxes_[i], &QLineEdit::textChanged, this,
                    &SettingsPanel::ShowCoordinateValidity);
        }
    }
    int row = static_cast<int>((kSettingsBoxCount + 1) / 2);
    for (std::size_t i = 0; i < kSettingsChecks.size(); ++i) {
        checks_[i] = new QCheckBox(Shown(kSettingsChecks[i].label), this);
        checks_[i]->setToolTip(Shown(kSettingsChecks[i].toolTip));
        grid->addWidget(checks_[i], row + static_cast<int>(i / 2), static_cast<int>(i % 2) * 3, 1,
                        3);
        connect(checks_[i], &QCheckBox::toggled, this, &SettingsPanel::ShowOverrides);
    }
    row += static_cast<int>((kSettingsChecks.size() + 1) / 2);
    ok_ = new QPushButton("OK", this);
    cancel_ = new QPushButton("Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, row, 0, 1, 6);
    grid->setRowStretch(row + 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    connect(ok_, &QPushButton::clicked, this, &SettingsPanel::Accepted);
    connect(cancel_, &QPushButton::clicked, this, &SettingsPanel::Cancelled);
}

void SettingsPanel::Fill(const SettingsRecord& settings, const std::string& refreshText) {
    for (std::size_t i = 0; i < kSettingsBoxCount; ++i) {
        const auto member = kSettingsBoxes[i].member;
        boxes_[i]->setText(Shown(member ? settings.*member : refreshText));
    }
    for (std::size_t i = 0; i < kSettingsChecks.size(); ++i) {
        checks_[i]->setChecked(settings.*kSettingsChecks[i].member);
    }
    ShowOverrides();
    ShowCoordinateValidity();
}

SettingsRecord SettingsPanel::Read(const SettingsRecord& settings, std::string& refreshText) const {
    SettingsRecord read = settings;
    for (std::size_t i = 0; i < kSettingsBoxCount; ++i) {
        const auto member = kSettingsBoxes[i].member;
        (member ? read.*member : refreshText) = Bytes(boxes_[i]->text());
    }
    for (std::size_t i = 0; i < kSettingsChecks.size(); ++i) {
        read.*kSettingsChecks[i].member = checks_[i]->isChecked();
    }
    return read;
}

// A ticked check box disables the box whose value it replaces, and that box's label.
void SettingsPanel::ShowOverrides() {
    for (std::size_t i = 0; i < kSettingsChecks.size(); ++i) {
        const int overridden = kSettingsChecks[i].overrides;
        if (overridden < 0) continue;
        const bool enabled = !checks_[i]->isChecked();
        boxes_[static_cast<std::size_t>(overridden)]->setEnabled(enabled);
        labels_[static_cast<std::size_t>(overridden)]->setEnabled(enabled);
    }
}

// The home coordinate boxes are red while their text is not a coordinate.
void SettingsPanel::ShowCoordinateValidity() {
    for (std::size_t i = 0; i < kSettingsBoxCount; ++i) {
        const auto member = kSettingsBoxes[i].member;
        const bool latitude = member == &SettingsRecord::HomeLat;
        if (!latitude && member != &SettingsRecord::HomeLon) continue;
        const std::string text = Bytes(boxes_[i]->text());
        const bool valid = latitude ? IsLatitudeText(text) : IsLongitudeText(text);
        QPalette colours = palette();
        if (!valid) colours.setColor(QPalette::Text, Qt::red);
        boxes_[i]->setPalette(colours);
    }
}

}  // namespace vireo

// The help window: the program's instructions, a rich-text file shown read-only. Modeless, one
// at most; opening it again brings it forward and reads the file anew, as does every return to
// it. A missing file is said in a box and the window closes.
#pragma once

#include <QStringList>
#include <QWidget>
#include <string_view>

class QTextBrowser;

namespace vireo {

class MessageBoxes;

inline constexpr std::string_view kHelpFileName = "Vireo_Istr.rtf";

// " Vireo Decoder v<major>.<minor> - Istruzioni" without the leading blank.
QString HelpTitle();

class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(MessageBoxes& boxes);

    // Shows `fileName`, looked for in each of `folders` in turn, under the caption " " + title.
    void Open(const QString& fileName, const QString& title, const QStringList& folders);
    QTextBrowser* Document() const { return document_; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void Load();

    MessageBoxes& boxes_;
    QTextBrowser* document_ = nullptr;
    QString fileName_;
    QStringList folders_;
};

}  // namespace vireo

// The help viewer: a window that shows the program's HTML help file.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace vmqt {

class HelpWindow : public QDialog {
    Q_OBJECT

  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the file at path from its start (its contents); a missing file
    // is reported in the window itself.
    void showFile(const QString& path);

    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace vmqt

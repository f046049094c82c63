// The file dialogs frmOpen and frmSave as Qt windows: a small file browser
// drawn from ui::FileDialog state. Modeless; made once and then only hidden
// and shown, as the state says. Its events run the routines of
// index/open_text_file.h, and OK or Cancel the dialog's own button routine.
#pragma once

#include <QDialog>
#include <functional>

#include "app/program.h"
#include "ui/file_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vmqt {

class Session;

class FileDialogWindow : public QDialog {
    Q_OBJECT

  public:
    using ButtonRoutine = void (*)(app::Program&, int);

    // state is frmOpen or frmSave of the session's program; buttonClick its
    // Thebutton routine.
    FileDialogWindow(Session& session, ui::FileDialog& state, ButtonRoutine buttonClick,
                     QWidget* parent);

  public slots:
    void redraw();
    // Escape and the window's close button act as Cancel.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void run(const std::function<void(app::Program&)>& routine);
    void redrawFolders();

    Session& session_;
    ui::FileDialog& state_;
    ButtonRoutine buttonClick_;
    bool placed_ = false;

    QLabel* labelFileName_;
    QLineEdit* fileName_;
    QLabel* labelDirectory_;
    QLabel* dirName_;
    QLabel* labelDirectories_;
    QListWidget* dirs_;
    QListWidget* files_;
    QLabel* labelFileType_;
    QComboBox* types_;
    QLabel* labelDrives_;
    QComboBox* drives_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace vmqt

// The Drawer Setup dialog frmFilter as a Qt window: twelve rows of a label
// and a fixed-pitch box of at most six characters, the help text, Close and
// OK. Modeless; shown while the state has it loaded and visible. Its buttons
// run the drawer routines of search/drawers.h.
#pragma once

#include <QDialog>
#include <array>

#include "ui/frm_filter.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vmqt {

class Session;

class FilterDialogWindow : public QDialog {
    Q_OBJECT

  public:
    FilterDialogWindow(Session& session, QWidget* parent);

  public slots:
    void redraw();
    // Escape and the window's close button act as Close.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void click(int button);

    Session& session_;
    ui::FrmFilter& state_;
    bool placed_ = false;
    std::array<QLabel*, ui::kDrawers + 1> labels_{};
    std::array<QLineEdit*, ui::kDrawers + 1> boxes_{};
    QPlainTextEdit* help_;
    std::array<QPushButton*, 3> buttons_{};
};

}  // namespace vmqt

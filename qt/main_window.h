// The main window frmMain: every control of the state drawn as a Qt widget
// in the state's order and place, the menu bar and the toolbar, with every
// event routed to the program's routines through app/commands.h.
//
// Invariants:
// - No program logic here: an event either writes user input into the
//   state or runs one routine through the session; the widgets are then
//   redrawn from the state.
// - Geometry comes from the state's rects (twips); when the window is
//   larger than designed, the full-width controls grow with it, the text box
//   also grows downwards, and the status line moves down (its right-hand
//   labels also right).
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

#include "app/program.h"
#include "ui/frm_main.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWindow;

namespace vmqt {

class DocumentBox;
class HoverFrame;
class MenuBarView;
class PictureButton;
class SearchBox;
class Session;
class TextBoxBinding;
class TrackingFrame;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Places the window in the middle of its screen.
    void centreOnScreen();
    MenuBarView* menuBarView() const { return menuView_; }
    // After the menu command menu runs, window comes to the front if the
    // state shows it (a second Open Text File brings its dialog forward).
    void bringForwardAfter(const QString& menu, QWidget* window);

  public slots:
    // Draws the whole window from the state.
    void redraw();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    enum Anchor { Fixed = 0, GrowWidth = 1, GrowHeight = 2, FollowRight = 4, FollowBottom = 8 };
    struct Placement {
        QWidget* widget;
        const ui::Control* control;
        int anchors;
    };

    void buildToolbar();
    void buildOptions();
    void buildTextArea();
    void buildStatusLine();
    void connectEvents();
    void place(QWidget* widget, const ui::Control& control, int anchors = Fixed);
    void layoutControls();
    void run(const std::function<void(app::Program&)>& routine);
    void runMenuCommand(const QString& name);
    void focusChanged(QWidget* now);
    void focusWindowChanged(QWindow* window);
    QWidget* widgetFor(ui::MainFocus focus) const;

    Session& session_;
    ui::FrmMain& form_;
    QSize designSize_;
    ui::MainFocus shownFocus_ = ui::MainFocus::None;  // the form's focus the widgets show
    std::vector<Placement> placements_;

    TrackingFrame* background_ = nullptr;
    TrackingFrame* frame1_ = nullptr;
    std::array<PictureButton*, ui::kToolButtons> buttons_{};
    HoverFrame* border_ = nullptr;
    QCheckBox* tolerance_ = nullptr;
    QCheckBox* topOnly_ = nullptr;
    QLabel* labelFilter_ = nullptr;
    QComboBox* comboFilter_ = nullptr;
    QPushButton* commandSummary_ = nullptr;
    QLabel* labelScale_ = nullptr;
    QWidget* imageScale_ = nullptr;
    QLabel* label1_ = nullptr;
    SearchBox* search_ = nullptr;
    QLabel* label3_ = nullptr;
    DocumentBox* input_ = nullptr;
    QComboBox* summary_ = nullptr;
    QWidget* image1_ = nullptr;
    std::array<QLabel*, 6> status_{};
    TextBoxBinding* searchBinding_ = nullptr;
    TextBoxBinding* inputBinding_ = nullptr;
    MenuBarView* menuView_ = nullptr;
    QHash<QString, QPointer<QWidget>> forwardAfter_;
    QString lastOtherWindow_;  // object name of the window that last had the focus
    bool closePending_ = false;
};

}  // namespace vmqt

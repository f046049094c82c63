// The main window: building its widgets, drawing them from the state, and
// routing their events.
#include "qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>

#include "app/commands.h"
#include "app/startup.h"
#include "browse/summary.h"
#include "index/edit_commands.h"
#include "qt/control_view.h"
#include "qt/dialog_geometry.h"
#include "qt/edit_widgets.h"
#include "qt/menu_bar_view.h"
#include "qt/session.h"
#include "qt/text_box_binding.h"
#include "qt/text_edge.h"
#include "qt/toolbar_widgets.h"
#include "search/search_box.h"

namespace vmqt {

namespace {

// Space left below the status strip, twips.
constexpr int kBottomMargin = 60;

// Mouse moves over these controls stay with them: only the background and
// the toolbar frame clear the toolbar's hover frame.
template <typename W>
W* keepMouseMoves(W* widget) {
    widget->setAttribute(Qt::WA_NoMousePropagation);
    return widget;
}

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = keepMouseMoves(new QLabel(parent));
    label->setObjectName(name);
    return label;
}

}  // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), form_(session.program().frmMain) {
    setObjectName("frmMain");
    background_ = new TrackingFrame(this);
    background_->setObjectName("background");
    setCentralWidget(background_);
    designSize_ = QSize(toPixels(form_.txtInput.rect.left * 2 + form_.txtInput.rect.width),
                        toPixels(form_.Image1.rect.top + form_.Image1.rect.height + kBottomMargin));
    background_->setMinimumSize(designSize_);
    background_->installEventFilter(this);

    // Created in the state's order; later widgets lie on top of earlier ones.
    buildToolbar();
    buildOptions();
    buildTextArea();
    buildStatusLine();
    menuView_ = new MenuBarView(form_.menu, menuBar());
    connectEvents();

    resize(designSize_.width(), designSize_.height() + menuBar()->sizeHint().height());
    redraw();
}

MainWindow::~MainWindow() {
    // Deleting the children moves the focus: no more of it reaches this half
    // destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
}

void MainWindow::buildToolbar() {
    frame1_ = new TrackingFrame(background_);
    frame1_->setObjectName("Frame1");
    frame1_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    place(frame1_, form_.Frame1);
    // The frame first, so that every button lies in front of it.
    border_ = new HoverFrame(frame1_);
    border_->setObjectName("pBorder");
    place(border_, form_.pBorder);
    for (int i = 0; i < ui::kToolButtons; ++i) {
        auto* button = new PictureButton(i, frame1_);
        button->setObjectName(QStringLiteral("pButton%1").arg(i));
        place(button, form_.pButton[static_cast<std::size_t>(i)]);
        buttons_[static_cast<std::size_t>(i)] = button;
    }
}

void MainWindow::buildOptions() {
    tolerance_ = keepMouseMoves(new QCheckBox(background_));
    tolerance_->setObjectName("CheckTolerance");
    place(tolerance_, form_.CheckTolerance);
    topOnly_ = keepMouseMoves(new QCheckBox(background_));
    topOnly_->setObjectName("CheckTopOnly");
    place(topOnly_, form_.CheckTopOnly);
    labelFilter_ = makeLabel(background_, "LabelFilter");
    place(labelFilter_, form_.LabelFilter);
    comboFilter_ = keepMouseMoves(new QComboBox(background_));
    comboFilter_->setObjectName("ComboFilter");
    comboFilter_->setEditable(true);
    comboFilter_->setInsertPolicy(QComboBox::NoInsert);
    place(comboFilter_, form_.ComboFilter);
    commandSummary_ = keepMouseMoves(new QPushButton(background_));
    commandSummary_->setObjectName("CommandSummary");
    commandSummary_->setAutoDefault(false);
    place(commandSummary_, form_.CommandSummary);
}

void MainWindow::buildTextArea() {
    label1_ = makeLabel(background_, "Label1");
    place(label1_, form_.Label1);
    auto* track = keepMouseMoves(new QFrame(background_));
    track->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    imageScale_ = track;
    imageScale_->setObjectName("ImageScale");
    place(imageScale_, form_.ImageScale);
    labelScale_ = makeLabel(background_, "LabelScale");
    place(labelScale_, form_.LabelScale);
    search_ = keepMouseMoves(new SearchBox(background_));
    search_->setObjectName("txtSearch");
    place(search_, form_.txtSearch, GrowWidth);
    searchBinding_ = new TextBoxBinding(session_, form_.txtSearch, search_);

    label3_ = makeLabel(background_, "Label3");
    place(label3_, form_.Label3);
    input_ = keepMouseMoves(new DocumentBox(background_));
    input_->setObjectName("txtInput");
    input_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    input_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    place(input_, form_.txtInput, GrowWidth | GrowHeight);
    inputBinding_ = new TextBoxBinding(session_, form_.txtInput, input_);
    summary_ = keepMouseMoves(new QComboBox(background_));
    summary_->setObjectName("ComboSummary");
    place(summary_, form_.ComboSummary, GrowWidth);
}

void MainWindow::buildStatusLine() {
    auto* strip = keepMouseMoves(new QFrame(background_));
    strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    image1_ = strip;
    image1_->setObjectName("Image1");
    place(image1_, form_.Image1, GrowWidth | FollowBottom);
    const std::array<std::pair<const char*, const ui::Label*>, 6> labels = {{
        {"LabelRecNo", &form_.LabelRecNo},
        {"LabelCount", &form_.LabelCount},
        {"LabelDelete", &form_.LabelDelete},
        {"LabelRecord", &form_.LabelRecord},
        {"LabelDate", &form_.LabelDate},
        {"LabelOptimized", &form_.LabelOptimized},
    }};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        status_[i] = makeLabel(background_, labels[i].first);
        const bool rightHand =
            labels[i].second == &form_.LabelDate || labels[i].second == &form_.LabelOptimized;
        place(status_[i], *labels[i].second, FollowBottom | (rightHand ? FollowRight : Fixed));
    }
}

void MainWindow::place(QWidget* widget, const ui::Control& control, int anchors) {
    placements_.push_back({widget, &control, anchors});
}

void MainWindow::connectEvents() {
    // The toolbar's look follows the mouse without running a routine.
    for (PictureButton* button : buttons_) {
        connect(button, &PictureButton::hovered, this, [this](int index) {
            if (session_.running()) return;
            form_.pButton_MouseMove(index);
            redraw();
        });
        connect(button, &PictureButton::pressed, this, [this](int index) {
            run([index](app::Program& p) { app::pButton_MouseDown(p, index); });
        });
        connect(button, &PictureButton::released, this, [this](int) { run(app::pButton_MouseUp); });
    }
    auto clearFrame = [this] {
        if (session_.running()) return;
        form_.background_MouseMove();
        redraw();
    };
    connect(background_, &TrackingFrame::mouseMoved, this, clearFrame);
    connect(frame1_, &TrackingFrame::mouseMoved, this, clearFrame);

    connect(menuView_, &MenuBarView::triggered, this, &MainWindow::runMenuCommand);
    connect(menuView_, &MenuBarView::opening, this, &MainWindow::runMenuCommand);

    connect(search_, &QLineEdit::returnPressed, this, [this] { run(search::txtSearch_Enter); });
    connect(search_, &SearchBox::doubleClicked, this, [this] { run(search::txtSearch_DblClick); });
    connect(search_, &SearchBox::undoKey, searchBinding_, &TextBoxBinding::undo);
    connect(search_, &SearchBox::caretJumped, searchBinding_, &TextBoxBinding::breakRun);
    connect(input_, &DocumentBox::doubleClicked, this, [this] { run(app::txtInput_DblClick); });
    connect(input_, &DocumentBox::undoKey, inputBinding_, &TextBoxBinding::undo);
    connect(input_, &DocumentBox::caretJumped, inputBinding_, &TextBoxBinding::breakRun);

    connect(tolerance_, &QCheckBox::toggled, this, [this](bool checked) {
        if (!session_.running()) form_.CheckTolerance.checked = checked;
    });
    connect(topOnly_, &QCheckBox::toggled, this, [this](bool checked) {
        if (!session_.running()) form_.CheckTopOnly.checked = checked;
    });
    connect(comboFilter_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!session_.running()) form_.ComboFilter.text = fromQt(text);
    });
    connect(comboFilter_, &QComboBox::activated, this, [this](int index) {
        if (!session_.running()) form_.ComboFilter.select(index);
    });
    connect(commandSummary_, &QPushButton::clicked, this,
            [this] { runMenuCommand(QStringLiteral("mnuSummary")); });
    connect(summary_, &QComboBox::activated, this, [this](int index) {
        run([index](app::Program& p) {
            p.frmMain.ComboSummary.select(index);
            browse::ComboSummary_Click(p);
        });
    });
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusChanged(now); });
    connect(&session_, &Session::redrawRequested, this, &MainWindow::redraw);
    connect(&session_, &Session::idle, this, [this] {
        if (closePending_) {
            closePending_ = false;
            close();
        }
    });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainWindow::focusWindowChanged);
}

void MainWindow::run(const std::function<void(app::Program&)>& routine) {
    session_.run(routine);
}

void MainWindow::runMenuCommand(const QString& name) {
    app::Command command = app::menu_command(name.toStdString());
    if (command == nullptr || !session_.run(command)) return;
    QWidget* window = forwardAfter_.value(name);
    if (window != nullptr && window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
}

QWidget* MainWindow::widgetFor(ui::MainFocus focus) const {
    switch (focus) {
        case ui::MainFocus::txtInput:
            return input_;
        case ui::MainFocus::txtSearch:
            return search_;
        case ui::MainFocus::ComboFilter:
            return comboFilter_;
        case ui::MainFocus::CheckTolerance:
            return tolerance_;
        case ui::MainFocus::CheckTopOnly:
            return topOnly_;
        case ui::MainFocus::CommandSummary:
            return commandSummary_;
        case ui::MainFocus::ComboSummary:
            return summary_;
        case ui::MainFocus::None:
            break;
    }
    return nullptr;
}

void MainWindow::focusChanged(QWidget* now) {
    if (session_.running() || now == nullptr || now->window() != this) return;
    for (ui::MainFocus focus :
         {ui::MainFocus::txtInput, ui::MainFocus::txtSearch, ui::MainFocus::ComboFilter,
          ui::MainFocus::CheckTolerance, ui::MainFocus::CheckTopOnly, ui::MainFocus::CommandSummary,
          ui::MainFocus::ComboSummary}) {
        QWidget* widget = widgetFor(focus);
        if (widget == now || widget->isAncestorOf(now)) {
            form_.focus = focus;
            shownFocus_ = focus;
            return;
        }
    }
    // The menu bar, while the keyboard opens its menus, is no control of
    // the form: the focus stays where the form had it.
}

void MainWindow::redraw() {
    if (windowTitle() != toQt(form_.caption)) setWindowTitle(toQt(form_.caption));
    applyControl(frame1_, form_.Frame1);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        applyControl(buttons_[i], form_.pButton[i]);
        buttons_[i]->setWord(toQt(form_.pButton[i].word));
    }
    applyControl(border_, form_.pBorder);
    border_->setPicture(form_.pBorder.picture);
    applyCheckBox(tolerance_, form_.CheckTolerance);
    applyCheckBox(topOnly_, form_.CheckTopOnly);
    applyLabel(labelFilter_, form_.LabelFilter);
    applyComboBox(comboFilter_, form_.ComboFilter);
    applyButton(commandSummary_, form_.CommandSummary);
    applyLabel(label1_, form_.Label1);
    applyControl(imageScale_, form_.ImageScale);
    applyLabel(labelScale_, form_.LabelScale);
    if (!form_.LabelScale.backColour) {
        // The bar of the progress display: filled, in the system's highlight.
        QPalette bar = labelScale_->palette();
        bar.setColor(QPalette::Window, bar.color(QPalette::Highlight));
        labelScale_->setPalette(bar);
        labelScale_->setAutoFillBackground(true);
    }
    searchBinding_->redraw();
    applyLabel(label3_, form_.Label3);
    inputBinding_->redraw();
    applyComboBox(summary_, form_.ComboSummary);
    applyControl(image1_, form_.Image1);
    const std::array<const ui::Label*, 6> labels = {&form_.LabelRecNo,  &form_.LabelCount,
                                                    &form_.LabelDelete, &form_.LabelRecord,
                                                    &form_.LabelDate,   &form_.LabelOptimized};
    for (std::size_t i = 0; i < labels.size(); ++i)
        applyLabel(status_[i], *labels[i]);
    menuView_->redraw(form_.menu);
    layoutControls();

    // The focus moves only when a routine gave it to another control.
    if (form_.focus != shownFocus_) {
        shownFocus_ = form_.focus;
        QWidget* target = widgetFor(form_.focus);
        if (target != nullptr && target->isVisibleTo(this)) target->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::layoutControls() {
    const int dx = background_->width() - designSize_.width();
    const int dy = background_->height() - designSize_.height();
    for (const Placement& placement : placements_) {
        QRect rect = toPixels(placement.control->rect);
        if (placement.anchors & GrowWidth) rect.setWidth(rect.width() + dx);
        if (placement.anchors & GrowHeight) rect.setHeight(rect.height() + dy);
        if (placement.anchors & FollowRight) rect.translate(dx, 0);
        if (placement.anchors & FollowBottom) rect.translate(0, dy);
        // A check box shows its whole caption in whatever font the system has.
        if (qobject_cast<QCheckBox*>(placement.widget) != nullptr)
            rect.setWidth(std::max(rect.width(), placement.widget->sizeHint().width()));
        if (placement.widget->geometry() != rect) placement.widget->setGeometry(rect);
    }
}

void MainWindow::centreOnScreen() {
    vmqt::centreOnScreen(this);
}

void MainWindow::focusWindowChanged(QWindow* window) {
    if (window != nullptr && window != windowHandle()) lastOtherWindow_ = window->objectName();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        // Coming back from another window is an activation of the form;
        // coming back from one of its own message or input boxes is not.
        const bool fromBox = lastOtherWindow_.startsWith(QLatin1String("messageBox")) ||
                             lastOtherWindow_.startsWith(QLatin1String("inputBox"));
        lastOtherWindow_.clear();
        if (!fromBox) run(app::main_window_activated);
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.running()) {
        // A routine in the middle of a box or a yield finishes first.
        event->ignore();
        closePending_ = true;
        return;
    }
    session_.run(app::close_main_window);
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == background_ && event->type() == QEvent::Resize) layoutControls();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::bringForwardAfter(const QString& menu, QWidget* window) {
    forwardAfter_.insert(menu, window);
}

}  // namespace vmqt

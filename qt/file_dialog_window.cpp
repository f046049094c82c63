// The Open File and Save As dialog windows.
#include "qt/file_dialog_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

#include "index/open_text_file.h"
#include "platform/file_system.h"
#include "qt/control_view.h"
#include "qt/dialog_geometry.h"
#include "qt/session.h"
#include "qt/text_edge.h"

namespace vmqt {

namespace {

template <typename W>
W* placed(W* widget, const char* name, const ui::Control& control) {
    widget->setObjectName(name);
    widget->setGeometry(toPixels(control.rect));
    return widget;
}

// The last part of a folder path ("/" for the root).
QString folderName(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == platform::kPathSeparator)
        trimmed.pop_back();
    const std::size_t cut = trimmed.rfind(platform::kPathSeparator);
    if (trimmed.size() <= 1 || cut == std::string::npos) return toQt(trimmed);
    return toQt(trimmed.substr(cut + 1));
}

}  // namespace

FileDialogWindow::FileDialogWindow(Session& session, ui::FileDialog& state,
                                   ButtonRoutine buttonClick, QWidget* parent)
    : QDialog(parent), session_(session), state_(state), buttonClick_(buttonClick) {
    setModal(false);
    labelFileName_ = placed(new QLabel(this), "LabelFileName", state.LabelFileName);
    fileName_ = placed(new QLineEdit(this), "Filenamebox", state.Filenamebox);
    labelDirectory_ = placed(new QLabel(this), "LabelDirectory", state.LabelDirectory);
    dirName_ = placed(new QLabel(this), "Dirname", state.Dirname);
    labelDirectories_ = placed(new QLabel(this), "LabelDirectories", state.LabelDirectories);
    dirs_ = placed(new QListWidget(this), "Dir1", state.Dir1);
    files_ = placed(new QListWidget(this), "File1", state.File1);
    labelFileType_ = placed(new QLabel(this), "LabelFileType", state.LabelFileType);
    types_ = placed(new QComboBox(this), "Typelist", state.Typelist);
    labelDrives_ = placed(new QLabel(this), "LabelDrives", state.LabelDrives);
    drives_ = placed(new QComboBox(this), "Drive1", state.Drive1);
    ok_ = placed(new QPushButton(this), "Thebutton0", state.Thebutton[0]);
    cancel_ = placed(new QPushButton(this), "Thebutton1", state.Thebutton[1]);
    ok_->setDefault(true);
    dirName_->setTextFormat(Qt::PlainText);
    setFixedSize(designSize({&state.Filenamebox, &state.Dir1, &state.File1, &state.Typelist,
                             &state.Drive1, &state.Thebutton[0], &state.Thebutton[1]}));

    connect(fileName_, &QLineEdit::textEdited, this, [this](const QString& text) {
        run([this, name = fromQt(text)](app::Program&) { app::set_file_name(state_, name); });
    });
    connect(dirs_, &QListWidget::itemPressed, this, [this](QListWidgetItem* item) {
        const int row = dirs_->row(item);
        run([this, row](app::Program& p) {
            state_.Dir1.listIndex = row;
            app::Dir1_MouseDown(p, state_);
        });
    });
    connect(drives_, &QComboBox::activated, this, [this](int index) {
        run([this, index](app::Program& p) {
            state_.Drive1.listIndex = index;
            app::Drive1_Change(p, state_);
        });
    });
    auto fileClicked = [this](QListWidgetItem* item) {
        const int row = files_->row(item);
        run([this, row](app::Program&) {
            state_.File1.listIndex = row;
            app::File1_Click(state_);
        });
    };
    connect(files_, &QListWidget::itemClicked, this, fileClicked);
    connect(files_, &QListWidget::itemDoubleClicked, this, fileClicked);
    connect(types_, &QComboBox::activated, this, [this](int index) {
        run([this, index](app::Program& p) {
            state_.Typelist.select(index);
            app::Typelist_Click(p, state_);
        });
    });
    connect(ok_, &QPushButton::clicked, this,
            [this] { run([this](app::Program& p) { buttonClick_(p, 0); }); });
    connect(cancel_, &QPushButton::clicked, this,
            [this] { run([this](app::Program& p) { buttonClick_(p, 1); }); });
    connect(&session_, &Session::redrawRequested, this, &FileDialogWindow::redraw);
    redraw();
}

void FileDialogWindow::run(const std::function<void(app::Program&)>& routine) {
    session_.run(routine);
}

void FileDialogWindow::reject() {
    run([this](app::Program& p) { buttonClick_(p, 1); });
}

void FileDialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void FileDialogWindow::redrawFolders() {
    const ui::DirList& list = state_.Dir1;
    const QSignalBlocker quiet(dirs_);
    // The folders from the root down to the current one, open, then its
    // subfolders, each indented one step deeper than the folder above.
    const std::string current = platform::withTrailingSeparator(list.path);
    QStringList wanted;
    for (const std::string& item : list.items)
        wanted << toQt(item);
    QStringList shown;
    for (int i = 0; i < dirs_->count(); ++i)
        shown << dirs_->item(i)->data(Qt::UserRole).toString();
    if (shown != wanted) {
        dirs_->clear();
        int depth = 0;
        for (const std::string& item : list.items) {
            const bool onChain =
                current.starts_with(platform::withTrailingSeparator(item)) || item == list.path;
            auto* row = new QListWidgetItem(
                style()->standardIcon(onChain ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
                QString(depth * 2, QLatin1Char(' ')) + folderName(item), dirs_);
            row->setData(Qt::UserRole, toQt(item));
            if (onChain) ++depth;
        }
    }
    if (dirs_->currentRow() != list.listIndex) dirs_->setCurrentRow(list.listIndex);
    applyControl(dirs_, list);
}

void FileDialogWindow::redraw() {
    const QString caption = toQt(state_.caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    applyLabel(labelFileName_, state_.LabelFileName);
    applyControl(fileName_, state_.Filenamebox);
    const QString name = toQt(state_.Filenamebox.text);
    if (fileName_->text() != name) fileName_->setText(name);
    applyLabel(labelDirectory_, state_.LabelDirectory);
    applyLabel(dirName_, state_.Dirname);
    applyLabel(labelDirectories_, state_.LabelDirectories);
    redrawFolders();
    applyListBox(files_, state_.File1);
    applyLabel(labelFileType_, state_.LabelFileType);
    applyComboBox(types_, state_.Typelist);
    applyLabel(labelDrives_, state_.LabelDrives);
    applyListBox(drives_, state_.Drive1);
    applyButton(ok_, state_.Thebutton[0]);
    applyButton(cancel_, state_.Thebutton[1]);

    const bool shown = state_.loaded && state_.visible;
    if (shown && !isVisible()) {
        if (!placed_) {
            centreOnScreen(this);
            placed_ = true;
        }
        show();
        raise();
        activateWindow();
    } else if (!shown && isVisible()) {
        hide();
    }
}

}  // namespace vmqt

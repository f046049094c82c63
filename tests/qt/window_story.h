// A user story at the desktop window: a fresh program folder with the spare
// copies, the program started there with Qt's clipboard, desktop and
// printer (printing into a PDF file in the folder) and scripted boxes, and
// the real windows shown on the offscreen platform.
#pragma once

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/startup.h"
#include "platform/local_file_system.h"
#include "qt/desktop_windows.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_desktop.h"
#include "qt/qt_dialogs.h"
#include "qt/qt_printer.h"
#include "tests/support/scripted_platform.h"

namespace vmqt::test {

class WindowStory {
  public:
    // realBoxes: Qt's own message and input boxes instead of scripted ones.
    explicit WindowStory(bool realBoxes = false) : realBoxes_(realBoxes) {
        namespace fs = std::filesystem;
        for (const char* name : {"Keys.xx1", "Keys.xx2", "Text.xx1", "Text.xx2", "Text.xx3"})
            fs::copy_file(fs::path(VELLUMARK_PROGRAM_DIR) / name, folder.file(name));
        QApplication::clipboard()->clear();
    }
    ~WindowStory() {
        windows.reset();
        if (program) app::close_main_window(*program);
    }
    WindowStory(const WindowStory&) = delete;
    WindowStory& operator=(const WindowStory&) = delete;

    // Starts the program and shows its main window; false when start-up
    // ended the program.
    bool start() {
        program = std::make_unique<app::Program>(services);
        if (!app::start_program(*program, folder.path())) return false;
        windows =
            std::make_unique<DesktopWindows>(*program, realBoxes_ ? &boxes : nullptr, &desktop);
        main().show();
        main().activateWindow();
        return QTest::qWaitForWindowActive(&main());
    }

    MainWindow& main() { return windows->mainWindow(); }
    ui::FrmMain& form() { return program->frmMain; }

    // A widget of the main window or of a dialog, by its control name.
    template <typename W>
    W* widget(const char* name) {
        if (W* found = windows->mainWindow().findChild<W*>(name)) return found;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (W* found = top->findChild<W*>(name)) return found;
        }
        return nullptr;
    }

    // Types text into widget key by key, as a keyboard with every character
    // on it would; a line feed is the Return key.
    static void type(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(widget, Qt::Key_Return);
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QApplication::sendEvent(widget, &release);
        }
    }

    // The text a label of the main window shows.
    QString shown(const char* label) { return widget<QLabel>(label)->text(); }

  private:
    bool realBoxes_;

  public:
    testsupport::TempFolder folder;
    testsupport::ScriptedPlatform scripted;  // its boxes answer from queues
    QtDialogs boxes;
    QtClipboard clipboard;
    QtDesktop desktop;
    QtPrinter printer{QString::fromStdString(folder.file("printout.pdf"))};
    platform::LocalFileSystem files;
    platform::Platform services{
        realBoxes_ ? static_cast<platform::Dialogs&>(boxes) : scripted.dialogs, clipboard, desktop,
        printer, files};
    std::unique_ptr<app::Program> program;
    std::unique_ptr<DesktopWindows> windows;
};

}  // namespace vmqt::test

// Answers the next modal box by clicking its button captioned text (any
// access-key ampersand ignored); shownText receives a message box's text.
inline void clickWhenShown(const QString& text, QString* shownText = nullptr) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, text, shownText] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        timer->deleteLater();
        if (auto* message = qobject_cast<QMessageBox*>(box); message && shownText)
            *shownText = message->text();
        for (QPushButton* button : box->findChildren<QPushButton*>()) {
            if (button->text().remove('&') == text) {
                button->click();
                return;
            }
        }
        box->reject();
    });
    timer->start(10);
}

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

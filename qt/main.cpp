// Program entry of the desktop program: the Qt application, the program
// with the Qt platform services, start-up in the program folder (the one
// given with --folder DIR, else as app/program_folder.h chooses it), and the
// main window.
#include <QApplication>
#include <QStringList>
#include <clocale>
#include <string>

#include "app/program.h"
#include "app/program_folder.h"
#include "app/startup.h"
#include "qt/desktop_windows.h"
#include "qt/qt_platform.h"

namespace {

// The DIR of --folder DIR; empty when not given.
std::string folderOption(const QStringList& arguments) {
    const qsizetype option = arguments.indexOf(QStringLiteral("--folder"));
    if (option < 0 || option + 1 >= arguments.size()) return {};
    return arguments.at(option + 1).toLocal8Bit().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");  // the user's short date format
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumark"));

    vmqt::QtPlatform services;
    app::Program program(services.services);
    const std::string folder = app::choose_program_folder(
        QCoreApplication::applicationFilePath().toLocal8Bit().toStdString(),
        folderOption(QApplication::arguments()));
    if (!app::start_program(program, folder)) return program.exitCode;

    vmqt::DesktopWindows windows(program, &services.dialogs, &services.desktop);
    vmqt::MainWindow& window = windows.mainWindow();
    window.centreOnScreen();
    window.show();
    const int result = QApplication::exec();
    app::close_main_window(program);  // when the loop ended another way
    return program.ended ? program.exitCode : result;
}

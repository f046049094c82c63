// Program entry of the desktop program: the Qt application, the program
// with the Qt platform services, start-up in the program folder (the
// executable's, or the one given with --folder DIR), and the main window.
#include <QApplication>
#include <QStringList>
#include <clocale>
#include <filesystem>
#include <string>

#include "app/program.h"
#include "app/startup.h"
#include "qt/desktop_windows.h"
#include "qt/qt_platform.h"

namespace {

// The program folder: --folder DIR, or the folder of the executable.
std::string programFolder(const QStringList& arguments) {
    QString folder = QCoreApplication::applicationDirPath();
    const qsizetype option = arguments.indexOf(QStringLiteral("--folder"));
    if (option >= 0 && option + 1 < arguments.size()) folder = arguments.at(option + 1);
    std::error_code error;
    const std::filesystem::path path =
        std::filesystem::absolute(std::filesystem::path(folder.toLocal8Bit().toStdString()), error);
    return error ? folder.toLocal8Bit().toStdString() : path.string();
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");  // the user's short date format
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumark"));

    vmqt::QtPlatform services;
    app::Program program(services.services);
    if (!app::start_program(program, programFolder(QApplication::arguments())))
        return program.exitCode;

    vmqt::DesktopWindows windows(program, &services.dialogs, &services.desktop);
    vmqt::MainWindow& window = windows.mainWindow();
    window.centreOnScreen();
    window.show();
    const int result = QApplication::exec();
    app::close_main_window(program);  // when the loop ended another way
    return program.ended ? program.exitCode : result;
}

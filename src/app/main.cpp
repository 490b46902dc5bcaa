// main() of the window: the data folder (KESTRIX_DIR, else the program's folder when it holds
// Kestrix.pro and can be written, else ~/.local/share/kestrix), the main window with the POP3 client, the Screener
// and the profiles, the start profile from the command line, and the event loop.
//
//   kestrix [PROFILE] [--self-test] [--report-shown] [--demo-screen FOLDER]
//
// --self-test      shows the window and quits by itself (a start-up smoke run)
// --report-shown   prints "shown <ms since start>" once the window is on screen (benchmarks)
// --demo-screen F  screens the mailbox of the start profile with the password from the
//                  environment variable KESTRIX_DEMO_PASSWORD and saves pictures of the start
//                  page and the messages page into F, then quits (scripts/screenshot.sh)
#include "app/demo_screen.h"
#include "profiles/data_folder.h"
#include "ui/form1.h"
#include "ui/window_controller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix for POP3"));
    // The installed desktop entry: docks, task bars and Wayland match the window to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrix.kestrix"));
    // The program ends when the main window closes for good, not when its last visible window
    // goes: while it sits in the tray, a message box closing must not end it, and "&Exit" must
    // end it although the window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    std::optional<std::string> profileArgument;
    bool selfTest = false;
    bool reportShown = false;
    QString demoFolder;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--self-test"))
            selfTest = true;
        else if (args[i] == QStringLiteral("--report-shown"))
            reportShown = true;
        else if (args[i] == QStringLiteral("--demo-screen") && i + 1 < args.size())
            demoFolder = args[++i];
        else if (!profileArgument)
            profileArgument = args[i].toLatin1().toStdString();
    }

    const kestrix::DataFolderResult folder = kestrix::openDataFolder();
    if (!folder)
        std::fprintf(stderr, "kestrix: %s\n", folder.error.c_str());
    kestrix::TForm1 form;
    form.startPage->showDataFolder(QFile::decodeName(kestrix::describeDataFolder(folder.choice).c_str()));
    kestrix::WindowController controller(form, folder.choice.path);
    QObject::connect(&form, &kestrix::TForm1::aboutToExit, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    controller.start(profileArgument);
    form.createTrayIcon();
    form.show();
    QTimer::singleShot(0, &form, [&controller] { controller.showLocalIp(); });

    if (reportShown) {
        QTimer::singleShot(0, &form, [&form, &sinceStart] {
            std::fprintf(stdout, "shown %lld\n",
                         form.isVisible() ? static_cast<long long>(sinceStart.elapsed()) : -1LL);
            std::fflush(stdout);
        });
    }
    if (selfTest) {
        QTimer::singleShot(0, &form, [&form] {
            const bool shown = form.isVisible() && form.activePage() == form.startPage;
            std::fprintf(stdout, "self-test: window %s\n", shown ? "shown" : "NOT shown");
            form.ProgramExit();
            if (!shown)
                QCoreApplication::exit(1);
        });
    }
    std::optional<kestrix::DemoScreen> demo;
    if (!demoFolder.isEmpty())
        demo.emplace(form, controller, demoFolder);
    return app.exec();
}

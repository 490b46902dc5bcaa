// main() of the window: the data folder, the main window with its screening state, the start
// profile from the command line, and the event loop.
#include "profiles/data_folder.h"
#include "screening/screener.h"
#include "ui/form1.h"
#include "ui/window_profiles.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix for POP3"));

    // One optional argument names the profile; "--self-test" starts, shows the window and
    // quits by itself (a start-up smoke run).
    std::optional<std::string> profileArgument;
    bool selfTest = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--self-test"))
            selfTest = true;
        else if (!profileArgument)
            profileArgument = args[i].toLatin1().toStdString();
    }

    kestrix::TForm1 form;
    kestrix::Screener screener(form, form);
    form.attachScreener(screener);
    kestrix::WindowProfiles profiles(form, screener, kestrix::dataFolder());
    QObject::connect(&form, &kestrix::TForm1::aboutToExit, &form, [&profiles] { profiles.saveAll(); });
    profiles.start(profileArgument);
    form.show();

    if (selfTest) {
        QTimer::singleShot(0, &form, [&form] {
            const bool shown = form.isVisible() && form.activePage() == form.TabSheet1;
            std::fprintf(stdout, "self-test: window %s\n", shown ? "shown" : "NOT shown");
            form.ProgramExit();
            if (!shown)
                QCoreApplication::exit(1);
        });
    }
    return app.exec();
}

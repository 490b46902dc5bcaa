// The window stays where the user put it, on an X server (Xvfb) with a window manager
// (openbox) that frames it and a tray host (trayer) to hide it to: hiding and showing it from
// the tray, a profile round trip right after it came back (which saves the profile's place and
// restores it) and restarts after it was closed hidden or minimised all leave its frame where
// it was. The frame is measured by the X tools, not taken from Qt.
#include "support/window_fixture.h"
#include "support/x_desktop_main.h"
#include "ui/config_page.h"
#include "ui/form1.h"
#include "ui/window_profiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>

using namespace kestrix;
using test::XDesktop;

namespace {

XDesktop *g_desktop = nullptr;

// The window on a data folder, started as the program starts it; the fixture fails the test on
// any question or dialog.
struct Run : test::WindowFixture {
    explicit Run(const QString &dataDir) : test::WindowFixture(dataDir)
    {
        controller.start(std::string("demo"));
        form.createTrayIcon();
    }
    ~Run() { form.exitProgram(); }

    QRect frame() { return g_desktop->frameOf(form.winId()); }
    void switchTo(const QString &name)
    {
        QComboBox *profiles = form.configPage->ComboBox1;
        profiles->setCurrentIndex(profiles->findText(name));
        controller.profiles().ComboBox1Change();
    }
};

bool unmapped(TForm1 &form)
{
    return !form.isVisible() &&
           g_desktop->mapState(form.winId()) == QStringLiteral("IsUnMapped");
}

QString moved(Run &run, const QRect &place, const char *away, int cycle)
{
    const QRect now = run.frame();
    return QStringLiteral("after %1 (cycle %2) the frame is at %3,%4 %5x%6, not at %7,%8 %9x%10")
        .arg(QLatin1String(away)).arg(cycle).arg(now.x()).arg(now.y()).arg(now.width())
        .arg(now.height()).arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
}

// The ways the window leaves the screen while the program stays in the tray.
struct Away {
    const char *name;
    std::function<void(TForm1 &)> leave;
};

const Away kAways[] = {
    {"hide button", [](TForm1 &form) { form.HideWindow(); }},
    {"close to the tray", [](TForm1 &form) { form.close(); }},
    // The window manager may still be busy with the window that just came back and drop the
    // request; a user would simply click again.
    {"minimise", [](TForm1 &form) {
         for (int attempt = 0; attempt < 10 && !unmapped(form); ++attempt) {
             g_desktop->run(QStringLiteral("xdotool"),
                            {QStringLiteral("windowminimize"), QString::number(form.winId())});
             if (QTest::qWaitFor([&form] { return unmapped(form); }, 1500))
                 break;
         }
     }},
};

}  // namespace

class WindowPlaceDesktopTest : public QObject {
    Q_OBJECT

public:
    // Two profiles; each test starts on "demo".
    WindowPlaceDesktopTest()
    {
        QFile list(m_data.filePath(QStringLiteral("Kestrix.pro")));
        if (list.open(QIODevice::WriteOnly))
            list.write("demo\r\nother\r\n");
    }

private slots:
    void hidingProfileRoundTripsAndRestartsKeepTheFrame();
    void aMaximisedWindowKeepsItsNormalPlace();

private:
    QTemporaryDir m_data;
    QRect startOnPlace(Run &run);  // shows the window and puts it somewhere; returns its frame
};

// The user's place: the window shown, framed, then put somewhere.
QRect WindowPlaceDesktopTest::startOnPlace(Run &run)
{
    QRect place;
    run.form.show();
    if (!QTest::qWaitForWindowExposed(&run.form))
        return place;
    const QRect client(QPoint(200, 150), run.form.size());
    run.form.setGeometry(client);
    if (!QTest::qWaitFor(
            [&] { return (place = run.frame()).contains(client) && place != client; }, 15000))
        return {};
    return place;
}

void WindowPlaceDesktopTest::hidingProfileRoundTripsAndRestartsKeepTheFrame()
{
    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    QRect place;
    {
        Run run(m_data.path());
        place = startOnPlace(run);
        QVERIFY(!place.isEmpty());
        for (int cycle = 0; cycle < 8; ++cycle) {
            for (const Away &away : kAways) {
                away.leave(run.form);
                QTRY_VERIFY2_WITH_TIMEOUT(unmapped(run.form), away.name, 15000);
                // Back from the tray, and at once through another profile and back: both
                // saves and restores happen before the window manager has framed it again.
                run.form.showFromTray();
                run.switchTo(QStringLiteral("other"));
                run.switchTo(QStringLiteral("demo"));
                QTRY_VERIFY2_WITH_TIMEOUT(run.frame() == place,
                                          qPrintable(moved(run, place, away.name, cycle)), 15000);
            }
        }
        // The program ends while its window is in the tray.
        run.form.HideWindow();
        QTRY_VERIFY_WITH_TIMEOUT(unmapped(run.form), 15000);
    }
    // Restarts: the window comes back with its frame where it was, also after the program
    // ended with the window minimised, and after a profile round trip right at the start.
    for (const Away &away : kAways) {
        Run run(m_data.path());
        run.form.show();
        run.switchTo(QStringLiteral("other"));
        run.switchTo(QStringLiteral("demo"));
        QTRY_COMPARE_WITH_TIMEOUT(run.frame(), place, 15000);
        away.leave(run.form);
        QTRY_VERIFY2_WITH_TIMEOUT(unmapped(run.form), away.name, 15000);
    }
    Run last(m_data.path());
    last.form.show();
    QTRY_COMPARE_WITH_TIMEOUT(last.frame(), place, 15000);
}

// Maximised, a profile round trip leaves the window maximised, and back in its normal state it
// sits where it was, also after the program ended maximised.
void WindowPlaceDesktopTest::aMaximisedWindowKeepsItsNormalPlace()
{
    QRect place;
    {
        Run run(m_data.path());
        place = startOnPlace(run);
        QVERIFY(!place.isEmpty());
        run.form.showMaximized();
        QTRY_VERIFY_WITH_TIMEOUT(run.frame().width() > place.width(), 15000);
        const QRect maximised = run.frame();
        run.switchTo(QStringLiteral("other"));
        run.switchTo(QStringLiteral("demo"));
        QVERIFY(run.form.isMaximized());
        QCOMPARE(run.frame(), maximised);
        run.form.showNormal();
        QTRY_COMPARE_WITH_TIMEOUT(run.frame(), place, 15000);
        run.form.showMaximized();
        QTRY_COMPARE_WITH_TIMEOUT(run.frame(), maximised, 15000);
    }
    Run again(m_data.path());
    again.form.show();
    QTRY_COMPARE_WITH_TIMEOUT(again.frame(), place, 15000);
}

int main(int argc, char **argv)
{
    return runOnXDesktop(argc, argv, g_desktop, [&] {
        WindowPlaceDesktopTest test;
        return QTest::qExec(&test, argc, argv);
    });
}

#include "window_place_desktop_test.moc"

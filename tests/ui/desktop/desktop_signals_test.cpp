// Sleep, wake and the network, as the desktop tells them: the test plays logind (PrepareForSleep)
// and NetworkManager (its State property) on a private D-Bus session that stands in for the
// system bus. After a resume from suspend or when the network comes back, the automatic check
// runs at once (and not at all while automatic checks are off); a download running when the
// network goes away ends at once and says why.
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/window_fixture.h"
#include "ui/desktop_signals.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace kestrix;
using test::DovecotServer;

namespace {

// NetworkManager's states as its State property gives them.
constexpr uint kDisconnected = 20;
constexpr uint kConnectedGlobal = 70;

const QString kNmName = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");

}  // namespace

// The NetworkManager object as Qt's network information reads it. It lives in a thread of its
// own, so that it answers while the window's thread waits for it.
class NetworkManagerStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager")
    Q_PROPERTY(uint State READ state)
    Q_PROPERTY(uint Connectivity READ connectivity)
public:
    uint state() const { return m_state; }
    uint connectivity() const { return m_state == kConnectedGlobal ? 4 : 1; }
    void setState(uint state) { m_state = state; }

private:
    std::atomic<uint> m_state{kConnectedGlobal};
};

class DesktopSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"))
            QSKIP("needs the private bus of with_private_bus.sh");
        const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        m_logind = QDBusConnection::connectToBus(address, QStringLiteral("logind-stand-in"));
        QVERIFY(m_logind.registerService(QStringLiteral("org.freedesktop.login1")));
        m_networkManager = QDBusConnection::connectToBus(address, QStringLiteral("nm-stand-in"));
        m_nmThread.start();
        m_nm.moveToThread(&m_nmThread);
        QVERIFY(m_networkManager.registerObject(kNmPath, &m_nm,
                                                QDBusConnection::ExportAllProperties));
        QVERIFY(m_networkManager.registerService(kNmName));
    }
    void cleanupTestCase()
    {
        m_nmThread.quit();
        m_nmThread.wait();
    }

    void aWakeUpChecksAtOnce_data()
    {
        QTest::addColumn<bool>("sleep");       // resume from suspend, else the network back
        QTest::addColumn<int>("interval");     // CheckInterval in minutes, 0: checks off
        QTest::newRow("resume from suspend") << true << 30;
        QTest::newRow("network back") << false << 30;
        QTest::newRow("automatic checks off") << true << 0;
    }
    void aWakeUpChecksAtOnce()
    {
        QFETCH(bool, sleep);
        QFETCH(int, interval);
        if (!DovecotServer::available())
            QSKIP("Dovecot is not installed");
        DovecotServer dovecot({DovecotServer::makeMessage("Ann <ann@example.org>", "First")});
        test::WindowFixture window;
        window.signIn(dovecot, interval);
        window.checkMail();
        QCOMPARE(int(window.screener().messages.rows.size()), 1);
        dovecot.addMessage(DovecotServer::makeMessage("Bob <bob@example.org>", "Second"));

        auto *desktop = window.form.findChild<DesktopSignals *>();
        QVERIFY(desktop);
        QSignalSpy woke(desktop, &DesktopSignals::woke);
        if (sleep) {
            prepareForSleep(true);
            prepareForSleep(false);
        } else {
            networkState(kDisconnected);
            networkState(kConnectedGlobal);
        }
        QVERIFY(woke.wait(10000));
        QLabel *newMailSign = window.form.statusArea->Image3;
        if (interval > 0) {
            QTRY_VERIFY_WITH_TIMEOUT(newMailSign->isVisible() && !window.screener().dispatcher.dispatching(),
                                     20000);
        } else {
            QCOMPARE(window.screener().dispatcher.pendingCommand, cmdIdle);
            QTest::qWait(300);  // a few dispatcher ticks: nothing was queued
            QVERIFY(newMailSign->isHidden());
        }
    }

    // The network goes while the headers come in: the download stops at once, keeps what it
    // fetched, and the status line says why.
    void networkGoneEndsARunningDownload()
    {
        if (!DovecotServer::available())
            QSKIP("Dovecot is not installed");
        DovecotServer dovecot(test::NumberedMailbox::numberedMessages(300));
        test::WindowFixture window;
        window.signIn(dovecot);
        window.form.configPage->SpinEdit1->setValue(1000);  // no download question
        bool sent = false;
        connect(window.form.statusArea->ProgressBar1, &QProgressBar::valueChanged, this,
                [&](int value) {
                    if (value >= 5 && !sent) {
                        sent = true;
                        networkState(kDisconnected);
                    }
                });
        window.checkMail();
        QVERIFY(sent);
        const QString status = window.form.statusArea->statustext->text();
        QVERIFY2(status.contains(QStringLiteral("The network went away: the check was stopped")),
                 qPrintable(status));
        const int fetched = int(window.screener().messages.rows.size());
        QVERIFY2(fetched >= 5 && fetched < 300, qPrintable(QString::number(fetched)));
        QVERIFY(window.form.messagesPage->Panel12->isHidden());
        networkState(kConnectedGlobal);
    }

private:
    void prepareForSleep(bool sleeping)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        QVERIFY(m_logind.send(signal));
    }

    void networkState(uint state)
    {
        m_nm.setState(state);
        QDBusMessage signal = QDBusMessage::createSignal(
            kNmPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << kNmName
               << QVariantMap{{QStringLiteral("State"), QVariant::fromValue(state)},
                              {QStringLiteral("Connectivity"),
                               QVariant::fromValue(m_nm.connectivity())}}
               << QStringList();
        QVERIFY(m_networkManager.send(signal));
    }

    QDBusConnection m_logind{QString()};
    QDBusConnection m_networkManager{QString()};
    NetworkManagerStandIn m_nm;
    QThread m_nmThread;
};

QTEST_MAIN(DesktopSignalsTest)
#include "desktop_signals_test.moc"

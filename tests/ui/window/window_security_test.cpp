// The account's protection in the window: the "Security" choice loaded from and saved to
// NAME.conf, and the question to trust a refused certificate, answered through the window's
// prompter against a Dovecot whose certificate comes from a CA the trust store does not hold;
// and a desktop keyring that cannot give the password.
#include "profiles/profile_conf.h"
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/fake_pop3_server.h"
#include "support/test_certificates.h"
#include "support/window_fixture.h"
#include "transport/tls_certificate.h"
#include "ui/config_page.h"
#include "ui/form1.h"
#include "ui/grid_paint_rules.h"
#include "ui/status_bar.h"
#include "ui/window_profiles.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

using namespace kestrix;
using kestrix::test::DovecotServer;
using kestrix::test::TestCertificates;
using kestrix::test::WindowFixture;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class WindowSecurityTest : public QObject {
    Q_OBJECT

private:
    static QString file(const WindowFixture &w, const char *name)
    {
        return w.data.filePath(QString::fromLatin1(name));
    }

    // The window started on a default profile of pop.example.org with this NAME.conf (none when
    // empty).
    static void startWithConf(WindowFixture &w, const QByteArray &conf)
    {
        writeFile(file(w, "default.ini"), "3\r\npop.example.org\r\n110\r\njoe\r\n");
        if (!conf.isEmpty())
            writeFile(file(w, "default.conf"), conf);
        w.controller.start(std::nullopt);
    }

private slots:
    void securityChoiceShowsAndKeepsNameConf_data()
    {
        QTest::addColumn<QByteArray>("conf");     // NAME.conf before; empty: no such file
        QTest::addColumn<int>("shown");           // the choice shown; -1: none
        QTest::addColumn<int>("chosen");          // the user's choice; -1: left alone
        QTest::addColumn<QByteArray>("modeAfter");  // the mode line after the save; empty: no file

        QTest::newRow("no file, left alone") << QByteArray() << 0 << -1 << QByteArray();
        QTest::newRow("no file, TLS chosen") << QByteArray() << 0 << 1 << QByteArray("mode=tls");
        QTest::newRow("starttls, left alone")
            << QByteArray("[security]\nmode=starttls\n") << 2 << -1 << QByteArray("mode=starttls");
        QTest::newRow("NONE in capitals, Automatic chosen")
            << QByteArray("[security]\nmode=NONE\n") << 3 << 0 << QByteArray("mode=auto");
        // A mode this version cannot read shows no choice and is never rewritten as another.
        QTest::newRow("unreadable, left alone")
            << QByteArray("[security]\nmode=tsl\n") << -1 << -1 << QByteArray("mode=tsl");
        QTest::newRow("unreadable, None chosen")
            << QByteArray("[security]\nmode=tsl\n") << -1 << 3 << QByteArray("mode=none");
    }

    void securityChoiceShowsAndKeepsNameConf()
    {
        QFETCH(QByteArray, conf);
        QFETCH(int, shown);
        QFETCH(int, chosen);
        QFETCH(QByteArray, modeAfter);
        WindowFixture w;
        startWithConf(w, conf);

        QComboBox *security = w.form.configPage->ComboBoxSecurity;
        QCOMPARE(security->count(), 4);
        const QStringList items{security->itemText(0), security->itemText(1),
                                security->itemText(2), security->itemText(3)};
        QCOMPARE(items, (QStringList{QStringLiteral("Automatic"), QStringLiteral("TLS"),
                                     QStringLiteral("STARTTLS required"), QStringLiteral("None")}));
        QCOMPARE(security->currentIndex(), shown);
        if (chosen >= 0)
            security->setCurrentIndex(chosen);
        QVERIFY(w.controller.profiles().save());

        const QByteArray after = readFile(file(w, "default.conf"));
        if (modeAfter.isEmpty()) {
            QVERIFY(!QFile::exists(file(w, "default.conf")));
        } else {
            QVERIFY2(after.contains(modeAfter), after.constData());
        }
        QCOMPARE(readFile(file(w, "default.ini")).count("\r\n"), 29);  // NAME.ini stays as it is
    }

    // "Sign in with" and the token command: shown from NAME.conf, used at once, saved with the
    // profile; typed as a user types.
    void signInChoiceShowsAndKeepsNameConf_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<int>("shown");         // 0 Password, 1 token command, -1 none
        QTest::addColumn<int>("chosen");        // -1: left alone
        QTest::addColumn<QString>("typed");     // typed into the command's field
        QTest::addColumn<bool>("withToken");    // what the next connection uses
        QTest::addColumn<QByteArray>("after");  // in NAME.conf after the save; empty: no file

        QTest::newRow("no file, token chosen and typed")
            << QByteArray() << 0 << 1 << QStringLiteral("oama access me") << true
            << QByteArray("tokenCommand=oama access me");
        QTest::newRow("xoauth2 kept, Password chosen")
            << QByteArray("[auth]\nmethod=xoauth2\ntokenCommand=t\n") << 1 << 0 << QString()
            << false << QByteArray("method=password");
        QTest::newRow("unreadable, left alone")
            << QByteArray("[auth]\nmethod=sso\n") << -1 << -1 << QString() << false
            << QByteArray("method=sso");
    }

    void signInChoiceShowsAndKeepsNameConf()
    {
        QFETCH(QByteArray, conf);
        QFETCH(int, shown);
        QFETCH(int, chosen);
        QFETCH(QString, typed);
        QFETCH(bool, withToken);
        QFETCH(QByteArray, after);
        WindowFixture w;
        startWithConf(w, conf);

        QComboBox *signIn = w.form.configPage->ComboBoxSignIn;
        QLineEdit *command = w.form.configPage->EditTokenCommand;
        QCOMPARE(signIn->itemText(1), QStringLiteral("OAuth 2.0 token command"));
        QCOMPARE(signIn->currentIndex(), shown);
        QCOMPARE(command->isEnabled(), shown == 1);
        if (chosen >= 0)
            signIn->setCurrentIndex(chosen);
        QCOMPARE(command->isEnabled(), signIn->currentIndex() == 1);
        if (!typed.isEmpty())
            QTest::keyClicks(command, typed);
        QCOMPARE(w.screener().signsInWithToken(), withToken);
        // With a token the check starts without a password, and none is asked for.
        if (withToken) {
            QTRY_VERIFY(w.form.topBar->Button1->isEnabled());
            QVERIFY(!w.form.topBar->Edit4->isEnabled());
        }
        QVERIFY(w.controller.profiles().save());
        const QByteArray saved = readFile(file(w, "default.conf"));
        QVERIFY2(saved.contains(after), saved.constData());
    }

    void aRefusedCertificateIsTrustedOnlyAfterYes_data()
    {
        QTest::addColumn<bool>("trust");
        QTest::newRow("No: nothing pinned, nothing listed") << false;
        QTest::newRow("Yes: pinned, the same check lists") << true;
    }

    void aRefusedCertificateIsTrustedOnlyAfterYes()
    {
        QFETCH(bool, trust);
        if (!DovecotServer::available())
            QSKIP("Dovecot is not installed");
        QTemporaryDir certificateFolder;
        const TestCertificates certificates(certificateFolder.path().toStdString());
        DovecotServer::Options options;
        options.tlsCertificate = certificates.serverCertificate;
        options.tlsKey = certificates.serverKey;
        DovecotServer dovecot({DovecotServer::makeMessage("Ann <ann@example.org>", "First"),
                               DovecotServer::makeMessage("Bob <bob@example.org>", "Second")},
                              options);
        // A trust store without the test CA: the issuer is unknown.
        ::setenv("SSL_CERT_FILE", certificates.serverKey.c_str(), 1);
        const auto restore = qScopeGuard([] { ::unsetenv("SSL_CERT_FILE"); });

        WindowFixture w;
        w.controller.start(std::nullopt);
        w.form.show();
        Screener &screener = w.screener();
        w.form.configPage->Edit1->setText(QString::fromStdString(dovecot.host()));
        w.form.configPage->Edit2->setText(QString::number(dovecot.tlsPort()));
        w.form.configPage->Edit3->setText(QString::fromStdString(dovecot.user()));
        w.form.configPage->ComboBoxSecurity->setCurrentIndex(int(SecurityMode::Tls));
        QTRY_VERIFY(w.form.topBar->Edit4->isEnabled());
        w.form.topBar->Edit4->setText(QString::fromStdString(dovecot.password()));
        QTRY_VERIFY(w.form.topBar->Button1->isEnabled());
        QVERIFY(w.controller.profiles().save());  // the choice reaches NAME.conf

        const std::string fingerprint = TestCertificates::sha256Of(certificates.serverCertificate);
        w.prompter.expectYesNo(Prompter::Kind::Warning, "", trust);
        QTest::mouseClick(w.form.topBar->Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.prompter.asked.empty() && screener.dispatcher.pendingCommand == cmdIdle &&
                                     !screener.dispatcher.dispatching(),
                                 20000);
        const QString question = QString::fromStdString(w.prompter.asked.front());
        QVERIFY2(question.contains(QStringLiteral("Trust this certificate for this profile?")),
                 qPrintable(question));
        for (const QString &part : {QStringLiteral("Subject: "), QStringLiteral("Issuer: "),
                                    QStringLiteral("Kestrix Test CA"), QStringLiteral("Valid from "),
                                    QString::fromStdString(colonFingerprint(fingerprint))})
            QVERIFY2(question.contains(part), qPrintable(part));

        // Yes pins the certificate and the same check goes on with it; No stops before the
        // password went out and says so.
        const QByteArray conf = readFile(file(w, "default.conf"));
        QCOMPARE(conf.contains(QByteArray::fromStdString(fingerprint)), trust);
        QCOMPARE(int(screener.messages.rows.size()), trust ? 2 : 0);
        QCOMPARE(w.prompter.asked.size(), size_t(1));
        const QToolButton *indicator = w.form.statusArea->ProtectionIndicator;
        if (!trust) {
            QVERIFY(dovecot.logText().find("Login: user=") == std::string::npos);
            const QString status = w.form.statusArea->statustext->text();
            QVERIFY2(status.contains(QStringLiteral("the password was not sent")), qPrintable(status));
            QVERIFY(indicator->isHidden());
            return;
        }
        // The status bar shows the protection the TLS session established, with the pinned
        // certificate's fingerprint.
        QVERIFY(indicator->isVisible());
        QVERIFY2(indicator->text().startsWith(QStringLiteral("TLS 1.")), qPrintable(indicator->text()));
        const QString tip = indicator->toolTip();
        QVERIFY2(tip.contains(QString::fromStdString(colonFingerprint(fingerprint)) + QStringLiteral(", pinned")),
                 qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral("localhost")), qPrintable(tip));
    }

    // Security, host, port and user take effect at the next connection after they change on
    // screen, unsaved: each row saves a value that cannot be the one used, changes it on screen,
    // and the fake server hears the one shown. The status bar then shows what protected it.
    void theSettingShownIsTheSettingUsed_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("login");  // the account logged in (else STARTTLS was missing)
        QTest::newRow("Security: None saved, STARTTLS required shown") << QByteArray("security") << false;
        QTest::newRow("host") << QByteArray("host") << true;
        QTest::newRow("port") << QByteArray("port") << true;
        QTest::newRow("user") << QByteArray("user") << true;
    }

    void theSettingShownIsTheSettingUsed()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, login);
        test::FakePop3Server fake;
        fake.send("+OK ready\r\n");
        if (login) {
            fake.expect("CAPA\r\n");  // asked in every mode
            fake.send("-ERR unknown command\r\n");
            for (const char *step : {"USER joe", "PASS secret", "STAT"}) {
                fake.expect(std::string(step) + "\r\n");
                fake.send(std::string(step) == "STAT" ? "+OK 0 0\r\n" : "+OK\r\n");
            }
        } else {
            fake.expect("CAPA\r\n");
            fake.send("+OK\r\nUSER\r\n.\r\n");
        }
        fake.expect("QUIT\r\n");
        fake.send("+OK\r\n");

        const std::string port = std::to_string(fake.port());
        const QByteArray ini =
            QByteArray("0\r\n") + (field == "host" ? "pop.invalid" : "127.0.0.1") + "\r\n"
            + QByteArray::fromStdString(field == "port" ? std::to_string(test::unusedLoopbackPort())
                                                        : port)
            + "\r\n" + (field == "user" ? "ann" : "joe") + "\r\n";
        WindowFixture w;
        writeFile(file(w, "default.ini"), ini);
        writeFile(file(w, "default.conf"), "[security]\nmode=none\n");
        w.controller.start(std::nullopt);
        w.form.show();
        ConfigPage &config = *w.form.configPage;
        if (field == "security")
            config.ComboBoxSecurity->setCurrentIndex(int(SecurityMode::StartTls));
        else if (field == "host")
            config.Edit1->setText(QStringLiteral("127.0.0.1"));
        else if (field == "port")
            config.Edit2->setText(QString::fromStdString(port));
        else
            config.Edit3->setText(QStringLiteral("joe"));
        if (!login)  // the refusal is told in a box: nothing secret went out
            w.prompter.expectMessage(Prompter::Kind::Error,
                                     "The server does not offer STLS: the user name and password "
                                     "were not sent");
        QTRY_VERIFY(w.form.topBar->Edit4->isEnabled());
        w.form.topBar->Edit4->setText(QStringLiteral("secret"));
        QTRY_VERIFY(w.form.topBar->Button1->isEnabled());
        QTest::mouseClick(w.form.topBar->Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(fake.connectionsAccepted() == 1 && w.screener().dispatcher.pendingCommand == cmdIdle
                                     && !w.screener().dispatcher.dispatching(), 20000);
        QVERIFY(fake.waitUntilScriptDone());

        std::string heard;
        for (const std::string &line : fake.received())
            heard += line;
        QVERIFY2(fake.failures().empty(), heard.c_str());
        QCOMPARE(heard.find("USER") != std::string::npos, login);
        // Nothing was saved on the way.
        QCOMPARE(readFile(file(w, "default.ini")), ini);
        QCOMPARE(readFile(file(w, "default.conf")), QByteArray("[security]\nmode=none\n"));

        const QToolButton *indicator = w.form.statusArea->ProtectionIndicator;
        if (!login) {
            QVERIFY(indicator->isHidden());  // no session: nothing was protected or sent
            return;
        }
        QVERIFY(indicator->isVisible());
        QCOMPARE(indicator->text(), QStringLiteral("Not encrypted"));
        QCOMPARE(indicator->palette().color(QPalette::ButtonText), colours::warningOrange);
        QVERIFY(!indicator->toolTip().isEmpty());
    }

    // A profile that keeps its password in the keyring, on a desktop without one: the window
    // says so once, asks for the password, and the typed password is used for the check.
    void aKeyringThatFailsSaysSoOnceAndAsks()
    {
        if (!DovecotServer::available())
            QSKIP("Dovecot is not installed");
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");  // no session bus: no Secret Service
        const auto restore = qScopeGuard([bus] {
            if (!bus.isEmpty())
                qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        });
        DovecotServer dovecot({DovecotServer::makeMessage("Ann <ann@example.org>", "First")});
        QTemporaryDir data;
        writeFile(data.filePath(QStringLiteral("default.ini")),
                  "0\r\n" + QByteArray::fromStdString(dovecot.host()) + "\r\n"
                      + QByteArray::number(dovecot.port()) + "\r\n"
                      + QByteArray::fromStdString(dovecot.user()) + "\r\n");
        ProfileConf conf;
        conf.setKeyring(true);
        QVERIFY(conf.save(ProfileConf::pathFor(data.path(), "default")));

        WindowFixture w(data.path());
        w.prompter.expectMessage(Prompter::Kind::Warning,
                                 "The password could not be read from the desktop keyring (No "
                                 "desktop session bus: the desktop keyring cannot be reached). "
                                 "Please type the password.");
        w.controller.start(std::nullopt);
        w.form.show();
        QCOMPARE(w.prompter.pending(), size_t(0));
        QCOMPARE(w.form.topBar->Edit4->placeholderText(), QStringLiteral("type the password"));

        // Typed, the password is used; the keyring that cannot keep it is not asked again.
        w.form.topBar->Edit4->setText(QString::fromStdString(dovecot.password()));
        QTRY_COMPARE(w.form.topBar->Button1->text(), QStringLiteral("Get Mail Headers: New"));
        QTest::mouseClick(w.form.topBar->Button1, Qt::LeftButton);
        Screener &screener = w.screener();
        QTRY_VERIFY2_WITH_TIMEOUT(screener.messages.hasMessages() && screener.dispatcher.pendingCommand == cmdIdle
                                      && !screener.dispatcher.dispatching(),
                                  qPrintable(w.form.statusArea->statustext->text()), 20000);
        QCOMPARE(w.prompter.asked.size(), size_t(1));
        QVERIFY(!readFile(data.filePath(QStringLiteral("default.ini"))).contains(
            QByteArray::fromStdString(dovecot.password())));
    }
};

QTEST_MAIN(WindowSecurityTest)
#include "window_security_test.moc"

// The account's protection in the window: the "Security" choice loaded from and saved to
// NAME.conf, and the question to trust a refused certificate, answered through the window's
// prompter against a Dovecot whose certificate comes from a CA the trust store does not hold.
#include "profiles/profile_conf.h"
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/test_certificates.h"
#include "support/window_fixture.h"
#include "transport/tls_certificate.h"
#include "ui/form1.h"
#include "ui/window_profiles.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

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
        writeFile(file(w, "default.ini"), "3\r\npop.example.org\r\n110\r\njoe\r\n");
        if (!conf.isEmpty())
            writeFile(file(w, "default.conf"), conf);
        w.controller.start(std::nullopt);

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

    void aRefusedCertificateIsTrustedOnlyAfterYes_data()
    {
        QTest::addColumn<bool>("trust");
        QTest::newRow("No: nothing pinned, nothing listed") << false;
        QTest::newRow("Yes: pinned, the next command lists") << true;
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
        QTRY_VERIFY_WITH_TIMEOUT(!w.prompter.asked.empty() && screener.pendingCommand == cmdIdle &&
                                     !screener.dispatching(),
                                 20000);
        const QString question = QString::fromStdString(w.prompter.asked.front());
        QVERIFY2(question.contains(QStringLiteral("Trust this certificate for this profile?")),
                 qPrintable(question));
        for (const QString &part : {QStringLiteral("Subject: "), QStringLiteral("Issuer: "),
                                    QStringLiteral("Kestrix Test CA"), QStringLiteral("Valid from "),
                                    QString::fromStdString(colonFingerprint(fingerprint))})
            QVERIFY2(question.contains(part), qPrintable(part));
        QVERIFY(!screener.hasMessages());
        QVERIFY(dovecot.logText().find("Login: user=") == std::string::npos);

        const QByteArray conf = readFile(file(w, "default.conf"));
        QCOMPARE(conf.contains(QByteArray::fromStdString(fingerprint)), trust);
        if (!trust)
            return;

        // The next command connects with the pin and lists both messages.
        QTRY_VERIFY(w.form.topBar->Button1->isEnabled());
        QTest::mouseClick(w.form.topBar->Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(screener.hasMessages() && screener.pendingCommand == cmdIdle &&
                                     !screener.dispatching(),
                                 20000);
        QCOMPARE(int(screener.rows.size()), 2);
        QCOMPARE(w.prompter.asked.size(), size_t(1));  // no second question
    }
};

QTEST_MAIN(WindowSecurityTest)
#include "window_security_test.moc"

// The desktop keyring on a real Secret Service (gnome-keyring-daemon in a D-Bus session of the
// test's own, started by with_keyring.sh): "Remember password in the desktop keyring" stores the
// typed password, the next start fills it in, kestrix-cli uses it without KESTRIX_PASSWORD,
// unchecking and deleting the profile remove it, and no file of the data folder holds it.
#include "profiles/password_keyring.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/window_fixture.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kestrix;
using test::DovecotServer;

namespace {

QCheckBox *keyringBox(TForm1 &form) { return form.findChild<QCheckBox *>(QStringLiteral("CheckBoxKeyring")); }

}  // namespace

class KeyringTest : public QObject {
    Q_OBJECT

private slots:
    void rememberedAcrossRestartsAndForTheCommandLine()
    {
        std::string why;
        QVERIFY2(PasswordKeyring::reachable(why), why.c_str());
        if (!DovecotServer::available())
            QSKIP("Dovecot is not installed");
        DovecotServer::Options account;
        account.password = "Kr8-keyring-pass";
        DovecotServer dovecot({DovecotServer::makeMessage("Alice <alice@example.org>", "Lunch")},
                              account);
        QTemporaryDir data;
        for (const char *name : {"default", "work"}) {
            Profile profile;
            profile.name = name;
            profile.settings.Host = dovecot.host();
            profile.settings.Port = std::to_string(dovecot.port());
            profile.settings.UserId = dovecot.user();
            QVERIFY(SaveProfile(profile, data.path()));
        }
        QVERIFY(writeProfileList(data.path(), {"default", "work"}));
        const QString password = QString::fromStdString(dovecot.password());

        // Check the box with a typed password: stored at the next connection, flag in NAME.conf.
        {
            test::WindowFixture run(data.path());
            TForm1 &form = run.form;
            run.controller.start(std::string("default"));
            QCheckBox *box = keyringBox(form);
            QVERIFY(box);
            QVERIFY(box->isEnabled());
            QVERIFY(!box->isChecked());
            form.topBar->Edit4->setText(password);
            box->setChecked(true);
            QVERIFY(ProfileConf::load(ProfileConf::pathFor(data.path(), "default")).keyring());
            QCOMPARE(PasswordKeyring::read("default"), std::optional<std::string>(dovecot.password()));
            form.ProgramExit();
        }
        // The next start fills the password in: an automatic check can run at once.
        {
            test::WindowFixture run(data.path());
            TForm1 &form = run.form;
            run.controller.start(std::string("default"));
            QVERIFY(keyringBox(form)->isChecked());
            QCOMPARE(form.topBar->Edit4->text(), password);
            QCOMPARE(run.screener().session.password, dovecot.password());
            form.ProgramExit();
        }
        // kestrix-cli takes it from the keyring when KESTRIX_PASSWORD is not set.
        {
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("KESTRIX_PASSWORD"));
            cli.setProcessEnvironment(env);
            cli.setStandardInputFile(QProcess::nullDevice());
            cli.start(QStringLiteral(KESTRIX_CLI_PATH),
                      {QStringLiteral("--dir"), data.path(), QStringLiteral("list")});
            QVERIFY(cli.waitForFinished(60000));
            QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
            QVERIFY(cli.readAllStandardOutput().contains("Lunch"));
        }
        // Unchecking removes the secret; the flag goes off.
        {
            test::WindowFixture run(data.path());
            TForm1 &form = run.form;
            run.controller.start(std::string("default"));
            keyringBox(form)->setChecked(false);
            QCOMPARE(PasswordKeyring::read("default"), std::nullopt);
            QVERIFY(!ProfileConf::load(ProfileConf::pathFor(data.path(), "default")).keyring());
            form.ProgramExit();
        }
        // Deleting a profile (with its files) removes its secret.
        {
            QVERIFY(PasswordKeyring::write("work", "work-secret-77"));
            ProfileConf work;
            work.setKeyring(true);
            QVERIFY(work.save(ProfileConf::pathFor(data.path(), "work")));
            test::WindowFixture run(data.path());
            TForm1 &form = run.form;
            run.controller.start(std::string("work"));
            QCOMPARE(form.topBar->Edit4->text(), QStringLiteral("work-secret-77"));
            form.configPage->ComboBox1->setCurrentIndex(form.configPage->ComboBox1->findText(QStringLiteral("work")));
            run.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really Delete Profile: work?",
                                     true);
            run.prompter.expectYesNo(
                Prompter::Kind::Confirmation,
                "work : Delete all accepted addresses, logfile and settings  ?", true);
            QTest::mouseClick(form.configPage->SpeedButton14, Qt::LeftButton);
            QCOMPARE(run.prompter.asked.size(), size_t(2));
            QCOMPARE(PasswordKeyring::read("work"), std::nullopt);
            form.ProgramExit();
        }
        // No file of ours holds a password.
        QDirIterator it(data.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY2(!bytes.contains(dovecot.password().c_str()), qPrintable(file.fileName()));
            QVERIFY2(!bytes.contains("work-secret-77"), qPrintable(file.fileName()));
        }
    }
};

QTEST_MAIN(KeyringTest)
#include "keyring_test.moc"

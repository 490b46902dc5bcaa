// The "Check for Updates" dialog on the real window: "Updates" reads the release page from a
// fake web server and shows it, the notice of the daily check opens the dialog too, and the
// daily-check box and the dialog's own box turn the daily check off.
#include "screening/screener.h"
#include "support/fake_http_server.h"
#include "support/window_fixture.h"
#include "text/version.h"
#include "ui/form1.h"
#include "ui/form2_update.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <string>
#include <vector>

using namespace kestrix;
using kestrix::test::FakeHttpServer;

namespace {

const std::string kNewRelease =
    "<html>\r\n<b>3.0.3 - May 2004</b>\r\n<pre>\r\nfaster screening\r\nsch\xC3\xB6ne Gr\xC3\xBC\xC3\x9F""e\r\n";

struct Window : kestrix::test::WindowFixture {
    Window()
    {
        controller.start(std::nullopt);
        form.show();
        controller.updateCheck().check().openUrl = [this](const std::string &url) {
            opened.push_back(url);
        };
        controller.updateCheck().check().today = [] { return std::string("07.12.26"); };
    }
    std::vector<std::string> opened;
};

}  // namespace

class UpdateDialogTest : public QObject {
    Q_OBJECT

private slots:
    void updatesShowsTheReleaseAndTheDialogBoxTurnsTheDailyCheckOff()
    {
        FakeHttpServer web;
        web.on("/release.txt", FakeHttpServer::reply(200, "OK", kNewRelease));
        Window w;
        w.controller.updateCheck().check().releaseUrl = web.url("/release.txt");
        QTest::mouseClick(w.form.configPage->CheckBox6, Qt::LeftButton);
        QVERIFY(w.controller.screener().profile.settings.DailyUpdateCheck);

        // What the dialog showed, taken while it is open and compared after it closed (a failed
        // comparison inside would leave it open).
        struct Shown {
            QString title, installedCaption, installed, whatsNew, version, notes, question, box;
            QSize size;
            bool onTop = false;
            bool boxChecked = true;
            bool boxFits = false;
        } shown;
        w.dialogs.expect([&shown](QWidget *modal) {
            auto *dialog = qobject_cast<TForm2 *>(modal);
            QVERIFY(dialog);
            shown = {dialog->windowTitle(),       dialog->Label4->text(),
                     dialog->Label5->text(),      dialog->Label3->text(),
                     dialog->Label2->text(),      dialog->Memo1->toPlainText(),
                     dialog->Label1->text(),      dialog->CheckBox1->text(),
                     dialog->size(),              bool(dialog->windowFlags() & Qt::WindowStaysOnTopHint),
                     dialog->CheckBox1->isChecked(),
                     dialog->CheckBox1->width() >= dialog->CheckBox1->sizeHint().width()};
            QTest::mouseClick(dialog->CheckBox1, Qt::LeftButton);
            QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);  // No
        });
        QTest::mouseClick(w.form.topBar->SpeedButton20, Qt::LeftButton);  // "Updates"

        QVERIFY(w.dialogs.allShown());
        QCOMPARE(shown.title, QStringLiteral("Check for Updates"));
        // The dialog keeps its height and widens only as far as the box's whole text needs.
        QCOMPARE(shown.size.height(), 328);
        QVERIFY(shown.size.width() >= 262);
        QVERIFY(shown.boxFits);
        QVERIFY(shown.onTop);
        QCOMPARE(shown.installedCaption, QStringLiteral("Installed Version"));
        QCOMPARE(shown.installed, QString::fromLatin1(kVersionText));
        QCOMPARE(shown.whatsNew, QStringLiteral("What's new ?"));
        QCOMPARE(shown.version, QStringLiteral("Kestrix 3.0.3 - May 2004"));
        QCOMPARE(shown.notes, QStringLiteral("faster screening\nschöne Grüße"));  // UTF-8 notes
        QCOMPARE(shown.question, QStringLiteral("Open Web-Browser for Update ?"));
        QCOMPARE(shown.box, QStringLiteral("Don't automatically check for updates  !"));
        QVERIFY(!shown.boxChecked);
        QCOMPARE(web.requestCount(), std::size_t(1));
        QVERIFY(w.opened.empty());
        QVERIFY(!w.form.configPage->CheckBox6->isChecked());
        QVERIFY(!w.controller.screener().profile.settings.DailyUpdateCheck);
    }

    void noticeOfTheDailyCheckOpensTheDialogAndYesOpensTheDownloadPage()
    {
        FakeHttpServer web;
        web.on("/release.txt", FakeHttpServer::reply(200, "OK", kNewRelease));
        Window w;
        UpdateCheck &check = w.controller.updateCheck().check();
        check.releaseUrl = web.url("/release.txt");
        check.downloadUrl = "http://download.example/kestrix";
        QTest::mouseClick(w.form.configPage->CheckBox6, Qt::LeftButton);

        w.controller.updateCheck().dailyCheck();  // as a connection starts
        QVERIFY(w.form.statusArea->StaticText2->isVisible());
        QCOMPARE(w.controller.screener().profile.settings.LastUpdateCheck, std::string("07.12.26"));

        w.dialogs.expect([](QWidget *modal) {
            auto *dialog = qobject_cast<TForm2 *>(modal);
            QVERIFY(dialog);
            QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);  // Yes
        });
        QTest::mouseClick(w.form.statusArea->StaticText2, Qt::LeftButton);
        QVERIFY(w.dialogs.allShown());
        QVERIFY(!w.form.statusArea->StaticText2->isVisible());
        QCOMPARE(w.opened, std::vector<std::string>{"http://download.example/kestrix"});
        QVERIFY(w.form.configPage->CheckBox6->isChecked());  // the dialog's box was left clear
    }

    void uncheckingTheDailyCheckHidesTheNoticeAndForgetsTheDay()
    {
        FakeHttpServer web;
        web.on("/release.txt", FakeHttpServer::reply(200, "OK", kNewRelease));
        Window w;
        w.controller.updateCheck().check().releaseUrl = web.url("/release.txt");
        QTest::mouseClick(w.form.configPage->CheckBox6, Qt::LeftButton);
        w.controller.updateCheck().dailyCheck();
        QVERIFY(w.form.statusArea->StaticText2->isVisible());

        QTest::mouseClick(w.form.configPage->CheckBox6, Qt::LeftButton);
        QVERIFY(!w.form.statusArea->StaticText2->isVisible());
        QCOMPARE(w.controller.screener().profile.settings.LastUpdateCheck, std::string());
        QVERIFY(!w.controller.screener().profile.settings.DailyUpdateCheck);
    }

    void captionEndsWithTheInstalledVersion()
    {
        Window w;
        QCOMPARE(w.form.windowTitle(),
                 QStringLiteral("Kestrix for POP3 - Version ") + QString::fromLatin1(kVersionText));
    }
};

QTEST_MAIN(UpdateDialogTest)
#include "update_dialog_test.moc"

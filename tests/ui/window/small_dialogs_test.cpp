// The two small dialogs: "Download Control" answers Yes on Enter in its number field with the
// value typed; "New Profile" keeps the name typed last time. Both through the Prompter, on the
// real dialogs, like the message boxes and the input box.
#include "ui/form1.h"
#include "support/window_fixture.h"
#include "ui/form3_new_profile.h"
#include "ui/form5_download_control.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace kestrix;
using kestrix::test::WindowFixture;

class SmallDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // Both are fixed dialogs: the window manager offers a close button, no minimise or maximise.
    void fixedDialogsOfferOnlyClose()
    {
        TForm3 newProfile(nullptr);
        TForm5 downloadControl(nullptr);
        for (QDialog *dialog : {static_cast<QDialog *>(&newProfile),
                                static_cast<QDialog *>(&downloadControl)}) {
            const Qt::WindowFlags flags = dialog->windowFlags();
            QVERIFY2(flags.testFlag(Qt::CustomizeWindowHint), qPrintable(dialog->windowTitle()));
            QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
            QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        }
    }

    // A question ending in "?" or "!" reads as one sentence: the mark is not wrapped onto a
    // line of its own.
    void questionsKeepTheirFinalMarkOnTheLine()
    {
        WindowFixture w;
        const char *const texts[] = {
            "Really DELETE 12 blacklisted or known bad message(s) (No Recovery !) ?",
            "Are you sure to DELETE ALL MESSAGES at your POP3 server ? ",
            "Really DELETE selected 2 Message(s) (No Recovery) ?",
        };
        for (const char *text : texts) {
            int lines = 0;
            w.dialogs.expect([&lines](QWidget *modal) {
                auto *label = modal->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                const int height = label->heightForWidth(label->width());
                lines = (height + label->fontMetrics().lineSpacing() / 2) /
                        label->fontMetrics().lineSpacing();
                static_cast<QMessageBox *>(modal)->button(QMessageBox::No)->click();
            });
            QVERIFY(!w.view().askYesNo(Prompter::Kind::Confirmation, text));
            QVERIFY(w.dialogs.allShown());
            QVERIFY2(lines == 1, text);
        }
    }

    void downloadControlEnterMeansYes()
    {
        WindowFixture w;
        WindowView &form = w.view();
        w.dialogs.expect([](QWidget *modal) {
            auto *spin = modal->findChild<QSpinBox *>(QStringLiteral("SpinEdit1"));
            QCOMPARE(spin->maximum(), 300);
            QCOMPARE(spin->value(), 20);
            spin->findChild<QLineEdit *>()->selectAll();
            QTest::keyClicks(spin->findChild<QLineEdit *>(), QStringLiteral("45"));
            QTest::keyClick(spin->findChild<QLineEdit *>(), Qt::Key_Return);
        });
        const std::optional<int> count = form.askDownloadCount(300, 20);
        QVERIFY(w.dialogs.allShown());
        QVERIFY(count.has_value());
        QCOMPARE(*count, 45);
        QCOMPARE(form.form5().windowTitle(), QStringLiteral("Download Control"));

        w.dialogs.expect([](QWidget *modal) {
            modal->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
        });
        QVERIFY(!form.askDownloadCount(300, 20).has_value());
    }

    void newProfileKeepsLastName()
    {
        WindowFixture w;
        WindowView &form = w.view();
        w.dialogs.expect([](QWidget *modal) {
            auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            QTest::keyClicks(edit, QStringLiteral("My Box"));
            modal->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
        });
        const auto name = form.askNewProfileName();
        QVERIFY(name.has_value());
        QCOMPARE(QString::fromStdString(*name), QStringLiteral("My Box"));

        QString shownAgain;
        w.dialogs.expect([&shownAgain](QWidget *modal) {
            shownAgain = modal->findChild<QLineEdit *>(QStringLiteral("Edit1"))->text();
            modal->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        });
        QVERIFY(!form.askNewProfileName().has_value());
        QCOMPARE(shownAgain, QStringLiteral("My Box"));
        QCOMPARE(form.form3().windowTitle(), QStringLiteral("New Profile"));
    }

    void questionsAndInputBox()
    {
        WindowFixture w;
        WindowView &form = w.view();
        w.dialogs.expectBox(QStringLiteral("Really DELETE selected 2 Message(s) (No Recovery) ?"),
                            QMessageBox::Yes);
        QVERIFY(form.askYesNo(Prompter::Kind::Confirmation,
                              "Really DELETE selected 2 Message(s) (No Recovery) ?"));
        w.dialogs.expectBox(QStringLiteral("Connection Required. Connect?"), QMessageBox::Cancel);
        QVERIFY(!form.askOkCancel(Prompter::Kind::Warning, "Connection Required. Connect?"));

        bool fixedWithCloseOnly = false;
        w.dialogs.expect([&fixedWithCloseOnly](QWidget *modal) {
            // A box of fixed height (no resize grip under its buttons), closed but not minimised.
            const Qt::WindowFlags flags = modal->windowFlags();
            fixedWithCloseOnly = modal->minimumHeight() == modal->maximumHeight() &&
                                 flags.testFlag(Qt::WindowCloseButtonHint) &&
                                 !flags.testFlag(Qt::WindowMinimizeButtonHint) &&
                                 !flags.testFlag(Qt::WindowMaximizeButtonHint);
            auto *edit = modal->findChild<QLineEdit *>();
            edit->setText(QString::fromLatin1("h\xF6st"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const auto host = form.askText("Invalid Host!", "Specify a new host:", "old");
        QVERIFY(host.has_value());
        QCOMPARE(*host, std::string("h\xF6st"));
        QVERIFY(fixedWithCloseOnly);
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "small_dialogs_test.moc"

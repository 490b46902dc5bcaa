// What the window shows follows what it holds: a profile switch leaves nothing of the previous
// profile's messages on screen (details, class shape, selection count, row buttons, trusted
// counts), and showing, hiding and switching profiles keep the window where it was.
#include "screening/screener.h"
#include "support/window_fixture.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "ui/window_profiles.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace kestrix;
using kestrix::test::WindowFixture;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Four messages from one trusted sender, as a download leaves them, with the first row's
// details shown and all rows selected.
void showTrustedMail(WindowFixture &w)
{
    Screener &s = w.screener();
    s.profile.whitelist.add("Alice <alice@example.org>");
    for (int n = 1; n <= 4; ++n)
        s.messages.rows.push_back({n, "Alice <alice@example.org>", "Lunch", "c" + std::to_string(n)});
    s.reclassify();
    w.form.messagesPage->showDetails(1);
    w.form.messagesPage->showDetailsText({"From: Alice <alice@example.org>", "Subject: Lunch"});
    s.updateSelectionInfo(1, 4);
    w.form.messagesPage->button7->setEnabled(true);
}

void switchTo(WindowFixture &w, const QString &name)
{
    w.form.configPage->ComboBox1->setCurrentIndex(w.form.configPage->ComboBox1->findText(name));
    w.controller.profiles().ComboBox1Change();
}

}  // namespace

class WindowConsistencyTest : public QObject {
    Q_OBJECT

private slots:
    void aProfileSwitchLeavesNothingOfThePreviousMessages()
    {
        WindowFixture w;
        writeFile(w.data.filePath(QStringLiteral("demo.ini")), "0\r\n");
        writeFile(w.data.filePath(QStringLiteral("other.ini")), "0\r\n");
        writeFile(w.data.filePath(QStringLiteral("Kestrix.pro")), "demo\r\nother\r\n");
        w.controller.start(std::string("demo"));
        TForm1 &form = w.form;
        showTrustedMail(w);
        QCOMPARE(form.messagesPage->Label52->text(), QStringLiteral("Known good address"));
        QCOMPARE(form.messagesPage->Label6->text(), QStringLiteral("1-4"));
        QVERIFY(!form.messagesPage->Memo2->toPlainText().isEmpty());

        switchTo(w, QStringLiteral("other"));
        switchTo(w, QStringLiteral("demo"));
        form.refreshTick();
        w.screener().dispatcher.Timer2Timer();
        QVERIFY(!w.screener().messages.hasMessages());
        QCOMPARE(form.messagesPage->Memo2->toPlainText(), QString());
        QVERIFY(form.messagesPage->Shape2->isHidden());
        QCOMPARE(form.messagesPage->Label52->text(), QString());
        QCOMPARE(form.messagesPage->Label6->text(), QString());
        for (QWidget *button : {static_cast<QWidget *>(form.messagesPage->button7),
                                static_cast<QWidget *>(form.messagesPage->SpeedButton31)})
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));

        // The whitelist loses an address: the banner speaks of the empty table, not of the
        // trusted messages of before the switch. The only question: save the emptied list?
        w.prompter.expectYesNo(Prompter::Kind::Confirmation, "Save empty list of trusted addresses ?",
                               false);
        w.screener().deleteWhitelistAddresses({0}, w.data.filePath(QStringLiteral("demo.acc")));
        QVERIFY2(!form.messagesPage->Label24->text().contains(QStringLiteral("trusted")),
                 qPrintable(form.messagesPage->Label24->text()));
        QCOMPARE(w.prompter.asked.size(), size_t(1));
    }

    // Hiding to the tray and showing again, and a round trip through another profile (which
    // saves this profile's geometry and loads it again), leave the window where it was.
    void showHideAndAProfileRoundTripKeepTheGeometry()
    {
        WindowFixture w;
        writeFile(w.data.filePath(QStringLiteral("Kestrix.pro")), "demo\r\nother\r\n");
        w.controller.start(std::string("demo"));
        TForm1 &form = w.form;
        form.setGeometry(120, 90, 780, 540);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect frame = form.frameGeometry();
        const QRect client = form.geometry();
        for (int cycle = 0; cycle < 3; ++cycle) {
            form.hide();
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            switchTo(w, QStringLiteral("other"));
            switchTo(w, QStringLiteral("demo"));
            QCoreApplication::processEvents();
            QCOMPARE(form.frameGeometry(), frame);
            QCOMPARE(form.geometry(), client);
        }
        QVERIFY(w.prompter.asked.empty());
    }
};

QTEST_MAIN(WindowConsistencyTest)
#include "window_consistency_test.moc"

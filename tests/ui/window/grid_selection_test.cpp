// The message grid over a real Screener: rows painted by the classification in the model
// (never by the first bytes of a text), the selection commands, "Allow delete of accepted",
// the known-bad selection mode and the details pane.
#include "screening/pending_command.h"
#include "screening/screener.h"
#include "ui/form1.h"
#include "support/window_fixture.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace kestrix;
using kestrix::test::WindowFixture;

namespace {

const std::string kAnn = "Ann <ann@example.org>";
// Mail can carry the section sign itself: this sender only looks like a trusted cell.
const std::string kLookAlike = std::string("\xA7KNGA") + "bob@spam.example";

// Rows: 1 Ann (trusted), 2 look-alike (unknown), 3 mallory (known bad), 4 Ann, 5 Ann.
struct Fixture {
    WindowFixture window;
    TForm1 &form = window.form;
    Screener &screener = window.screener();

    Fixture()
    {
        screener.profile.blacklist.assign({});
        screener.profile.whitelist.add(kAnn);
        screener.profile.rejectedLog.appendRejected("mallory@bad.example", "zzz");
        const std::vector<std::string> senders{kAnn, kLookAlike, "mallory@bad.example", kAnn,
                                               kAnn};
        for (int i = 0; i < 5; ++i) {
            const int number = i + 1;
            screener.messages.rows.push_back({number, senders[size_t(i)],
                                     "hello " + std::to_string(number),
                                     std::to_string(100 + number),
                                     {"id:" + std::to_string(100 + number), "Size: 900 byte",
                                      "From: " + senders[size_t(i)], "Content-Type: text/plain"}});
        }
        screener.messages.startCode = "0";
        screener.buildMessageTable(false);
    }

    TWrapGrid &grid() { return *form.messagesPage->stringgrid1; }
};

}  // namespace

class GridSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void sectionSignSenderIsUnknown()
    {
        Fixture f;
        QCOMPARE(f.grid().lastRow(), 5);
        QVERIFY(!rowMarksOf(f.screener.messages.messageTable, 2).trusted);
        QCOMPARE(f.grid().decision(2).badge, Badge::Unknown);
        QCOMPARE(f.grid().decision(1).badge, Badge::None);
        QCOMPARE(f.grid().decision(3).badge, Badge::KnownBad);
        // The cell shows the sender as received, section sign included.
        const QString shown = f.grid().model()->index(1, 1).data().toString();
        QCOMPARE(shown, QString::fromLatin1(kLookAlike.c_str()));
        f.form.messagesPage->showDetails(2);
        QCOMPARE(f.form.messagesPage->Label52->text(), QStringLiteral("US: Unknown Sender"));
        QVERIFY(!f.form.messagesPage->Shape2->isHidden());
        // Selected and protected: painted like any unknown row, highlighted.
        f.form.messagesPage->selectAllUnknown();
        QVERIFY(f.grid().decision(2).highlighted);
        QVERIFY(!f.grid().decision(1).highlighted);
    }

    void selectAllUnknownAndAllowDelete()
    {
        Fixture f;
        f.form.messagesPage->selectAllUnknown();
        QCOMPARE(f.grid().selectionTop(), 1);
        QCOMPARE(f.grid().selectionBottom(), 5);
        QCOMPARE(f.screener.grid.selTop, 1);
        QCOMPARE(f.screener.grid.selBottom, 5);
        QCOMPARE(f.form.messagesPage->Label6->text(), QStringLiteral("1-5"));
        // No unknown-senders banner and no "Allow delete": nothing to delete or add.
        QVERIFY(!f.form.messagesPage->button10->isEnabled());
        QVERIFY(!f.form.messagesPage->button7->isEnabled());
        QVERIFY(!f.form.messagesPage->Deleteselectedmails1->isEnabled());
        QVERIFY(!f.grid().decision(4).highlighted);
        QVERIFY(f.grid().decision(3).highlighted);

        f.form.messagesPage->Panel3->show();
        f.form.messagesPage->selectAllUnknown();
        QVERIFY(f.form.messagesPage->button10->isEnabled());
        QVERIFY(f.form.messagesPage->button7->isEnabled());

        f.window.prompter.expectMessage(
            Prompter::Kind::Warning,
            "Selected E-MAILs from accepted Sender Addresses can be deleted now !");
        f.form.statusArea->CheckBox1->click();
        QCOMPARE(f.window.prompter.pending(), size_t(0));
        QVERIFY(f.screener.grid.allowDeleteAccepted);
        QCOMPARE(f.form.messagesPage->Button66->text(), QStringLiteral("Select all"));
        QCOMPARE(f.form.messagesPage->button10->text(), QStringLiteral("Delete selected"));
        QVERIFY(f.grid().decision(4).highlighted);

        // The download unchecks the box from the screening side: protection comes back.
        f.screener.setAllowDeleteAccepted(false);
        QVERIFY(!f.form.statusArea->CheckBox1->isChecked());
        QVERIFY(f.grid().protectTrusted());
        QCOMPARE(f.form.messagesPage->Button66->text(), QStringLiteral("Select all unknown"));
        QCOMPARE(f.form.messagesPage->button10->text(), QStringLiteral("Delete selected unknown"));
        QVERIFY(!f.grid().decision(4).highlighted);
    }

    void knownBadModeAndDeletionCode()
    {
        Fixture f;
        f.grid().setCurrentRow(2);
        f.form.messagesPage->selectKnownBad();
        QVERIFY(f.screener.grid.knownBadSelectMode);
        QVERIFY(f.grid().decision(3).highlighted);
        QVERIFY(!f.grid().decision(2).highlighted);  // selected, but not known bad
        QVERIFY(f.form.messagesPage->button10->isEnabled());
        f.form.Button10Click();
        QCOMPARE(int(f.screener.dispatcher.pendingCommand), int(cmdDeleteKnownBad));

        // The main button ends the mode; the next deletion is of the selected rows.
        f.form.Button1Click();
        QVERIFY(!f.screener.grid.knownBadSelectMode);
        f.form.Button10Click();
        QCOMPARE(int(f.screener.dispatcher.pendingCommand), int(cmdDeleteSelected));
    }

    void nextAndPreviousUnknown()
    {
        Fixture f;
        f.grid().setCurrentRow(1);
        f.form.messagesPage->nextUnknown();
        QCOMPARE(f.grid().currentRow(), 2);
        QVERIFY(f.form.messagesPage->button10->isEnabled());
        f.form.messagesPage->nextUnknown();
        QCOMPARE(f.grid().currentRow(), 3);
        // Below row 3 every row is trusted: the step ends on the last row.
        f.form.messagesPage->nextUnknown();
        QCOMPARE(f.grid().currentRow(), 5);
        QVERIFY(!f.form.messagesPage->button10->isEnabled());
        f.form.messagesPage->nextUnknown();  // on the last row: nothing
        QCOMPARE(f.grid().currentRow(), 5);
        f.form.messagesPage->previousUnknown();
        QCOMPARE(f.grid().currentRow(), 3);
        f.form.messagesPage->previousUnknown();
        QCOMPARE(f.grid().currentRow(), 2);
        f.form.messagesPage->previousUnknown();  // row 1 is trusted, but stepping stops there
        QCOMPARE(f.grid().currentRow(), 1);
    }

    void gridRulesOfTheTick()
    {
        Fixture f;
        f.grid().setCurrentRow(3);
        f.form.refreshTick();
        QVERIFY(f.form.messagesPage->SpeedButton32->isEnabled());
        QVERIFY(f.form.messagesPage->SpeedButton33->isEnabled());
        QVERIFY(f.form.messagesPage->Button66->isEnabled());  // not all trusted, messages, no session
        QCOMPARE(f.screener.grid.detailsRow, 3);
        QCOMPARE(f.form.messagesPage->Label6->text(), QStringLiteral("3"));
        QCOMPARE(f.form.messagesPage->Label52->text(), QStringLiteral("KB: Known Bad address"));
        QVERIFY(f.form.messagesPage->Memo2->toPlainText().startsWith(QStringLiteral("Size: 900 byte")));
        QVERIFY(f.form.messagesPage->StaticText1->isHidden());
        f.form.setConnectionOpen(true);
        f.form.refreshTick();
        QVERIFY(!f.form.messagesPage->Button66->isEnabled());
        f.grid().setCurrentRow(5);
        f.form.refreshTick();
        QVERIFY(!f.form.messagesPage->SpeedButton33->isEnabled());
    }

    void pagesShowTheirCounts()
    {
        Fixture f;
        f.screener.profile.settings.DeletedCount = 12;
        f.screener.view().showPage(Control::TabSheet4);
        QCOMPARE(f.form.whitelistPage->Label25->text(), QStringLiteral("1 trusted addresses"));
        QCOMPARE(f.form.whitelistPage->Label13->text(), QStringLiteral("1 trusted addresses"));
        f.screener.view().showPage(Control::TabSheet6);
        QCOMPARE(f.form.logPage->Panel13->text(), QStringLiteral("1 logged SPAM MAIL addresses"));
        f.form.topBar->SpeedButton3->click();
        QCOMPARE(f.form.startPage->Label19->text(), QStringLiteral("1"));
        QCOMPARE(f.form.startPage->Label21->text(), QStringLiteral("12"));
    }

    // With KESTRIX_GRAB_DIR set, saves a picture of the painted grid (for looking, not testing).
    void grabGrid()
    {
        const QString dir = qEnvironmentVariable("KESTRIX_GRAB_DIR");
        if (dir.isEmpty())
            QSKIP("KESTRIX_GRAB_DIR not set");
        Fixture f;
        f.form.show();
        f.screener.view().showPage(Control::TabSheet3);
        f.form.messagesPage->Panel3->show();
        f.grid().selectRows(2, 4, 4);
        f.form.refreshTick();
        QCoreApplication::processEvents();
        QVERIFY(f.form.grab().save(dir + QStringLiteral("/grid.png")));
    }

    // Ann's mail in row 4 fails the provider's DMARC; row 2 carries its spam flag.
    void verdictBadgeColourAndWhy()
    {
        Fixture f;
        auto &forged = f.screener.messages.rows.at(3).headerLines;
        forged.insert(forged.begin() + 2, "Authentication-Results: mx.example.net; dmarc=fail "
                                          "header.from=example.org");
        auto &flagged = f.screener.messages.rows.at(1).headerLines;
        flagged.insert(flagged.begin() + 2, "X-Spam-Flag: YES");
        f.screener.buildMessageTable(false);

        QCOMPARE(f.grid().decision(4).badge, Badge::Forged);
        QVERIFY(f.grid().decision(4).verdictColour);
        QCOMPARE(f.grid().decision(2).badge, Badge::ProviderSpam);
        QCOMPARE(f.grid().decision(1).badge, Badge::None);
        QVERIFY(!rowMarksOf(f.screener.messages.messageTable, 4).trusted);  // whitelisted, but forged

        // The badge is painted in its colour at the left of the number cell.
        f.form.show();
        f.screener.view().showPage(Control::TabSheet3);
        QCoreApplication::processEvents();
        const QRect cell = f.grid().visualRect(f.grid().model()->index(3, 0));
        const QImage painted = f.grid().viewport()->grab().toImage();
        QCOMPARE(painted.pixelColor(0, cell.top() + 3), QColor(128, 0, 128));

        f.form.messagesPage->showDetails(4);
        QCOMPARE(f.form.messagesPage->Label52->text(), QStringLiteral("FG: Forged sender"));
        QCOMPARE(f.form.messagesPage->Memo2->toPlainText().section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Authentication-Results from mx.example.net: dmarc=fail"));

        // "Select known bad" takes both verdict rows beside the known-bad one.
        f.form.messagesPage->selectKnownBad();
        for (const int row : {2, 3, 4})
            QVERIFY(f.grid().decision(row).highlighted);
        QVERIFY(!f.grid().decision(5).highlighted);
        QCOMPARE(f.screener.countKnownBad(), 3);
    }

    void detailsPaneVirusHint()
    {
        Fixture f;
        f.screener.messages.rows.at(1).headerLines.push_back("X-Virus-Scanned: clean");
        f.screener.messages.rows.at(1).headerLines.push_back("Content-Type: multipart/mixed");
        f.form.messagesPage->showDetails(2);
        QVERIFY(f.form.messagesPage->Memo2->toPlainText().startsWith(
            QStringLiteral("Your provider might have detected a virus in this mail !")));
        QCOMPARE(f.form.messagesPage->Memo2->palette().color(QPalette::Base), QColor(255, 128, 0));
        QVERIFY(!f.form.messagesPage->StaticText1->isHidden());
        f.form.messagesPage->showDetails(1);
        QCOMPARE(f.form.messagesPage->Memo2->palette().color(QPalette::Base), QColor(255, 251, 240));
    }
};

QTEST_MAIN(GridSelectionTest)
#include "grid_selection_test.moc"

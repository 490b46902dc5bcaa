// The whitelist on the real window: the grid menu's two items and their enabling rules, the
// message page's buttons, and the whitelist page's list, counters and file buttons, with the
// profile's whitelist file in a temporary data folder.
#include "screening/pending_command.h"
#include "screening/tray_control.h"
#include "ui/form1.h"
#include "ui/wrap_grid.h"
#include "pages_fixture.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace kestrix;
using kestrix::test::fileBytes;
using kestrix::test::PagesFixture;

namespace {

const std::string kAnn = "Ann <ann@example.org>";
const std::string kMallory = "mallory@bad.example";
const std::string kBob = "Bob <bob@example.org>";

QStringList listRows(const QListView *view)
{
    QStringList rows;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        rows << view->model()->index(r, 0).data().toString();
    return rows;
}

// A right-button press on a table row, as the user makes it.
void rightClickRow(TForm1 &form, int row)
{
    TWrapGrid *grid = form.messagesPage->stringgrid1;
    const QRect cell = grid->visualRect(grid->model()->index(row - 1, 1));
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, cell.center());
    QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, cell.center());
}

void selectListRows(QListView *view, std::initializer_list<int> rows)
{
    view->selectionModel()->clear();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0), QItemSelectionModel::Select);
}

}  // namespace

class WhitelistPageTest : public QObject {
    Q_OBJECT

private slots:
    // Rows: 1 Ann (trusted), 2 mallory (known bad sender), 3 Bob (unknown).
    void gridMenuAddsAndRemovesTheSender()
    {
        PagesFixture f;
        f.screener.profile.blacklist.assign({});
        f.screener.profile.whitelist.add(kAnn);
        f.screener.profile.rejectedLog.appendRejected(kMallory, "cheap offer");
        f.screener.profile.rejectedLog.appendRejected("carol@example.org", "minutes");
        f.fillTable({kAnn, kMallory, kBob});
        f.form.show();
        f.screener.view().showPage(Control::TabSheet3);
        QVERIFY(!f.form.messagesPage->button7->isEnabled());

        rightClickRow(f.form, 2);
        QCOMPARE(f.form.messagesPage->stringgrid1->currentRow(), 2);
        QVERIFY(f.form.messagesPage->AddToWhitelist1->isEnabled());
        QVERIFY(f.form.messagesPage->AddToWhitelist1->isVisible());
        QVERIFY(!f.form.messagesPage->RemoveFromWhitelist1->isEnabled());
        QVERIFY(!f.form.messagesPage->RemoveFromWhitelist1->isVisible());
        f.form.messagesPage->PopupMenu2->hide();

        // The menu item runs the command even though the button itself is off.
        // Shown again by the tray's "&Get Messages": it would hide after the check.
        f.form.hide();
        f.form.trayControl()->getMessagesItem();
        QVERIFY(f.form.hideAfterCheck());
        f.form.messagesPage->stringgrid1->selectRows(2, 2, 2);
        f.form.messagesPage->AddToWhitelist1->trigger();
        QVERIFY(!f.form.hideAfterCheck());
        QVERIFY(f.screener.profile.whitelist.contains(kMallory));
        QCOMPARE(f.screener.dispatcher.pendingCommand, cmdReclassify);
        QCOMPARE(f.form.topBar->Button1->text(), QStringLiteral("Get Mail Headers: New"));
        QVERIFY(!f.form.messagesPage->button7->isEnabled());
        QVERIFY(f.form.messagesPage->SpeedButton31->isEnabled());
        // Written at once, in list order, and the sender no longer counts as known bad.
        QCOMPARE(fileBytes(f.files.whitelist),
                 QByteArray("Ann <ann@example.org>\r\nmallory@bad.example\r\n"));
        QVERIFY(!f.screener.profile.rejectedLog.isKnownBadSender(kMallory));
        QVERIFY(f.screener.profile.rejectedLog.isKnownBadSender("carol@example.org"));
        QCOMPARE(listRows(f.form.whitelistPage->ListBox4),
                 QStringList({QString::fromLatin1(kAnn.c_str()), QStringLiteral("mallory@bad.example")}));

        // The dispatcher's reclassify marks the row trusted; the menu now offers removal.
        f.screener.reclassify();
        QVERIFY(f.screener.messages.messageTable.isTrusted(2));
        rightClickRow(f.form, 2);
        QVERIFY(f.form.messagesPage->RemoveFromWhitelist1->isEnabled());
        QVERIFY(f.form.messagesPage->RemoveFromWhitelist1->isVisible());
        QVERIFY(!f.form.messagesPage->AddToWhitelist1->isVisible());
        f.form.messagesPage->PopupMenu2->hide();

        // An unknown row offers adding again.
        rightClickRow(f.form, 3);
        QVERIFY(f.form.messagesPage->AddToWhitelist1->isEnabled());
        QVERIFY(!f.form.messagesPage->RemoveFromWhitelist1->isEnabled());
        f.form.messagesPage->PopupMenu2->hide();

        rightClickRow(f.form, 2);
        f.form.messagesPage->PopupMenu2->hide();
        f.form.messagesPage->stringgrid1->selectRows(1, 2, 2);
        f.form.messagesPage->RemoveFromWhitelist1->trigger();
        QCOMPARE(f.form.statusArea->statustext->text(), QStringLiteral("2 Addresses removed from whitelist"));
        QVERIFY(f.screener.profile.whitelist.empty());
        QVERIFY(!f.screener.messages.messageTable.isTrusted(1));
        QCOMPARE(f.form.whitelistPage->ListBox4->model()->rowCount(), 0);
        // Removal leaves the file to the next profile save.
        QCOMPARE(fileBytes(f.files.whitelist),
                 QByteArray("Ann <ann@example.org>\r\nmallory@bad.example\r\n"));
    }

    void removeButtonTakesASenderOnceAndFollowsAddToWhitelist()
    {
        PagesFixture f;
        f.screener.profile.blacklist.assign({});
        f.screener.profile.whitelist.add(kAnn);
        f.fillTable({kAnn, kAnn, kBob});
        f.form.show();
        f.screener.view().showPage(Control::TabSheet3);

        // "Remove from whitelist" follows "Add to whitelist" (or a table of trusted rows only).
        f.form.refreshTick();
        QVERIFY(!f.form.messagesPage->SpeedButton31->isEnabled());
        f.form.messagesPage->stringgrid1->selectRows(1, 2, 1);
        f.form.refreshTick();
        f.form.messagesPage->SpeedButton33->click();  // next unknown sender: row 3, "Add to whitelist" on
        QVERIFY(f.form.messagesPage->button7->isEnabled());
        f.form.refreshTick();
        QVERIFY(f.form.messagesPage->SpeedButton31->isEnabled());

        f.form.messagesPage->stringgrid1->selectRows(1, 2, 1);
        f.form.messagesPage->SpeedButton31->click();
        QCOMPARE(f.form.statusArea->statustext->text(), QStringLiteral("1 Addresses removed from whitelist"));
        QVERIFY(f.screener.profile.whitelist.empty());
    }

    void addInKnownBadModeTakesEveryKnownBadRow()
    {
        PagesFixture f;
        f.screener.profile.blacklist.assign({"casino"});
        f.screener.profile.rejectedLog.appendRejected(kMallory, "zzz");
        f.fillTable({kBob, kMallory, "win@casino.example", kAnn});
        f.form.show();
        f.screener.view().showPage(Control::TabSheet3);
        f.form.messagesPage->stringgrid1->selectRows(1, 1, 1);
        f.form.messagesPage->SpeedButton27->setEnabled(true);
        f.form.messagesPage->SpeedButton27->click();
        QVERIFY(f.form.messagesPage->button7->isEnabled());
        f.form.messagesPage->button7->click();
        QCOMPARE(f.screener.profile.whitelist.entries(),
                 std::vector<std::string>({kMallory, "win@casino.example"}));
    }

    void whitelistPageListsCountsAndFiles()
    {
        PagesFixture f;
        for (const char *entry : {"zed@example.org", "Ann@example.org", "bob@example.org"})
            f.screener.profile.whitelist.add(entry);
        f.form.show();
        f.screener.view().showPage(Control::TabSheet4);
        QCOMPARE(f.form.whitelistPage->Label13->text(), QStringLiteral("3 trusted addresses"));
        QCOMPARE(f.form.whitelistPage->Label25->text(), QStringLiteral("3 trusted addresses"));
        QCOMPARE(f.form.whitelistPage->Label10->text(), QStringLiteral("default.acc"));
        QCOMPARE(listRows(f.form.whitelistPage->ListBox4),
                 QStringList({QStringLiteral("Ann@example.org"), QStringLiteral("bob@example.org"),
                              QStringLiteral("zed@example.org")}));
        QCOMPARE(f.form.whitelistPage->ListBox4->selectionMode(), QAbstractItemView::ExtendedSelection);

        // Delete Address: the selected entries; a list that is not empty is not written.
        selectListRows(f.form.whitelistPage->ListBox4, {0, 2});
        f.form.whitelistPage->button8->click();
        QCOMPARE(listRows(f.form.whitelistPage->ListBox4), QStringList({QStringLiteral("bob@example.org")}));
        QCOMPARE(f.form.whitelistPage->Label13->text(), QStringLiteral("1 trusted addresses"));
        QCOMPARE(f.form.whitelistPage->Label25->text(), QStringLiteral("1 trusted addresses"));
        QCOMPARE(f.form.activePage(), f.form.whitelistPage);
        QCOMPARE(fileBytes(f.files.whitelist), QByteArray("<missing>"));

        f.form.whitelistPage->button4->click();
        QCOMPARE(fileBytes(f.files.whitelist), QByteArray("bob@example.org\r\n"));

        // Load takes the lines as they stand, quotes and all.
        QVERIFY(kestrix::test::writeBytes(f.files.whitelist,
                                          "one@example.org\r\n\"Q\" <q@example.org>\r\n"));
        f.form.whitelistPage->button9->click();
        QCOMPARE(listRows(f.form.whitelistPage->ListBox4),
                 QStringList({QStringLiteral("\"Q\" <q@example.org>"),
                              QStringLiteral("one@example.org")}));
        QCOMPARE(f.form.whitelistPage->Label13->text(), QStringLiteral("2 trusted addresses"));

        // Deleting the last entries asks whether to save the empty list.
        selectListRows(f.form.whitelistPage->ListBox4, {0, 1});
        f.prompter.expectYesNo(Prompter::Kind::Confirmation,
                               "Save empty list of trusted addresses ?", true);
        f.form.whitelistPage->button8->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QCOMPARE(fileBytes(f.files.whitelist), QByteArray(""));
        QCOMPARE(f.form.whitelistPage->Label13->text(), QStringLiteral("0 trusted addresses"));

        // An empty selection deletes nothing.
        f.screener.profile.whitelist.add("kept@example.org");
        f.form.syncListPages();
        f.form.whitelistPage->ListBox4->selectionModel()->clear();
        f.form.whitelistPage->button8->click();
        QCOMPARE(f.screener.profile.whitelist.size(), size_t(1));

        // A missing file cannot be loaded: the error is shown and the list stays.
        QVERIFY(QFile::remove(f.files.whitelist));
        f.prompter.expectMessage(Prompter::Kind::Error, "");
        f.form.whitelistPage->button9->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QVERIFY(f.prompter.asked.back() != "message: ");
        QCOMPARE(listRows(f.form.whitelistPage->ListBox4), QStringList({QStringLiteral("kept@example.org")}));
    }

    void pageControlChangeShowsTheAcceptedCount()
    {
        PagesFixture f;
        f.screener.profile.whitelist.add("a@example.org");
        f.screener.profile.whitelist.add("b@example.org");
        f.screener.view().showPage(Control::TabSheet3);
        f.form.stepPage(+1);
        QCOMPARE(f.form.activePage(), f.form.whitelistPage);
        QCOMPARE(f.form.whitelistPage->Label25->text(), QStringLiteral("2 accepted E-MAIL Addresses"));
        QCOMPARE(f.form.whitelistPage->Label13->text(), QStringLiteral("2 trusted addresses"));
        // The page buttons show the plain count.
        f.screener.view().showPage(Control::TabSheet4);
        QCOMPARE(f.form.whitelistPage->Label25->text(), QStringLiteral("2 trusted addresses"));
    }

    void listFollowsChangesMadeBehindThePage()
    {
        PagesFixture f;
        f.form.show();
        f.screener.view().showPage(Control::TabSheet4);
        f.screener.profile.whitelist.add("late@example.org");
        QCOMPARE(f.form.whitelistPage->ListBox4->model()->rowCount(), 0);
        f.form.refreshTick();
        QCOMPARE(listRows(f.form.whitelistPage->ListBox4), QStringList({QStringLiteral("late@example.org")}));
        // An unchanged list keeps the user's selection through the tick.
        selectListRows(f.form.whitelistPage->ListBox4, {0});
        f.form.refreshTick();
        QCOMPARE(f.form.whitelistPage->selection(), std::vector<int>({0}));
    }
};

QTEST_MAIN(WhitelistPageTest)
#include "whitelist_page_test.moc"

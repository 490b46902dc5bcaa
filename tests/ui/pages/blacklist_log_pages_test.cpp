// The blacklist page (words added with Enter, the current entry deleted, the walk over the log
// filling the edit field) and the log page (Clear, Delete Line, the count, the column fitting),
// the deleted-mail count reset and the LogRejected switch, on the real window.
#include "screening/list_commands.h"
#include "ui/control_glossary.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "pages_fixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace kestrix;
using kestrix::test::fileBytes;
using kestrix::test::PagesFixture;

namespace {

QStringList listRows(const QAbstractItemView *view)
{
    QStringList rows;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        rows << view->model()->index(r, 0).data().toString();
    return rows;
}

void fillAccount(TForm1 &form)
{
    form.configPage->Edit1->setText(QStringLiteral("pop.example.org"));
    form.configPage->Edit2->setText(QStringLiteral("110"));
    form.configPage->Edit3->setText(QStringLiteral("joe"));
    form.refreshTick();
}

void fillLog(Screener &screener)
{
    screener.profile.rejectedLog.appendRejected("a@spam.example", "first offer");
    screener.profile.rejectedLog.appendRejected("b@spam.example", "second offer");
    screener.profile.rejectedLog.appendRejected("c@spam.example", "third offer");
}

}  // namespace

class BlacklistLogPagesTest : public QObject {
    Q_OBJECT

private slots:
    void blacklistButtonOpensThePageWithAnEmptyField()
    {
        PagesFixture f;
        fillAccount(f.form);
        f.form.blacklistPage->Edit7->setText(QStringLiteral("left over"));
        QVERIFY(!f.form.blacklistPage->SpeedButton25->isEnabled());
        QVERIFY(!f.form.blacklistPage->SpeedButton26->isEnabled());
        f.form.topBar->SpeedButton7->click();
        QCOMPARE(f.form.activePage(), f.form.blacklistPage);
        QVERIFY(f.form.blacklistPage->Edit7->text().isEmpty());
        QVERIFY(f.form.blacklistPage->SpeedButton25->isEnabled());
        QVERIFY(f.form.blacklistPage->SpeedButton26->isEnabled());
        QCOMPARE(f.form.blacklistPage->Label49->text(), QString::fromLatin1(kBlacklistExplanation));
        // With no log entries the walk finds nothing to copy, not even the headings.
        f.form.blacklistPage->Edit7->setText(QStringLiteral("kept"));
        f.form.blacklistPage->SpeedButton26->click();
        f.form.blacklistPage->SpeedButton25->click();
        QCOMPARE(f.form.blacklistPage->Edit7->text(), QStringLiteral("kept"));
        // The built-in words, in four columns.
        f.form.show();
        QCOMPARE(f.form.blacklistPage->ListBox7->model()->rowCount(), 68);
        QCOMPARE(f.form.blacklistPage->ListBox7->selectionMode(), QAbstractItemView::ExtendedSelection);
        QTRY_VERIFY(f.form.blacklistPage->ListBox7->viewport()->width() > 100);
        const int columnWidth = f.form.blacklistPage->ListBox7->viewport()->width() / 4;
        const QRect first = f.form.blacklistPage->ListBox7->visualRect(f.form.blacklistPage->ListBox7->model()->index(0, 0));
        QCOMPARE(first.width(), columnWidth);
        QSet<int> columns;
        for (int r = 0; r < 68; ++r)
            columns.insert(f.form.blacklistPage->ListBox7->visualRect(f.form.blacklistPage->ListBox7->model()->index(r, 0)).x());
        QVERIFY(columns.size() >= 2);
    }

    void wordsAddedWithEnterAndTheCurrentOneDeleted()
    {
        PagesFixture f;
        f.screener.profile.blacklist.assign({"alpha", "gamma"});
        f.form.show();
        f.screener.view().showPage(Control::TabSheet7);
        QTest::keyClicks(f.form.blacklistPage->Edit7, QStringLiteral("Free Money"));
        QTest::keyClick(f.form.blacklistPage->Edit7, Qt::Key_Return);
        QCOMPARE(listRows(f.form.blacklistPage->ListBox7),
                 QStringList({QStringLiteral("alpha"), QStringLiteral("free money"),
                              QStringLiteral("gamma")}));
        QCOMPARE(f.form.blacklistPage->ListBox7->currentIndex().row(), 1);
        QCOMPARE(f.form.blacklistPage->Edit7->text(), QStringLiteral("Free Money"));
        // Nothing is checked: the same text again is a second entry.
        f.form.blacklistPage->SpeedButton10->click();
        QCOMPARE(f.screener.profile.blacklist.words(),
                 std::vector<std::string>({"alpha", "free money", "free money", "gamma"}));

        // Only the current entry goes, however many are selected.
        QItemSelectionModel *selection = f.form.blacklistPage->ListBox7->selectionModel();
        selection->select(QItemSelection(f.form.blacklistPage->ListBox7->model()->index(0, 0),
                                         f.form.blacklistPage->ListBox7->model()->index(3, 0)),
                          QItemSelectionModel::Select);
        selection->setCurrentIndex(f.form.blacklistPage->ListBox7->model()->index(3, 0),
                                   QItemSelectionModel::NoUpdate);
        f.form.blacklistPage->SpeedButton9->click();
        QCOMPARE(f.screener.profile.blacklist.words(),
                 std::vector<std::string>({"alpha", "free money", "free money"}));
        // No current entry: nothing to delete.
        QVERIFY(!f.form.blacklistPage->ListBox7->currentIndex().isValid());
        f.form.blacklistPage->SpeedButton9->click();
        QCOMPARE(f.screener.profile.blacklist.size(), size_t(3));

        f.form.blacklistPage->SpeedButton28->click();
        QVERIFY(f.form.blacklistPage->Edit7->text().isEmpty());

        // A word in any script is kept as typed (UTF-8); a Latin-1 word keeps its one byte per
        // letter, as the list file always held it.
        f.screener.profile.blacklist.assign({});
        for (const QString &typed : {QStringLiteral("скидки"), QStringLiteral("Schöne")}) {
            f.form.blacklistPage->Edit7->setText(typed);
            QTest::keyClick(f.form.blacklistPage->Edit7, Qt::Key_Return);
        }
        QCOMPARE(f.screener.profile.blacklist.words(),
                 std::vector<std::string>({"sch\xF6ne", "\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB4\xD0\xBA\xD0\xB8"}));
        QCOMPARE(listRows(f.form.blacklistPage->ListBox7),
                 QStringList({QStringLiteral("schöne"), QStringLiteral("скидки")}));
    }

    void arrowsWalkTheLogIntoTheEditField()
    {
        PagesFixture f;
        fillLog(f.screener);
        fillAccount(f.form);
        f.form.show();
        f.form.topBar->SpeedButton7->click();
        f.form.syncListPages();
        f.form.logPage->setLogCurrentRow(2);
        f.form.blacklistPage->SpeedButton26->click();
        QCOMPARE(f.form.logPage->logCurrentRow(), 3);
        QCOMPARE(f.form.blacklistPage->Edit7->text(), QStringLiteral("c@spam.example third offer"));
        f.form.blacklistPage->SpeedButton26->click();
        QCOMPARE(f.form.logPage->logCurrentRow(), 1);
        QCOMPARE(f.form.blacklistPage->Edit7->text(), QStringLiteral("a@spam.example first offer"));
        f.form.blacklistPage->SpeedButton25->click();
        QCOMPARE(f.form.logPage->logCurrentRow(), 3);
        f.form.blacklistPage->SpeedButton25->click();
        QCOMPARE(f.form.logPage->logCurrentRow(), 2);
        QCOMPARE(f.form.blacklistPage->Edit7->text(), QStringLiteral("b@spam.example second offer"));
        // The walked text can be cut down and added as a word.
        f.form.blacklistPage->Edit7->setText(QStringLiteral("Second Offer"));
        f.form.blacklistPage->SpeedButton10->click();
        QVERIFY(std::count(f.screener.profile.blacklist.words().begin(),
                           f.screener.profile.blacklist.words().end(), "second offer") == 1);
    }

    void logPageDeleteLineAndClear()
    {
        PagesFixture f;
        fillLog(f.screener);
        QVERIFY(kestrix::test::writeBytes(f.files.log, "a@spam.example\tfirst offer\r\n"));
        f.form.show();
        f.screener.view().showPage(Control::TabSheet6);
        QCOMPARE(f.form.logPage->Panel13->text(), QStringLiteral("3 logged SPAM MAIL addresses"));
        QCOMPARE(f.form.logPage->StringGrid2->model()->rowCount(), 3);
        QCOMPARE(f.form.logPage->StringGrid2->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Sender"));
        QCOMPARE(f.form.logPage->StringGrid2->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Subject"));

        f.form.logPage->setLogCurrentRow(2);
        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really delete current line ?", false);
        f.form.logPage->SpeedButton29->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QCOMPARE(f.form.logPage->StringGrid2->model()->index(1, 0).data().toString(),
                 QStringLiteral("b@spam.example"));

        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really delete current line ?", true);
        f.form.logPage->SpeedButton29->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QVERIFY(f.form.logPage->StringGrid2->model()->index(1, 0).data().toString().isEmpty());
        QVERIFY(f.form.logPage->StringGrid2->model()->index(1, 1).data().toString().isEmpty());
        QCOMPARE(f.form.logPage->logCurrentRow(), 2);
        QVERIFY(!f.screener.profile.rejectedLog.isKnownBadSender("b@spam.example"));
        // The emptied entry still counts until the log is written and read again.
        f.screener.view().showPage(Control::TabSheet6);
        QCOMPARE(f.form.logPage->Panel13->text(), QStringLiteral("3 logged SPAM MAIL addresses"));

        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really erase log file ?", false);
        f.form.logPage->SpeedButton8->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QCOMPARE(fileBytes(f.files.log), QByteArray("a@spam.example\tfirst offer\r\n"));
        QCOMPARE(f.form.logPage->StringGrid2->model()->rowCount(), 3);

        // Clearing writes the empty file even with the log switched off.
        f.form.configPage->CheckBox4->setChecked(false);
        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really erase log file ?", true);
        f.form.logPage->SpeedButton8->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QCOMPARE(fileBytes(f.files.log), QByteArray(""));
        QCOMPARE(f.form.logPage->StringGrid2->model()->rowCount(), 0);
        QCOMPARE(f.screener.profile.rejectedLog.rowCount(), 1);

        // With no entry current the question is asked and nothing changes.
        fillLog(f.screener);
        f.form.syncListPages();
        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Really delete current line ?", true);
        f.form.logPage->SpeedButton29->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QVERIFY(f.screener.profile.rejectedLog.isKnownBadSender("a@spam.example"));
    }

    void logGridFollowsTheLogAndItsWidth()
    {
        PagesFixture f;
        f.form.show();
        f.screener.view().showPage(Control::TabSheet6);
        QHeaderView *header = f.form.logPage->StringGrid2->horizontalHeader();
        // Deletions append behind the page; the refresh tick shows them.
        f.screener.profile.rejectedLog.appendRejected("Late@Spam.example", "Hello");
        f.form.refreshTick();
        QCOMPARE(f.form.logPage->StringGrid2->model()->index(0, 0).data().toString(),
                 QStringLiteral("late@spam.example"));

        f.form.resize(700, 500);
        QTRY_VERIFY(f.form.logPage->StringGrid2->width() > 0);
        f.form.refreshTick();
        int width = f.form.logPage->StringGrid2->width();
        LogColumnWidths expected = fitLogColumns(width, kLogSenderColumnStart);
        QCOMPARE(header->sectionSize(0), expected.sender);
        QCOMPARE(header->sectionSize(1), expected.subject);

        // Narrower than the sender column: it gives way.
        f.form.logPage->StringGrid2->setMinimumWidth(0);
        f.form.logPage->StringGrid2->setMaximumWidth(250);
        QTRY_COMPARE(f.form.logPage->StringGrid2->width(), 250);
        f.form.refreshTick();
        QCOMPARE(header->sectionSize(0), 250 - 38);
        QCOMPARE(header->sectionSize(1), 250 - (250 - 38) - 27);

        // The messages grid's row height is the log grid's too.
        f.form.messagesPage->SpinEdit3->setValue(31);
        QCOMPARE(f.form.logPage->StringGrid2->verticalHeader()->defaultSectionSize(), 31);
    }

    void logRejectedSwitchShowsAndHidesTheLogPage()
    {
        PagesFixture f;
        fillAccount(f.form);
        f.form.show();
        QVERIFY(f.form.configPage->CheckBox4->isChecked());
        QVERIFY(f.form.topBar->SpeedButton19->isVisible());
        f.form.topBar->SpeedButton19->click();
        QCOMPARE(f.form.activePage(), f.form.logPage);

        f.form.configPage->CheckBox4->click();
        QVERIFY(!f.form.topBar->SpeedButton19->isVisible());
        QVERIFY(f.form.activePage() != f.form.logPage);
        // The page control's own page keys pass over it too.
        f.screener.view().showPage(Control::TabSheet5);
        f.form.stepPage(+1);
        QCOMPARE(f.form.activePage(), f.form.blacklistPage);
        f.form.stepPage(-1);
        QCOMPARE(f.form.activePage(), f.form.configPage);

        f.form.configPage->CheckBox4->click();
        QVERIFY(f.form.topBar->SpeedButton19->isVisible());
        f.form.stepPage(+1);
        QCOMPARE(f.form.activePage(), f.form.logPage);

        // A profile load sets the switch, and with it the page.
        ProfileSettings settings;
        settings.LogRejected = false;
        f.form.showSettings(settings);
        QVERIFY(!f.form.topBar->SpeedButton19->isVisible());
    }

    void deletedCountResetAsksFirst()
    {
        PagesFixture f;
        f.screener.profile.settings.DeletedCount = 7;
        f.form.show();
        f.screener.view().showPage(Control::TabSheet1);
        QCOMPARE(f.form.startPage->Label21->text(), QStringLiteral("7"));

        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Reset SPAM count?", false);
        f.form.configPage->button16->click();
        QCOMPARE(f.prompter.pending(), size_t(0));
        QCOMPARE(f.screener.profile.settings.DeletedCount, 7);

        f.prompter.expectYesNo(Prompter::Kind::Confirmation, "Reset SPAM count?", true);
        QTest::mouseClick(f.form.startPage->Label21, Qt::LeftButton);
        QCOMPARE(f.prompter.pending(), size_t(0));
        QCOMPARE(f.screener.profile.settings.DeletedCount, 0);
        QCOMPARE(f.form.startPage->Label21->text(), QStringLiteral("0"));
    }

    // With KESTRIX_GRAB_DIR set, saves pictures of the three list pages (for looking, not
    // testing).
    void grabPages()
    {
        const QString dir = qEnvironmentVariable("KESTRIX_GRAB_DIR");
        if (dir.isEmpty())
            QSKIP("KESTRIX_GRAB_DIR not set");
        PagesFixture f;
        fillLog(f.screener);
        for (const char *entry : {"Ann <ann@example.org>", "bob@example.org", "carol@example.org"})
            f.screener.profile.whitelist.add(entry);
        f.form.show();
        for (Control page : {Control::TabSheet4, Control::TabSheet6, Control::TabSheet7}) {
            f.screener.view().showPage(page);
            f.form.refreshTick();
            QCoreApplication::processEvents();
            QVERIFY(f.form.grab().save(dir + QLatin1Char('/') + QLatin1String(controlName(page)) +
                                       QStringLiteral(".png")));
        }
    }
};

QTEST_MAIN(BlacklistLogPagesTest)
#include "blacklist_log_pages_test.moc"

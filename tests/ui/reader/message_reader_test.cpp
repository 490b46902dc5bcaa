// The message reader TForm4: filled from a message's fields, the attachment scan with its
// warning, "Delete" answered Yes and No, F5; and command 7 from the "&M" button in the
// diagnostic mode, reading a message from a throw-away Dovecot into the reader.
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/mime_messages.h"
#include "support/window_fixture.h"
#include "ui/form1.h"
#include "ui/form4_message_reader.h"
#include "ui/messages_page.h"
#include "ui/status_bar.h"
#include "ui/top_bar.h"
#include "ui/config_page.h"
#include "ui/wrap_grid.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <tuple>
#include <utility>
#include <vector>

using namespace kestrix;

namespace {

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

QColor background(const QLabel *label)
{
    return label->palette().color(QPalette::Window);
}

// Starts the window on the server's account and downloads its headers.
void downloadAll(test::WindowFixture &window, const test::DovecotServer &dovecot)
{
    window.signIn(dovecot);
    window.checkMail();
    QVERIFY(window.screener().messages.hasMessages());
}

bool idle(Screener &screener) { return screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching(); }

}  // namespace

class MessageReaderTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(folder.isValid());
        for (const QString &name : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(folder.filePath(name));
        reader = std::make_unique<TForm4>();
        beeps = 0;
        reader->beep = [this] { ++beeps; };
        reader->showFolder(folder.path());
    }
    void cleanup() { reader.reset(); }

    void layoutAndTitle()
    {
        QCOMPARE(reader->windowTitle(), QStringLiteral("Message Reader"));
        QCOMPARE(reader->size(), QSize(497, 430));
        QCOMPARE(reader->pos(), QPoint(196, 127));
        QCOMPARE(reader->Panel1->height(), 70);
        QVERIFY(reader->Memo1->isReadOnly());
        QVERIFY(!reader->isModal());
    }

    // The scan: the names the split stored the parts under, joined; maroon and three beeps for a
    // type that can run code; green and hidden otherwise. A body line that only reads like a
    // stored part names nothing.
    void attachmentScan_data()
    {
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<QStringList>("attachments");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("dangerous");
        const QString file = QStringLiteral("\r\nFile \"%1\" extracted");
        const auto stored = [&file](const QStringList &names) {
            QStringList lines;
            for (const QString &name : names)
                lines << file.arg(name);
            return lines;
        };
        const QStringList pdfAndExe{QStringLiteral("report.pdf"), QStringLiteral("run.exe")};
        QTest::newRow("pdf and exe") << QStringList{QStringLiteral("Hello")} + stored(pdfAndExe) << pdfAndExe
                                     << QStringLiteral("report.pdf, run.exe") << true;
        for (const auto &[row, name, dangerous] :
             {std::tuple{"exe inside the name", "notes.exe.txt", true}, {"linux script", "Setup.SH", true},
              {"desktop entry", "open.desktop", true}, {"harmless", "photo.jpg", false}}) {
            const QStringList names{QString::fromLatin1(name)};
            QTest::newRow(row) << stored(names) << names << QString::fromLatin1(name) << dangerous;
        }
        QTest::newRow("not an extraction line")
            << QStringList{QStringLiteral("File \"run.exe\" was not attached")} << QStringList() << QString() << false;
        QTest::newRow("a sender's line that reads like a stored part")
            << QStringList{QStringLiteral("Hello"), QStringLiteral("File \"run.exe\" extracted")} << QStringList()
            << QString() << false;
        QTest::newRow("no parts") << QStringList{QStringLiteral("Just text")} << QStringList() << QString() << false;
    }
    void attachmentScan()
    {
        QFETCH(QStringList, body);
        QFETCH(QStringList, attachments);
        QFETCH(QString, names);
        QFETCH(bool, dangerous);
        touch(folder.filePath(QStringLiteral("old.txt")));  // a file of an earlier message
        std::vector<std::string> lines;
        for (const QString &line : body)
            lines.push_back(line.toStdString());
        std::vector<std::string> parts;
        for (const QString &name : attachments)
            parts.push_back(name.toStdString());
        reader->fill("Ann <ann@example.org>", " Report", lines, {}, parts);
        reader->showReader();
        QCOMPARE(reader->Label4->text(), QStringLiteral("Ann <ann@example.org>"));
        QCOMPARE(reader->Label5->text(), QStringLiteral(" Report"));
        QCOMPARE(reader->Label6->text(), names);
        QCOMPARE(reader->Label6->isVisible(), !names.isEmpty());
        QCOMPARE(background(reader->Label6), dangerous ? QColor(128, 0, 0) : QColor(0, 128, 0));
        QCOMPARE(beeps, dangerous ? 3 : 0);
        QCOMPARE(listed(reader->FileListBox1), QStringList{QStringLiteral("old.txt")});
    }

    void headerTextsAsPeopleReadThem()
    {
        // Encoded words and raw UTF-8 decoded; a folded header's line break shown as a blank.
        reader->fill("=?utf-8?B?SsO2cmc=?= <joerg@example.de>",
                     "=?iso-8859-1?Q?Gr=FC=DFe?= aus\r\n M\xC3\xBCnchen", {"Hi"});
        QCOMPARE(reader->Label4->text(), QStringLiteral("Jörg <joerg@example.de>"));
        QCOMPARE(reader->Label5->text(), QStringLiteral("Grüße aus   München"));
    }

    void textDecodedByItsCharset()
    {
        // The same words as UTF-8 and as Latin-1 bytes; a stored part's line stays as it is.
        reader->fill("a@b", "T", {"sch\xC3\xB6ne Gr\xC3\xBC\xC3\x9F""e", "\r\nFile \"a.pdf\" extracted"});
        QCOMPARE(reader->Memo1->toPlainText(), QStringLiteral("schöne Grüße\n\nFile \"a.pdf\" extracted"));
        reader->fill("a@b", "T", {"sch\xF6ne Gr\xFC\xDF""e"});
        QCOMPARE(reader->Memo1->toPlainText(), QStringLiteral("schöne Grüße"));
        reader->fill("a@b", "T", {"\xF0\xD2\xC9\xD7\xC5\xD4"}, "KOI8-R");
        QCOMPARE(reader->Memo1->toPlainText(), QStringLiteral("Привет"));
    }

    void deleteAskedYesAndNo()
    {
        for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
            touch(folder.filePath(QString::fromLatin1(name)));
        reader->refreshFileList();
        test::ModalScript dialogs;
        const QString question = QStringLiteral("Really delete selected 2 messages ?");
        reader->FileListBox1->item(0)->setSelected(true);
        reader->FileListBox1->item(2)->setSelected(true);

        dialogs.expectBox(question, QMessageBox::No);
        QTest::mouseClick(reader->Button1, Qt::LeftButton);  // No: nothing goes
        QCOMPARE(listed(reader->FileListBox1), (QStringList{QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf")}));

        reader->FileListBox1->item(0)->setSelected(true);
        reader->FileListBox1->item(2)->setSelected(true);
        QFile::remove(folder.filePath(QStringLiteral("c.pdf")));  // vanished meanwhile: skipped
        dialogs.expectBox(question, QMessageBox::Yes);
        QTest::mouseClick(reader->Button1, Qt::LeftButton);
        QVERIFY(dialogs.allShown());
        QCOMPARE(listed(reader->FileListBox1), QStringList{QStringLiteral("b.pdf")});
    }

    void f5RefreshesTheList()
    {
        QVERIFY(listed(reader->FileListBox1).isEmpty());
        touch(folder.filePath(QStringLiteral("new.txt")));
        QTest::keyClick(reader->FileListBox1, Qt::Key_F5);
        QCOMPARE(listed(reader->FileListBox1), QStringList{QStringLiteral("new.txt")});
    }

    // Command 7 end to end: the "&M" button of the diagnostic mode reads the selected row's
    // message into the reader; the message stays on the server.
    void readButtonFillsTheReader()
    {
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        test::DovecotServer::Options account;
        account.user = "vellick";  // the diagnostic mode shows the "&M" button
        account.password = "Qz7-pass-4711";
        test::DovecotServer dovecot(
            {test::multipartMessage("Report", {test::textPart("See the files.\r\n"),
                                               test::base64Part("report.pdf", "%PDF"),
                                               test::base64Part("run.exe", "MZ")})},
            account);
        test::WindowFixture window;
        TForm1 &form = window.form;
        Screener &screener = window.screener();
        TForm4 &formReader = window.controller.form4();
        int windowBeeps = 0;
        formReader.beep = [&] { ++windowBeeps; };
        downloadAll(window, dovecot);

        form.messagesPage->stringgrid1->selectRows(1, 1, 1);
        QTRY_VERIFY(form.messagesPage->SpeedButton24->isVisible() && form.messagesPage->SpeedButton24->isEnabled());
        QTest::mouseClick(form.messagesPage->SpeedButton24, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(formReader.isVisible() && screener.dispatcher.pendingCommand == cmdIdle
                                     && !screener.dispatcher.dispatching(), 20000);
        QCOMPARE(formReader.Label5->text(), QStringLiteral(" Report"));
        QVERIFY(formReader.Memo1->toPlainText().startsWith(QStringLiteral("See the files.")));
        QCOMPARE(formReader.Label6->text(), QStringLiteral("report.pdf, run.exe"));
        QCOMPARE(windowBeeps, 3);
        QCOMPARE(formReader.folder(), window.data.filePath(QStringLiteral("Attachments")));
        QVERIFY(listed(formReader.FileListBox1).contains(QStringLiteral("report.pdf")));
        QVERIFY(!screener.session.isOpen());
        QCOMPARE(dovecot.messages().size(), std::size_t(1));
        form.ProgramExit();
    }

    // Reading is an everyday command: a double-click or Enter on a row, the row menu's "Read
    // message" and the button beside "Delete" read that row's message. The server is asked
    // first whether the number still names the row's message, as before a deletion: once
    // another program changed the mailbox, nothing is shown and the status line says why.
    void everyWayToReadARow()
    {
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        test::DovecotServer dovecot({test::DovecotServer::makeMessage("A <a@example.org>", "One", "First body.\r\n"),
                                     test::DovecotServer::makeMessage("B <b@example.org>", "Two", "Second body.\r\n"),
                                     test::DovecotServer::makeMessage("C <c@example.org>", "Three", "Third body.\r\n")});
        test::WindowFixture window;
        downloadAll(window, dovecot);
        Screener &screener = window.screener();
        MessagesPage &page = *window.form.messagesPage;
        TWrapGrid &grid = *page.stringgrid1;
        TForm4 &reader = window.controller.form4();
        QVERIFY(page.SpeedButton24->isHidden());  // not the diagnostic user
        const auto rowCentre = [&](int row) { return grid.visualRect(grid.model()->index(row - 1, 1)).center(); };

        const std::vector<std::pair<const char *, std::function<void()>>> ways{
            {"double-click", [&] { QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, rowCentre(1)); }},
            {"Enter", [&] {
                 grid.selectRows(2, 3, 2);  // the current row is read, alone
                 grid.setFocus();
                 QTest::keyClick(&grid, Qt::Key_Return);
             }},
            {"menu", [&] {
                 QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, rowCentre(3));
                 page.PopupMenu2->hide();
                 page.ReadMessage1->trigger();
             }},
            {"button", [&] {
                 grid.selectRows(1, 1, 1);
                 QTRY_VERIFY(page.ButtonRead->isEnabled());
                 QTest::mouseClick(page.ButtonRead, Qt::LeftButton);
             }},
        };
        const QStringList bodies{QStringLiteral("First body."), QStringLiteral("Second body."),
                                 QStringLiteral("Third body."), QStringLiteral("First body.")};
        for (size_t i = 0; i < ways.size(); ++i) {
            const char *way = ways[i].first;
            reader.hide();
            reader.Memo1->clear();
            ways[i].second();
            QTRY_VERIFY2_WITH_TIMEOUT(reader.isVisible() && idle(screener),
                                      qPrintable(QString::fromLatin1(way) + QStringLiteral(" pending %1 status ").arg(int(screener.dispatcher.pendingCommand)) + window.form.statusArea->statustext->text()), 20000);
            QVERIFY2(reader.Memo1->toPlainText().startsWith(bodies[int(i)]),
                     qPrintable(QString::fromLatin1(way) + QStringLiteral(": ") + reader.Memo1->toPlainText()));
            // The server's last reply is shown without its line end.
            const QString status = window.form.statusArea->statustext->text();
            QVERIFY2(!status.isEmpty() && !status.contains(QLatin1Char('\r'))
                         && !status.contains(QLatin1Char('\n')), qPrintable(status));
        }
        // Selecting two rows leaves the button off: one message is read at a time.
        grid.selectRows(1, 2, 1);
        QTRY_VERIFY(!page.ButtonRead->isEnabled());

        // Another program takes message 1: row 1's number now names message "Two".
        dovecot.removeMessage(1);
        reader.hide();
        reader.Memo1->setPlainText(QStringLiteral("unchanged"));
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, rowCentre(1));
        QTRY_VERIFY_WITH_TIMEOUT(screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching()
                                     && window.form.statusArea->statustext->text().contains(
                                         QStringLiteral("no longer the message shown")), 20000);
        QVERIFY(!reader.isVisible());
        QCOMPARE(reader.Memo1->toPlainText(), QStringLiteral("unchanged"));
        QCOMPARE(dovecot.messages().size(), std::size_t(2));
        window.form.ProgramExit();
    }

private:
    QTemporaryDir folder;
    std::unique_ptr<TForm4> reader;
    int beeps = 0;
};

QTEST_MAIN(MessageReaderTest)
#include "message_reader_test.moc"

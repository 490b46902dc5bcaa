// Senders and subjects shown as people read them: the grid, the details pane and the list pages
// decode encoded words and UTF-8, while the screening keeps and compares the bytes.
#include "screening/screener.h"
#include "support/window_fixture.h"
#include "text/header_decoding.h"
#include "ui/form1.h"
#include "ui/list_page_views.h"
#include "ui/wrap_grid.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace kestrix;

namespace {

const std::string kJoerg = "=?utf-8?B?SsO2cmc=?= <joerg@example.de>";
const std::string kHello = "=?utf-8?b?SGVsbG8gV29ybGQ=?=";

}  // namespace

class DisplayTextsTest : public QObject {
    Q_OBJECT

private slots:
    void gridAndDetailsShowTheDisplayText()
    {
        test::WindowFixture window;
        TForm1 &form = window.form;
        Screener &screener = window.screener();
        screener.profile.blacklist.assign({});
        const std::vector<std::pair<std::string, std::string>> rows = {
            {kJoerg, kHello}, {"Ren\xE9 <rene@example.fr>", "Caf\xE9"},
            {"plain@example.org", "=?utf-8?B?broken!?="}};
        screener.messages.startCode = std::string(1, '0');
        for (size_t i = 0; i < rows.size(); ++i) {
            const int number = int(i) + 1;
            screener.messages.rows.push_back({number, rows[i].first, rows[i].second,
                                     std::to_string(100 + number),
                                     {"id:1", "Size: 900 byte", "From: " + rows[i].first,
                                      "Subject: " + rows[i].second, "Content-Type: text/plain"}});
        }
        // As the download fills a row: the stored bytes, and the header text as received for
        // the display (a "q" word's charset, adjacent words joined without their blank).
        const std::vector<std::string> header = {"From: =?koi8-r?q?=F0=D2=C9=D7=C5=D4?= <p@x.ru>",
                                                 "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?= =?koi8-r?B?8NLJ18XU?="};
        screener.messages.rows.push_back({4, extractSender(header), extractSubject(header), "104",
                                 {"id:104", "Size: 900 byte", header[0], header[1]}, false,
                                 senderAsReceived(header), subjectAsReceived(header)});
        screener.buildMessageTable(false);

        const QAbstractItemModel *model = form.messagesPage->stringgrid1->model();
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Jörg <joerg@example.de>"));
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("Hello World"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("René <rene@example.fr>"));
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("Café"));
        QCOMPARE(model->index(2, 2).data().toString(), QStringLiteral("=?utf-8?B?broken!?="));
        QCOMPARE(model->index(3, 1).data().toString(), QStringLiteral("Привет <p@x.ru>"));
        QCOMPARE(model->index(3, 2).data().toString(), QStringLiteral("GrüßeПривет"));
        // The table itself keeps the bytes as received.
        QCOMPARE(screener.messages.messageTable.text(MessageTable::ColSender, 1), kJoerg);

        form.messagesPage->showDetails(1);
        const QString details = form.messagesPage->Memo2->toPlainText();
        QVERIFY2(details.contains(QStringLiteral("From: Jörg <joerg@example.de>")), qPrintable(details));
        QVERIFY(details.contains(QStringLiteral("Subject: Hello World")));
    }

    void listPagesShowTheDisplayText()
    {
        TextListModel whitelist;
        whitelist.sync({kJoerg, "ann@example.org"});
        QCOMPARE(whitelist.index(0).data().toString(), QStringLiteral("Jörg <joerg@example.de>"));
        QCOMPARE(whitelist.index(1).data().toString(), QStringLiteral("ann@example.org"));

        RejectedLog log;
        // The log holds lower-cased texts: a lower-cased base64 word no longer decodes and stays
        // as written; raw UTF-8 and quoted words do.
        log.appendRow("j\xC3\xB6rg <joerg@example.de>", "=?utf-8?b?sgvsbg8gv29ybgq=?=");
        log.appendRow("x@example.org", "=?utf-8?q?gr=c3=bc=c3=9fe?=");
        LogTableModel model;
        model.sync(log);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("jörg <joerg@example.de>"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("=?utf-8?b?sgvsbg8gv29ybgq=?="));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("grüße"));
    }
};

QTEST_MAIN(DisplayTextsTest)
#include "display_texts_test.moc"

// The grid with many messages: the download appends rows (no reset of the whole grid) and keeps
// the newest row in view while it runs; the number column fits the largest number beside a
// badge; "Select known bad or blacklisted" is offered for blacklisted rows also while the
// whitelist is empty.
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/window_fixture.h"
#include "ui/form1.h"
#include "ui/grid_paint_rules.h"
#include "ui/wrap_grid.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace kestrix;

class GridAtScaleTest : public QObject {
    Q_OBJECT

private slots:
    void theDownloadAppendsAndFollowsTheNewestRow()
    {
        if (!test::DovecotServer::available())
            QSKIP("Dovecot is not installed");
        test::DovecotServer dovecot(test::NumberedMailbox::numberedMessages(120));
        test::WindowFixture window;
        TForm1 &form = window.form;
        window.signIn(dovecot);
        form.resize(800, 500);
        form.configPage->SpinEdit1->setValue(1000);  // no download question

        TWrapGrid &grid = *form.messagesPage->stringgrid1;
        QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
        int arrived = -1;
        int lastShown = -1;
        int resetsMeanwhile = -1;
        connect(form.statusArea->ProgressBar1, &QProgressBar::valueChanged, this, [&](int value) {
            if (value > 0 && value < 20)
                resets.clear();
            if (value >= 90 && arrived < 0) {
                arrived = int(window.screener().messages.rows.size());
                lastShown = grid.rowAt(grid.viewport()->height() - 1) + 1;
                if (lastShown == 0)  // the rows end above the bottom
                    lastShown = grid.model()->rowCount();
                resetsMeanwhile = int(resets.size());
            }
        });
        window.checkMail();
        QCOMPARE(window.screener().messages.rows.size(), size_t(120));
        QCOMPARE(resetsMeanwhile, 0);
        QVERIFY2(grid.viewport()->height() < 20 * 60, "the grid shows every row at once");
        // The grid is told of new rows every tenth message: the newest row told of is in view.
        QVERIFY2(lastShown >= arrived - 10 && lastShown > 40,
                 qPrintable(QStringLiteral("row %1 shown of %2").arg(lastShown).arg(arrived)));
    }

    void blacklistedRowsWithLargeNumbers()
    {
        test::WindowFixture window;
        Screener &screener = window.screener();
        for (int number : {9990, 9991, 10000}) {
            const std::string n = std::to_string(number);
            screener.messages.rows.push_back({number, "Spam <win@prize.example>", "cheap pills", n,
                                     {"id:" + n, "Size: 900 byte", "From: win@prize.example"}});
        }
        screener.profile.blacklist.assign({"pills"});
        screener.messages.startCode.assign(1, '0');  // the table starts at message 1
        screener.buildMessageTable(false);
        window.form.show();
        TWrapGrid &grid = *window.form.messagesPage->stringgrid1;
        QVERIFY(grid.decision(3).badge != Badge::None);
        // Blacklisted rows with an empty whitelist: their selection is offered.
        screener.reclassify();
        QVERIFY(window.form.messagesPage->SpeedButton27->isEnabled());
        const QFontMetrics metrics(grid.font());
        const QString badge = QString::fromLatin1(badgeText(grid.decision(3).badge));
        QVERIFY(grid.columnWidth(0) >= metrics.horizontalAdvance(badge)
                                           + metrics.horizontalAdvance(QStringLiteral("10000")));
    }
};

QTEST_MAIN(GridAtScaleTest)
#include "grid_at_scale_test.moc"

// The message grid's painting decisions and the details pane text, without pixels: highlight
// and edge lines inside a selection, protected trusted rows, the known-bad selection mode,
// badges, the class shape, the virus hint and "No Text ?".
#include "ui/grid_paint_rules.h"
#include "ui/message_details.h"

#include <QTest>

using namespace kestrix;

namespace {

PaintRowInput row(int r, RowMarks marks, bool sizeEmpty = false)
{
    PaintRowInput input;
    input.row = r;
    input.cls = marks;
    input.sizeEmpty = sizeEmpty;
    return input;
}

RowMarks trusted() { RowMarks m; m.trusted = true; return m; }
RowMarks unknown() { return {}; }
RowMarks knownBadSender() { RowMarks m; m.knownBadSender = true; return m; }
RowMarks blacklisted() { RowMarks m; m.blacklisted = true; return m; }

GridPaintState selection(int top, int bottom, bool protect = true, bool knownBad = false)
{
    GridPaintState state;
    state.selTop = top;
    state.selBottom = bottom;
    state.protectTrusted = protect;
    state.knownBadSelectMode = knownBad;
    return state;
}

}  // namespace

class GridDecisionsTest : public QObject {
    Q_OBJECT

private slots:
    void trustedRowInsideSelection()
    {
        // Rows 2..5 selected; row 3 trusted. Protected: not highlighted, and edge lines only
        // where it ends the selection.
        const RowPaintDecision inner = decideRowPaint(row(3, trusted()), selection(2, 5));
        QVERIFY(inner.selected);
        QVERIFY(!inner.highlighted);
        QVERIFY(!inner.edge);
        QCOMPARE(inner.badge, Badge::None);

        const RowPaintDecision last = decideRowPaint(row(5, trusted()), selection(2, 5));
        QVERIFY(!last.highlighted);
        QVERIFY(last.edge);
        QVERIFY(last.topEdgeLine);
        QVERIFY(last.bottomEdgeLine);

        const RowPaintDecision first = decideRowPaint(row(2, trusted()), selection(2, 5));
        QVERIFY(first.edge && first.topEdgeLine);
        QVERIFY(first.bottomEdgeLine);  // a trusted row gets its bottom line too

        // "Allow delete of accepted" lifts the protection: the row is highlighted like others.
        const RowPaintDecision allowed =
            decideRowPaint(row(3, trusted()), selection(2, 5, /*protect=*/false));
        QVERIFY(allowed.highlighted);
        QVERIFY(!allowed.edge);
        QVERIFY(!allowed.topEdgeLine);

        const RowPaintDecision other = decideRowPaint(row(4, unknown()), selection(2, 5));
        QVERIFY(other.highlighted);
        QVERIFY(!other.edge);
        QCOMPARE(other.badge, Badge::Unknown);

        const RowPaintDecision outside = decideRowPaint(row(7, unknown()), selection(2, 5));
        QVERIFY(!outside.selected && !outside.highlighted && !outside.edge);
    }

    void knownBadSelectionMode()
    {
        const GridPaintState mode = selection(2, 2, true, /*knownBad=*/true);
        // A known-bad row far outside the selection is highlighted ...
        QVERIFY(decideRowPaint(row(40, knownBadSender()), mode).highlighted);
        QVERIFY(decideRowPaint(row(41, blacklisted()), mode).highlighted);
        // ... a selected unknown row is not, and shows as the selection's edge ...
        const RowPaintDecision selectedUnknown = decideRowPaint(row(2, unknown()), mode);
        QVERIFY(!selectedUnknown.highlighted);
        QVERIFY(selectedUnknown.edge);
        // ... a trusted row with a blacklisted subject is not ...
        RowMarks trustedBlacklisted = trusted();
        trustedBlacklisted.blacklisted = true;
        QVERIFY(!decideRowPaint(row(5, trustedBlacklisted), mode).highlighted);
        // ... and a row with an empty size cell never is.
        const RowPaintDecision blank = decideRowPaint(row(6, knownBadSender(), true), mode);
        QVERIFY(!blank.highlighted);
        QVERIFY(!blank.selected);
    }

    void badges()
    {
        const GridPaintState none = selection(-1, -1);
        QCOMPARE(decideRowPaint(row(1, unknown()), none).badge, Badge::Unknown);
        QCOMPARE(decideRowPaint(row(1, knownBadSender()), none).badge, Badge::KnownBad);
        QCOMPARE(decideRowPaint(row(1, blacklisted()), none).badge, Badge::Blacklisted);
        RowMarks both = knownBadSender();
        both.blacklisted = true;
        QCOMPARE(decideRowPaint(row(1, both), none).badge, Badge::KnownBad);
        QCOMPARE(QString::fromLatin1(classShapeFor(both).caption),
                 QStringLiteral("KB: Known Bad address"));
        QCOMPARE(decideRowPaint(row(1, trusted()), none).badge, Badge::None);
        PaintRowInput emptySender = row(1, unknown());
        emptySender.senderEmpty = true;
        QCOMPARE(decideRowPaint(emptySender, none).badge, Badge::None);

        QCOMPARE(QString::fromLatin1(badgeText(Badge::KnownBad)), QStringLiteral("KB"));
        QCOMPARE(badgeFill(Badge::KnownBad), QColor(128, 0, 0));
        QCOMPARE(badgeTextColour(Badge::KnownBad), QColor(Qt::white));
        QCOMPARE(badgeFill(Badge::Unknown), QColor(255, 255, 0));
        QCOMPARE(badgeFill(Badge::Blacklisted), QColor(255, 128, 64));
    }

    void classShapes()
    {
        QCOMPARE(QString::fromLatin1(classShapeFor(trusted()).caption),
                 QStringLiteral("Known good address"));
        RowMarks subject;
        subject.knownBadSubject = true;
        QCOMPARE(QString::fromLatin1(classShapeFor(subject).caption),
                 QStringLiteral("KB: Known Bad subject"));
        QCOMPARE(classShapeFor(blacklisted()).fill, QColor(255, 128, 64));
        QCOMPARE(QString::fromLatin1(classShapeFor(unknown()).caption),
                 QStringLiteral("US: Unknown Sender"));
    }

    void detailsText_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("virus");
        QTest::newRow("scanned") << QStringLiteral("X-Virus-Scanned: clean") << true;
        QTest::newRow("subject first") << QStringLiteral("Subject: virus alert") << false;
        QTest::newRow("virus before subject")
            << QStringLiteral("X-Note: VIRUS found in subject") << true;
        QTest::newRow("none") << QStringLiteral("From: joe@example.org") << false;
    }

    void detailsText()
    {
        QFETCH(QString, header);
        QFETCH(bool, virus);
        const std::vector<std::string> stored{"id:4950(old)", "Size: 1834 byte",
                                              header.toStdString()};
        const DetailsText shown = kestrix::detailsText(stored, "7172", false);
        QCOMPARE(shown.virusHint, virus);
        const size_t first = virus ? 1 : 0;
        QCOMPARE(shown.lines.size(), first + 2);
        QCOMPARE(QString::fromStdString(shown.lines[first]), QStringLiteral("Size: 1834 byte"));
        if (virus)
            QCOMPARE(QString::fromLatin1(shown.lines[0].c_str()),
                     QStringLiteral("Your provider might have detected a virus in this mail !"));

        const DetailsText diagnostic = kestrix::detailsText(stored, "7172", true);
        QCOMPARE(QString::fromStdString(diagnostic.lines[virus ? 1 : 0]),
                 QStringLiteral("id:4950(7172)"));
    }

    void noText()
    {
        const std::vector<std::string> multipart{
            "id:1", "Size: 1 byte", "Content-Type: text/plain", "From: a",
            "Content-Type: multipart/mixed; boundary=x"};
        QVERIFY(hasNoText(&multipart));
        const std::vector<std::string> plain{"id:1", "Size: 1 byte",
                                             "content-type: TEXT/PLAIN"};
        QVERIFY(!hasNoText(&plain));
        // Lines 0 and 1 are never headers; no content line or no record means no text.
        const std::vector<std::string> onlyIdLines{"Content-Type: text/plain", "Size: 1 byte"};
        QVERIFY(hasNoText(&onlyIdLines));
        QVERIFY(hasNoText(nullptr));
    }
};

QTEST_MAIN(GridDecisionsTest)
#include "grid_decisions_test.moc"

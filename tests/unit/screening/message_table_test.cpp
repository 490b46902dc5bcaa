#include "screening/downloaded_row.h"
#include "screening/message_table.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(CellMarker, RendersAsSectionSignAndFourLetters)
{
    EXPECT_EQ(markerText(CellMarker::KNGA), "\xA7KNGA");
    EXPECT_EQ(markerText(CellMarker::KNBA), "\xA7KNBA");
    EXPECT_EQ(markerText(CellMarker::KNBS), "\xA7KNBS");
    EXPECT_EQ(markerText(CellMarker::KNBP), "\xA7KNBP");
    EXPECT_EQ(markerText(CellMarker::None), "");
    EXPECT_EQ(markedText(CellMarker::KNBP, "Cheap"), "\xA7KNBPCheap");
}

TEST(MessageTable, AnEmptyTableHasTheTitleRowAndOneBlankRow)
{
    MessageTable table;
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.text(0, 0), "No");
    EXPECT_EQ(table.text(1, 0), "Sender");
    EXPECT_EQ(table.text(2, 0), "Subject");
    EXPECT_EQ(table.text(3, 0), "Size[byte]/ Content");
    EXPECT_EQ(MessageTable::stringGrid3Titles()[1], "Accepted Sender");
    for (int c = 0; c < MessageTable::columnCount; ++c)
        EXPECT_EQ(table.text(c, 1), "");
    table.setRowCount(0);
    EXPECT_EQ(table.rowCount(), 2);
}

TEST(MessageTable, ClassesComeFromTheMarkersNotFromTheText)
{
    MessageTable table;
    table.setRowCount(4);
    // A sender that itself begins with the section sign and "KNGA" is still an unknown sender.
    table.setCell(MessageTable::ColSender, 1, "\xA7KNGAspammer@example.org");
    table.setCell(MessageTable::ColSender, 2, "friend@example.org", CellMarker::KNGA);
    table.setCell(MessageTable::ColSender, 3, "bad@example.org", CellMarker::KNBA);
    table.setCell(MessageTable::ColSubject, 3, "offer", CellMarker::KNBP);

    EXPECT_EQ(table.rowClass(1), RowClass::Unknown);
    EXPECT_FALSE(table.isTrusted(1));
    EXPECT_EQ(table.rowClass(2), RowClass::Trusted);
    // Known bad and blacklisted at once shows known bad.
    EXPECT_EQ(table.rowClass(3), RowClass::KnownBad);
    EXPECT_TRUE(table.isKnownBadOrBlacklisted(3));
    EXPECT_EQ(table.displayText(MessageTable::ColSender, 2), "\xA7KNGAfriend@example.org");
    EXPECT_EQ(table.text(MessageTable::ColSender, 2), "friend@example.org");
    // Reads outside the table are empty, writes below it extend it.
    EXPECT_EQ(table.text(7, 1), "");
    EXPECT_EQ(table.marker(1, 99), CellMarker::None);
    table.setCell(0, 5, "9");
    EXPECT_EQ(table.rowCount(), 6);
}

TEST(DownloadedRow, LookupsFindTheFirstRowWithAHeaderInRowOrder)
{
    std::vector<DownloadedRow> rows(4);
    rows[0] = {5, "", "", "1", {"id:1", "Size: 10 byte"}};
    rows[1] = {5, "", "", "2", {"id:2", "Size: 20 byte"}};
    rows[2] = {-1, "", "", "3", {"id:3", "Size: 30 byte"}};
    rows[3] = {7, "", "", "", {}, true};  // from the log: no header
    ASSERT_NE(findRow(rows, 5), nullptr);
    EXPECT_EQ(findRow(rows, 5)->headerLines[0], "id:1");
    EXPECT_EQ(findRow(rows, -1), nullptr);
    EXPECT_EQ(findRow(rows, 6), nullptr);
    EXPECT_EQ(findRow(rows, 7), nullptr);
    // A changed number is seen by the next lookup.
    rows[0].number = 6;
    EXPECT_EQ(findRow(rows, 5)->headerLines[0], "id:2");
    EXPECT_EQ(findRow(rows, 6)->headerLines[0], "id:1");
    rows.clear();
    EXPECT_EQ(findRow(rows, 6), nullptr);
}

TEST(DownloadedRow, SizeAndContentText)
{
    DownloadedRow rows[4];
    rows[0].headerLines = {"id:1", "Size: 1834 byte", "From: a",
                           "Content-Type: text/plain; charset=ISO-8859-1"};
    rows[1].headerLines = {"id:2", "Size: 1834 byte", "From: a"};
    // The last content line wins, and only header lines (entry 2 on) are looked at.
    rows[2].headerLines = {"id:3 content-type", "Size: 5 byte", "Content-Type: multipart/mixed",
                           "X: 1", "CONTENT-TYPE: Text/HTML"};
    EXPECT_EQ(rows[0].sizeContentText(), "1834 / text/plain; charset=iso-8859-1");
    EXPECT_EQ(rows[1].sizeContentText(), "1834 /N.A.");
    EXPECT_EQ(rows[2].sizeContentText(), "5 / text/html");
    EXPECT_EQ(rows[3].sizeContentText(), "N.A.");  // no header arrived
}

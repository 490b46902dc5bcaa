#pragma once
// What the last download found: one record per row (header lines included), the table built
// from them, the trusted rows counted out of it, and the run-time resume marks. No server and no
// files: the download fills it, the table build classifies it, the deletion and the reader read
// their message numbers from it.

#include "screening/downloaded_row.h"
#include "screening/message_table.h"

#include <string>
#include <vector>

namespace kestrix {

struct ScreeningProfile;

struct DownloadedMessages {
    // Table row r (r >= 1) is rows[r - 1]; the rows are authoritative and the table is rebuilt
    // from them.
    MessageTable messageTable;  // "stringgrid1"
    std::vector<DownloadedRow> rows;
    // The mark before the first row, the newest code left once every row is deleted: "0" after
    // a download from message 1 (and after the diagnostic fill), else message 1's code; "-1"
    // for none.
    std::string startCode = "-1";
    // The header lines of the message whose summary was fetched last.
    std::vector<std::string> currentHeader;

    bool hasMessages() const { return !rows.empty(); }
    // One column of the rows, in row order (the window's hidden lists ListBox1/2/3/5).
    std::vector<std::string> ListBox1() const;
    std::vector<std::string> ListBox2() const { return column(&DownloadedRow::sender); }
    std::vector<std::string> ListBox3() const { return column(&DownloadedRow::subject); }
    std::vector<std::string> ListBox5() const { return column(&DownloadedRow::code); }
    std::vector<std::string> column(std::string DownloadedRow::*field) const;
    // The row of message number n whose header arrived (the first in row order); nullptr for none.
    const DownloadedRow *rowOfMessage(int number) const { return findRow(rows, number); }
    // The message number of table row r; 0 for none.
    int numberOfRow(int tableRow) const { return kestrix::numberOfRow(rows, tableRow); }
    // The size and content text of message number n, from its row; "N.A." without one.
    std::string sizeContentText(int number) const;

    // Rows from whitelisted senders, collected by reclassify; only their count is ever shown.
    // trustedSenders holds the sender texts themselves (their class is implied by the list).
    std::vector<int> trustedNumbers;
    std::vector<std::string> trustedSenders;
    std::vector<std::string> trustedSubjects;
    std::vector<std::string> trustedSizes;
    void clearTrustedLists();

    // Rebuilds the table from the rows: every row classified against the profile (its lists,
    // sender checks and learned score), the trusted rows counted (message_classification.cpp).
    void classify(ScreeningProfile &profile);
    // Results of the last table build.
    int trustedCount = 0;
    bool allTrusted = true;
    // Index of the last row of the leading run of whitelisted rows; -1 when row 1 is not trusted.
    int leadingTrustedIndex = -1;
    // Run-time resume marks (not saved): the mark the last download resumed from, and the code
    // of the newest message known, and the newest one the new-mail check already told about.
    std::string foundCode = "-1";
    std::string newestCode = "-1";
    std::string noticedNewestCode = "-1";

    // The grid's "next unknown" / "previous unknown" walks from the current row over the rows
    // from trusted senders: the row to go to, or -1 to stay (already at the end).
    int nextUnknownRow(int current, int lastRow) const;
    int previousUnknownRow(int current) const;
};

}  // namespace kestrix

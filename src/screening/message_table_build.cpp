// Rebuilding the message table from the hidden per-row lists: classification of every row,
// scrolling, and the resume marks that tell the next download where new mail begins.
#include "screening/classification.h"
#include "screening/screener.h"
#include "screening/view.h"

#include <algorithm>

namespace kestrix {

namespace {

const std::string &entryOrEmpty(const std::vector<std::string> &list, size_t i)
{
    static const std::string empty;
    return i < list.size() ? list[i] : empty;
}

}  // namespace

void Screener::buildMessageTable(bool scrollToEnd)
{
    allTrusted = true;
    trustedCount = 0;
    leadingTrustedIndex = -1;
    messageTable.clearCells();

    const size_t rows = ListBox1.size();
    if (rows == 0) {
        messageTable.setRowCount(2);
        m_view.setText("Label52", std::string());
        m_view.setVisible("Shape2", false);
    } else {
        messageTable.setRowCount(int(rows) + 1);
    }
    messageTable.writeTitles();

    const Classifier classifier(whitelist, blacklist, rejectedLog);
    for (size_t i = 0; i < rows; ++i) {
        const int r = int(i) + 1;
        const std::string &sender = entryOrEmpty(ListBox2, i);
        const std::string &subject = entryOrEmpty(ListBox3, i);
        const RowMarkers markers = classifier.classify(sender, subject);

        messageTable.setCell(MessageTable::ColNumber, r, ListBox1[i]);
        messageTable.setCell(MessageTable::ColSender, r, sender, markers.sender);
        messageTable.setCell(MessageTable::ColSubject, r, subject, markers.subject);
        if (markers.sender == CellMarker::KNGA) {
            ++trustedCount;
            if (allTrusted)
                leadingTrustedIndex = int(i);
        } else {
            allTrusted = false;
        }
        messageTable.setCell(MessageTable::ColSizeContent, r,
                             sizeContentText(messageNumberOf(ListBox1[i])));
    }
    m_view.messageTableChanged();

    const int lastRow = messageTable.lastRow();
    if (scrollToEnd || !(detailsRow > 0 && detailsRow < lastRow))
        scrollTableToEnd();
    detailsRow = -1;

    setResumeMarks();
}

void Screener::scrollTableToEnd()
{
    const int rowHeight = settings.RowHeight > 0 ? settings.RowHeight : 1;
    const int clientHeight = m_view.messageTableClientHeight();
    const int rowCount = messageTable.rowCount();
    int topRow = -1;
    if (clientHeight < rowHeight * rowCount) {
        // A grid lower than one row would put the top row past the end: keep it on a row.
        topRow = std::clamp(rowCount - clientHeight / rowHeight + 1, 1, messageTable.lastRow());
    }
    m_view.scrollMessageTable(topRow, messageTable.lastRow());
}

void Screener::setResumeMarks()
{
    const int last = leadingTrustedIndex;
    settings.resumeCode = "-1";
    settings.resumeFallbackCode = "-1";
    if (last >= 0 && rowCodes.size() > size_t(last) + 1)
        settings.resumeCode = rowCodes[size_t(last) + 1];
    settings.resumeCodeCopy = settings.resumeCode;
    if (last > 1 && rowCodes.size() > size_t(last))
        settings.resumeFallbackCode = rowCodes[size_t(last)];
    if (settings.resumeCode == "-1")
        settings.resumeCode = foundCode;
}

}  // namespace kestrix

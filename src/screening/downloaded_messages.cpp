#include "screening/downloaded_messages.h"

namespace kestrix {

std::vector<std::string> DownloadedMessages::ListBox1() const
{
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const DownloadedRow &row : rows)
        texts.push_back(std::to_string(row.number));
    return texts;
}

std::vector<std::string> DownloadedMessages::column(std::string DownloadedRow::*field) const
{
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const DownloadedRow &row : rows)
        texts.push_back(row.*field);
    return texts;
}

std::string DownloadedMessages::sizeContentText(int number) const
{
    const DownloadedRow *row = rowOfMessage(number);
    return row ? row->sizeContentText() : std::string("N.A.");
}

void DownloadedMessages::clearTrustedLists()
{
    trustedNumbers.clear();
    trustedSenders.clear();
    trustedSubjects.clear();
    trustedSizes.clear();
}

int DownloadedMessages::nextUnknownRow(int current, int lastRow) const
{
    if (current >= lastRow)
        return -1;
    int row = current + 1;
    while (row < lastRow && messageTable.isTrusted(row))
        ++row;
    return row;
}

int DownloadedMessages::previousUnknownRow(int current) const
{
    if (current <= 1)
        return -1;
    int row = current - 1;
    while (row > 1 && messageTable.isTrusted(row))
        --row;
    return row;
}

}  // namespace kestrix

// The message table built from arbitrary header texts and list contents, the way a download
// fills it: the input is blocks separated by a line "--": the whitelist, the blacklist words,
// the rejected-mail log (sender TAB subject), then one block per message whose first line is the
// message number as the list holds it, its second the size, and the rest its header lines;
// every row is also judged by the sender checks (Authentication-Results, spam flags, names and
// domains against the whitelist).
#include "screening/classification.h"
#include "screening/downloaded_row.h"
#include "screening/message_table.h"
#include "screening/sender_verdicts.h"
#include "text/header_decoding.h"
#include "text/latin1.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace kestrix;

namespace {

std::vector<std::vector<std::string>> blocks(std::string_view text)
{
    std::vector<std::vector<std::string>> out(1);
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n')
            continue;
        std::string line(text.substr(start, i - start));
        start = i + 1;
        if (line == "--")
            out.emplace_back();
        else
            out.back().push_back(std::move(line));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto parts = blocks(std::string_view(reinterpret_cast<const char *>(data), size));
    Whitelist whitelist;
    BlacklistWords blacklist;
    RejectedLog log;
    if (parts.size() > 0)
        whitelist.assign(parts[0]);
    if (parts.size() > 1)
        blacklist.assign(parts[1]);
    if (parts.size() > 2) {
        for (const std::string &line : parts[2]) {
            const size_t tab = line.find('\t');
            if (tab != std::string::npos)
                log.appendRejected(std::string_view(line).substr(0, tab), std::string_view(line).substr(tab + 1));
        }
    }

    std::vector<DownloadedRow> rows;
    for (size_t b = 3; b < parts.size(); ++b) {
        const std::vector<std::string> &block = parts[b];
        const std::string number = block.empty() ? std::string() : block[0];
        std::vector<std::string> header(block.begin() + std::min<size_t>(block.size(), 2), block.end());
        DownloadedRow &row = rows.emplace_back();
        row.number = int(std::clamp<long long>(parseDecimal(number).value_or(0), 0, INT32_MAX));
        row.sender = extractSender(header);
        row.subject = extractSubject(header);
        row.code = messageCode(number);
        row.headerLines = {"id:" + row.code,
                           "Size: " + (block.size() > 1 ? block[1] : std::string()) + " byte"};
        row.headerLines.insert(row.headerLines.end(), header.begin(), header.end());
    }

    MessageTable table;
    table.setRowCount(int(rows.size()) + 1);
    table.writeTitles();
    const Classifier classifier(whitelist, blacklist, log);
    // The sender checks read every header line: Authentication-Results, spam flags, names.
    SenderLikeness likeness(whitelist);
    SenderVerdicts judge(likeness, rows, SenderCheckSettings{});
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = int(i) + 1;
        RowVerdicts verdicts = judge.judge(rows[i]);
        const RowMarkers markers = classifier.classify(rows[i].sender, rows[i].subject,
                                                       !verdicts.untrustsWhitelist());
        (void)verdictColumnText(verdicts);
        table.setVerdicts(r, std::move(verdicts));
        table.setCell(MessageTable::ColNumber, r, std::to_string(rows[i].number));
        table.setCell(MessageTable::ColSender, r, rows[i].sender, markers.sender);
        table.setCell(MessageTable::ColSubject, r, rows[i].subject, markers.subject);
        table.setCell(MessageTable::ColSizeContent, r, rows[i].sizeContentText());
    }
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < MessageTable::columnCount; ++c)
            (void)table.displayText(c, r);
        (void)table.rowClass(r);
    }
    return 0;
}

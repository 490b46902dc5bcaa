#include "profiles/list_files.h"

#include "text/header_decoding.h"
#include "text/latin1.h"

namespace kestrix {

FileResult LoadRejectedLog(const QString &path, RejectedLog &log)
{
    log.clear();
    if (!pathExists(path))
        return {};
    // Read twice in blocks, the first time to count: the log is made the right size at once and
    // the file never sits in memory whole.
    size_t lines = 0;
    if (FileResult counted = forEachLine(path, [&lines](std::string_view) { ++lines; }); !counted)
        return counted;
    log.reserve(lines);
    return forEachLine(path, [&log](std::string_view raw) {
        const std::string line = lowerOutsideEncodedWords(decodeHeaderWords(raw));
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return;
        const std::string_view sender = std::string_view(line).substr(0, tab);
        const std::string_view subject = std::string_view(line).substr(tab + 1);
        if (!log.senderColumnHas(sender) && !log.subjectColumnHas(subject))
            log.appendRow(sender, subject);
    });
}

FileResult SaveRejectedLog(const QString &path, const RejectedLog &log)
{
    std::string bytes;
    // A line end inside a cell would split the entry on the next read, and a TAB inside the
    // sender (a header folded as "From:<TAB>...") would move the sender into the subject and
    // leave an empty sender that flags every mail without one: both become a blank.
    auto appendCell = [&bytes](std::string_view cell, bool tabIsSeparator) {
        for (char c : cell)
            bytes += (c == '\r' || c == '\n' || (tabIsSeparator && c == '\t')) ? ' ' : c;
    };
    const auto &rows = log.rows();
    for (size_t r = 1; r < rows.size(); ++r) {
        const LogRow &row = rows[r];
        if (row.sender.empty() && row.subject.empty())
            continue;
        appendCell(row.sender, true);
        bytes += '\t';
        appendCell(row.subject, false);  // the reader takes everything after the first TAB
        bytes += "\r\n";
    }
    return writeFileAtomically(path, bytes);
}

FileResult loadWhitelistFile(const QString &path, Whitelist &whitelist, WhitelistDecoding decoding)
{
    LinesResult read = readLines(path);
    if (!read)
        return FileResult::failure(std::move(read.error));
    if (decoding == WhitelistDecoding::DecodeHeaderWords) {
        for (std::string &entry : read.lines)
            entry = decodeHeaderWords(entry);
    }
    whitelist.assign(std::move(read.lines));
    return {};
}

FileResult saveWhitelistFile(const QString &path, const Whitelist &whitelist)
{
    return writeLines(path, whitelist.entries());
}

FileResult loadBlacklistFile(const QString &path, BlacklistWords &words)
{
    LinesResult read = readLines(path);
    if (!read)
        return FileResult::failure(std::move(read.error));
    words.assign(std::move(read.lines));
    return {};
}

FileResult saveBlacklistFile(const QString &path, const BlacklistWords &words)
{
    return writeLines(path, words.words());
}

}  // namespace kestrix

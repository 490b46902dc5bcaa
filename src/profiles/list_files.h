#pragma once
// The files of the stored lists: NAME.log (the rejected-mail log), NAME.acc (the whitelist) and
// kestrix.blk (the blacklist words).

#include "profiles/blacklist_words.h"
#include "profiles/rejected_log.h"
#include "profiles/text_file.h"
#include "profiles/whitelist.h"

#include <QString>

namespace kestrix {

// Cuts the log back to its title row and, when the file exists, reads it: each line is decoded
// (quotes removed, "q" words decoded) and lower-cased outside the encoded words left (whose
// base64 would no longer decode); lines without a TAB are skipped; the
// sender is the text before the first TAB and the subject all the text after it. A line is taken
// only when neither its sender nor its subject is in the log yet (title row included), so a line
// that repeats a known sender or a known subject is dropped. A missing file is not an error.
FileResult LoadRejectedLog(const QString &path, RejectedLog &log);
// Writes sender TAB subject for every entry row, dropping rows whose two cells are empty. Line
// ends in a cell, and TABs in the sender, are written as blanks, so that every entry reads back
// as one line with its own sender and subject.
FileResult SaveRejectedLog(const QString &path, const RejectedLog &log);

// Replaces the whitelist by the file's lines. LoadProfile decodes every entry (for a plain address
// that only removes double quotes); the whitelist page's Load button reads the lines as they stand.
// A missing file is an error here: the caller decides whether it looked first.
enum class WhitelistDecoding { DecodeHeaderWords, AsStored };
FileResult loadWhitelistFile(const QString &path, Whitelist &whitelist, WhitelistDecoding decoding);
// Writes the whitelist in list order, also when it is empty.
FileResult saveWhitelistFile(const QString &path, const Whitelist &whitelist);

// Replaces the words by the file's lines (a missing file is an error here).
FileResult loadBlacklistFile(const QString &path, BlacklistWords &words);
FileResult saveBlacklistFile(const QString &path, const BlacklistWords &words);

}  // namespace kestrix

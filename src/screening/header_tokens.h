#pragma once
// The tokens the learned score reads from a message's header lines, each prefixed by where it
// came from ("from:@cheap.example", "subj:Viagra", "subj:viagra", "rcvd-hops:4"), so the same word
// in the sender and in the subject are separate clues. Only what TOP n 0 and LIST give is used:
// the header lines and the size. Texts people read (names, subject words) go through the display
// decoder first.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct DownloadedRow;

// The distinct tokens of one message, sorted. lines: the header lines as received (folded lines
// allowed); size: the message size in bytes from LIST (-1 when unknown); verdicts: names of the
// forged-sender verdicts the row carries, each becomes "verdict:" + name.
std::vector<std::string> headerTokens(const std::vector<std::string> &lines, long long size,
                                      const std::vector<std::string> &verdicts = {});

// The tokens of a downloaded row: its header lines without the "id:" and "Size:" lines it
// starts with, and the size those name. Empty for a row without header lines.
std::vector<std::string> rowTokens(const DownloadedRow &row,
                                   const std::vector<std::string> &verdicts = {});
// The ids of rowTokens(row), read once and kept in the row.
const std::vector<uint64_t> &rowTokenIds(const DownloadedRow &row);
// The header lines of a row without the two lines the download puts first.
std::vector<std::string> rowHeaderLines(const DownloadedRow &row);

// Names a message across downloads and files: 16 hex digits of a hash of its header lines.
std::string messageKey(const std::vector<std::string> &lines);

// A token as a number for the scorer's table (64-bit FNV-1a).
uint64_t tokenId(std::string_view token);

}  // namespace kestrix

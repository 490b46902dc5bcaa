#pragma once
// Plain-text state files: one item per line, CR LF after every line. Reading accepts CR LF, CR or
// LF, and a last line without a line end. Every write replaces the file atomically, so a failed
// or interrupted save keeps the previous file whole. A file a write creates is private to the
// user (0600); a file that exists keeps its mode.

#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The outcome of a file operation; error holds a text for the user when ok is false.
struct FileResult {
    bool ok = true;
    std::string error;

    explicit operator bool() const { return ok; }
    static FileResult failure(std::string text) { return FileResult{false, std::move(text)}; }
};

struct LinesResult {
    bool ok = true;
    std::string error;
    std::vector<std::string> lines;

    explicit operator bool() const { return ok; }
};

// Splits file bytes into lines; empty lines are empty items, a trailing line end adds none.
std::vector<std::string> splitLines(std::string_view bytes);
// Every item followed by CR LF. A CR or LF inside an item becomes a blank, so that an item can
// never turn into two lines and shift the lines after it.
std::string joinLinesCrLf(const std::vector<std::string> &lines);

// True when something of that name exists (a directory of that name counts and fails to read).
bool pathExists(const QString &path);

LinesResult readLines(const QString &path);
// The lines of the file, as readLines splits them, handed to onLine one by one while the file is
// read in blocks: a large file never sits in memory whole. A read error stops after the lines
// before it.
FileResult forEachLine(const QString &path, const std::function<void(std::string_view line)> &onLine);
FileResult writeFileAtomically(const QString &path, std::string_view bytes);
FileResult writeLines(const QString &path, const std::vector<std::string> &lines);

// Erases the file when it exists; any failure is swallowed and the file may stay.
void DeleteFileIfPresent(const QString &path);
// Moves oldPath to newPath when the old file exists and the new one does not; failures swallowed.
void MigrateLegacyFile(const QString &oldPath, const QString &newPath);
// True when the text is not empty; blanks count as text.
inline bool HasText(std::string_view text) { return !text.empty(); }

}  // namespace kestrix

#include "profiles/text_file.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>


using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(TextFileLines, EveryLineEndIsALineEnd)
{
    EXPECT_THAT(splitLines("a\r\nb\rc\nd"), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(splitLines("a\r\n\r\n\n\rb\r\n"), ElementsAre("a", "", "", "", "b"));
    EXPECT_THAT(splitLines("\n\r"), ElementsAre("", ""));
    EXPECT_THAT(splitLines("only"), ElementsAre("only"));
    EXPECT_THAT(splitLines(""), IsEmpty());
    // CR LF is one line end, LF CR is two.
    EXPECT_THAT(splitLines("x\n\ry"), ElementsAre("x", "", "y"));
}

// Read in blocks, the lines are those of the whole file: line ends cut by a block boundary
// (a CR LF split in two, a CR last in a block) included.
TEST(TextFileLines, ReadInBlocksTheLinesAreThoseOfTheWholeFile)
{
    TempFolder tmp;
    constexpr size_t kBlock = 64 * 1024;
    struct Case {
        const char *what;
        std::string bytes;
    };
    const std::string filler(kBlock - 1, 'x');
    const std::vector<Case> cases = {
        {"CR LF split by the block end", filler + "\r\nnext\r\n"},
        {"CR last in a block, then text", filler + "\rnext"},
        {"LF first in a block", filler + "y\nnext"},
        {"a line longer than a block", std::string(3 * kBlock + 5, 'z') + "\r\n\r\nend"},
        {"empty lines and a last line without an end", "\r\n\n\r\rlast"},
        {"empty", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        tmp.write("f.txt", c.bytes);
        std::vector<std::string> lines;
        ASSERT_TRUE(forEachLine(tmp.path("f.txt"), [&lines](std::string_view line) { lines.emplace_back(line); }));
        EXPECT_EQ(lines, splitLines(c.bytes));
    }
}

TEST(TextFileLines, WrittenWithCrLfAfterEveryLine)
{
    EXPECT_EQ(joinLinesCrLf({"a", "", "b c"}), "a\r\n\r\nb c\r\n");
    EXPECT_EQ(joinLinesCrLf({}), "");
    // An item holding a line end must not become two lines.
    EXPECT_EQ(joinLinesCrLf({"a\r\nb", "c\rd\ne"}), "a  b\r\nc d e\r\n");
}

TEST(TextFile, RoundTripIsByteExact)
{
    TempFolder tmp;
    const std::vector<std::string> lines = {"first", "", "\xA7KNBA M\xFCller", "\t tab "};
    ASSERT_TRUE(writeLines(tmp.path("list.txt"), lines));
    EXPECT_EQ(tmp.read("list.txt"), "first\r\n\r\n\xA7KNBA M\xFCller\r\n\t tab \r\n");
    LinesResult read = readLines(tmp.path("list.txt"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read.lines, lines);
    // Nothing but the file itself is left in the folder (no temp file).
    EXPECT_EQ(tmp.entries(), QStringList{QStringLiteral("list.txt")});
}

// Saving what the file already holds leaves it alone (the same file, not a rewritten one); any
// other bytes replace it, also at the same length and past the first read block.
TEST(TextFile, SavingTheSameBytesAgainLeavesTheFileAlone)
{
    TempFolder tmp;
    const auto inode = [&] {
        struct stat info {};
        return ::stat(tmp.path("f.txt").toLocal8Bit().constData(), &info) == 0 ? info.st_ino : 0;
    };
    const std::string big(70 * 1024, 'b');
    struct Case {
        const char *what;
        std::string before, after;
        bool rewritten;
    };
    const std::vector<Case> cases = {
        {"the same bytes", "a\r\nb\r\n", "a\r\nb\r\n", false},
        {"the same bytes past a block", big, big, false},
        {"the same length, other bytes", "a\r\nb\r\n", "a\r\nc\r\n", true},
        {"the same length, a change past a block", big, big.substr(1) + "c", true},
        {"longer", "a\r\n", "a\r\nb\r\n", true},
        {"shorter", "a\r\nb\r\n", "a\r\n", true},
        {"empty", "a\r\n", "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFileAtomically(tmp.path("f.txt"), c.before));
        const auto first = inode();
        ASSERT_TRUE(writeFileAtomically(tmp.path("f.txt"), c.after));
        EXPECT_EQ(tmp.read("f.txt"), c.after);
        EXPECT_EQ(inode() != first, c.rewritten);
    }
}

TEST(TextFile, ReadingAMissingFileIsAnError)
{
    TempFolder tmp;
    LinesResult read = readLines(tmp.path("none.txt"));
    EXPECT_FALSE(read);
    EXPECT_THAT(read.error, ::testing::HasSubstr("none.txt"));
    EXPECT_FALSE(pathExists(tmp.path("none.txt")));
}

TEST(TextFile, FailedWriteKeepsThePreviousFileAndSaysWhy)
{
    TempFolder tmp;
    tmp.write("keep.txt", "old\r\n");

    // The target is a directory.
    ASSERT_TRUE(QDir(tmp.dir()).mkdir(QStringLiteral("adir")));
    FileResult r = writeLines(tmp.path("adir"), {"x"});
    EXPECT_FALSE(r);
    EXPECT_THAT(r.error, ::testing::HasSubstr("adir"));
    EXPECT_TRUE(QFileInfo(tmp.path("adir")).isDir());

    // The folder cannot hold files: it is a regular file (fails for root too).
    r = writeLines(tmp.path("keep.txt") + QStringLiteral("/inside.txt"), {"x"});
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(tmp.read("keep.txt"), "old\r\n");
    EXPECT_EQ(tmp.entries().size(), 2);
}

// The write itself fails part way, as on a full disk: the file-size limit of the process binds
// root as well, so this runs under every user (CI runs as root).
TEST(TextFile, FailedWriteOnAFullDiskKeepsThePreviousFile)
{
    TempFolder tmp;
    tmp.write("keep.txt", "old\r\n");
    FileResult r;
    {
        const kestrix::test::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        r = writeLines(tmp.path("keep.txt"), std::vector<std::string>(1000, "new line"));
    }
    EXPECT_FALSE(r);
    EXPECT_THAT(r.error, ::testing::HasSubstr("keep.txt"));
    EXPECT_EQ(tmp.read("keep.txt"), "old\r\n");
    EXPECT_EQ(tmp.entries().size(), 1);  // no temporary file left behind
}

TEST(TextFile, DeleteIfPresentAndLegacyTakeOver)
{
    TempFolder tmp;
    DeleteFileIfPresent(tmp.path("none"));  // nothing happens, nothing thrown
    tmp.write("gone.txt", "x");
    DeleteFileIfPresent(tmp.path("gone.txt"));
    EXPECT_FALSE(tmp.exists("gone.txt"));

    tmp.write("old.lis", "old");
    MigrateLegacyFile(tmp.path("old.lis"), tmp.path("new.ini"));
    EXPECT_FALSE(tmp.exists("old.lis"));
    EXPECT_EQ(tmp.read("new.ini"), "old");

    // Not when the new file exists: both stay as they are.
    tmp.write("old.lis", "older");
    MigrateLegacyFile(tmp.path("old.lis"), tmp.path("new.ini"));
    EXPECT_EQ(tmp.read("old.lis"), "older");
    EXPECT_EQ(tmp.read("new.ini"), "old");
    MigrateLegacyFile(tmp.path("missing.lis"), tmp.path("other.ini"));
    EXPECT_FALSE(tmp.exists("other.ini"));
}

TEST(TextFile, HasTextCountsBlanks)
{
    EXPECT_FALSE(HasText(""));
    EXPECT_TRUE(HasText(" "));
    EXPECT_TRUE(HasText("pop.example.org"));
}

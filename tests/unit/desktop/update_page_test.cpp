// The release page rules: which text of line 2 is the published version, and what the dialog's
// text box keeps of the page.
#include "desktop/update_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrix {
namespace {

TEST(ReleasePage, VersionFromLineTwo)
{
    struct Case {
        std::string line2;
        std::string version;
    };
    const std::vector<Case> cases = {
        {"3.0.3 - May 2004", "3.0.3 - May 2004"},
        {"<b>3.0.2 - October 2003</b>", "3.0.2 - October 2003"},
        {"<font color=\"navy\">3.0.3</font><br>", "3.0.3"},
        {">3.0.3", ">3.0.3"},           // a ">" at the very start is kept
        {">3.0.3</b>", ">3.0.3"},
        {"3.0.3</b>", ""},              // the first ">" is the closing tag's
        {"a>b>c", "b>c"},               // only the first ">" cuts
        {"<", ""},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line2);
        EXPECT_EQ(publishedVersion(c.line2), c.version);
    }
}

TEST(ReleasePage, TextBoxKeepsTheNotesFromLineFour)
{
    struct Case {
        const char *name;
        std::string page;
        std::string returned;
        std::string label;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases = {
        {"full page", "<html>\r\n<b>3.0.3 - May 2004</b>\r\n<pre>\r\nfaster\r\nsafer\r\n",
         "3.0.3 - May 2004", "Kestrix 3.0.3 - May 2004", {"faster", "safer"}},
        {"LF and CR line ends", "x\n3.1\rskip\nnote\n", "3.1", "Kestrix 3.1", {"note"}},
        {"two lines only", "x\r\n3.1", "3.1", "Kestrix 3.1", {}},
        {"one line", "just one line\r\n", "", "before", {"just one line"}},
        {"empty page", "", "", "before", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UpdateDialogTexts texts;
        texts.newVersion = "before";
        EXPECT_EQ(readReleasePage(texts, c.page), c.returned);
        EXPECT_EQ(texts.newVersion, c.label);
        EXPECT_EQ(texts.notes, c.notes);
    }
}

}  // namespace
}  // namespace kestrix

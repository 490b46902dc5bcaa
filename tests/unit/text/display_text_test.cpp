#include "text/display_text.h"
#include "text/utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace kestrix;

namespace {

struct Case {
    const char *what;
    std::string header;    // as received (bytes)
    std::string expected;  // what people read, in UTF-8
};

void expectAll(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(displayHeaderTextUtf8(c.header), c.expected);
        EXPECT_EQ(displayHeaderText(c.header), QString::fromUtf8(c.expected.data(),
                                                                 qsizetype(c.expected.size())));
    }
}

}  // namespace

TEST(DisplayHeaderText, TheExamplesOfTheEncodedWordStandard)
{
    expectAll({
        {"us-ascii Q", "=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>", "Keith Moore <moore@cs.utk.edu>"},
        {"latin-1 Q", "=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?= <keld@dkuug.dk>",
         "Keld Jørn Simonsen <keld@dkuug.dk>"},
        {"word then text", "=?ISO-8859-1?Q?Andr=E9?= Pirard <PIRARD@vm1.ulg.ac.be>",
         "André Pirard <PIRARD@vm1.ulg.ac.be>"},
        {"two B words, two charsets",
         "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=\r\n"
         " =?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?=",
         "If you can read this you understand the example."},
        {"hebrew in a comment",
         "Nathaniel Borenstein <nsb@thumper.bellcore.com> (=?iso-8859-8?b?7eXs+SDv4SDp7Oj08A==?=)",
         "Nathaniel Borenstein <nsb@thumper.bellcore.com> (םולש ןב ילטפנ)"},
        {"one word", "(=?ISO-8859-1?Q?a?=)", "(a)"},
        {"word and text", "(=?ISO-8859-1?Q?a?= b)", "(a b)"},
        {"two words, one blank", "(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", "(ab)"},
        {"two words, two blanks", "(=?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?=)", "(ab)"},
        {"two words, folded", "(=?ISO-8859-1?Q?a?=\r\n    =?ISO-8859-1?Q?b?=)", "(ab)"},
        {"underscore", "(=?ISO-8859-1?Q?a_b?=)", "(a b)"},
        {"blank in second charset", "(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)", "(a b)"},
    });
}

TEST(DisplayHeaderText, BAndQWordsMixAndKeepTheTextAround)
{
    expectAll({
        {"the sender people see", "=?utf-8?B?SsO2cmc=?= <joerg@example.de>", "Jörg <joerg@example.de>"},
        {"lower-case b", "=?utf-8?b?SGVsbG8gV29ybGQ=?=", "Hello World"},
        {"B then Q", "Re: =?utf-8?b?R3LDvA==?= =?UTF-8?q?=C3=9Fe?= aus Berlin", "Re: Grüße aus Berlin"},
        {"Q then B, other charset", "=?iso-8859-1?q?Caf=E9?= =?utf-8?B?IOKCrA==?=", "Café €"},
        {"no padding", "=?utf-8?B?SsO2cmc?=", "Jörg"},
        {"empty word", "a =?utf-8?q?" "?= b", "a  b"},
        {"language suffix", "=?utf-8*de?q?Gr=C3=BC=C3=9Fe?=", "Grüße"},
        {"no blank before the word", "Subject:=?utf-8?q?x?=", "Subject:x"},
        {"a decoded line end is a blank", "=?utf-8?q?a=0D=0Ab?=", "a  b"},
    });
}

TEST(DisplayHeaderText, WordsInOtherCharsets)
{
    expectAll({
        {"koi8-r", "=?koi8-r?B?8NLJ18XU?=", "Привет"},
        {"shift_jis", "=?shift_jis?B?grGC8YLJgr+CzQ==?=", "こんにちは"},
        {"euc-kr", "=?euc-kr?B?x9Gx2w==?=", "한글"},
        {"gb2312", "=?GB2312?B?xOO6ww==?=", "你好"},
        {"big5", "=?big5?B?pKSk5Q==?=", "中文"},
        {"windows-1252", "=?windows-1252?B?gCCTcXVvdGVklA==?=", "€ “quoted”"},
        {"iso-8859-2", "=?iso-8859-2?B?o/NkvA==?=", "Łódź"},
    });
}

TEST(DisplayHeaderText, ACharacterSplitAcrossTwoWordsComesOutWhole)
{
    expectAll({
        {"utf-8 B", "=?utf-8?B?SsM=?= =?utf-8?B?tnJn?=", "Jörg"},
        {"utf-8 Q, charset in capitals", "=?utf-8?q?J=C3?=\t=?UTF-8?Q?=B6rg?=", "Jörg"},
        {"shift_jis", "=?shift_jis?B?grGC?= =?shift_jis?B?8YLJgr+CzQ==?=", "こんにちは"},
    });
}

TEST(DisplayHeaderText, MalformedWordsStayAsWritten)
{
    expectAll({
        {"bad base64", "=?utf-8?B?SsO2c!mc=?=", "=?utf-8?B?SsO2c!mc=?="},
        {"base64 of impossible length", "=?utf-8?B?SsO2c?=", "=?utf-8?B?SsO2c?="},
        {"padding inside", "=?utf-8?B?Sg==cmc=?=", "=?utf-8?B?Sg==cmc=?="},
        {"unknown charset", "=?x-unknown?q?abc?= rest", "=?x-unknown?q?abc?= rest"},
        {"missing end", "=?utf-8?q?abc", "=?utf-8?q?abc"},
        {"blank inside", "=?utf-8?q?a b?=", "=?utf-8?q?a b?="},
        {"bad escape", "=?utf-8?q?a=G1?=", "=?utf-8?q?a=G1?="},
        {"escape cut short", "=?utf-8?q?a=C?=", "=?utf-8?q?a=C?="},
        {"unknown encoding", "=?utf-8?x?abc?=", "=?utf-8?x?abc?="},
        {"no charset", "=??q?abc?=", "=??q?abc?="},
        {"bytes the charset cannot hold", "=?utf-8?q?=FF?=", "=?utf-8?q?=FF?="},
        {"half a character at the end", "=?utf-8?B?SsM=?=", "=?utf-8?B?SsM=?="},
        {"a bad word keeps the blank before it",
         "=?utf-8?q?ok?= =?shift_jis?q?=82?=", "ok =?shift_jis?q?=82?="},
        {"a good word after a bad one", "=?x-bad?q?a?= =?utf-8?q?b?=", "=?x-bad?q?a?= b"},
        {"openings only", "=?=?=?", "=?=?=?"},
        {"an opening inside the charset", "=?utf=?utf-8?q?x?=", "=?utfx"},
    });
}

TEST(DisplayHeaderText, RawEightBitTextIsUtf8WhenValidElseLatin1)
{
    expectAll({
        {"ascii", "Hello <a@b.c>", "Hello <a@b.c>"},
        {"empty", "", ""},
        {"utf-8", "J\xC3\xB6rg <joerg@example.de>", "Jörg <joerg@example.de>"},
        {"latin-1", "J\xF6rg \xA7 Caf\xE9", "Jörg § Café"},
        {"overlong form is not utf-8", "\xC0\xAF", "À¯"},
        {"surrogate is not utf-8", "\xED\xA0\x80", "í\xC2\xA0\xC2\x80"},
        {"raw utf-8 beside a word", "\xC3\x9C" "ber =?utf-8?q?Gr=C3=BC=C3=9Fe?=", "Über Grüße"},
        {"decoded stored text", "Gr\xFC\xDF" "e aus Berlin", "Grüße aus Berlin"},
    });
}

TEST(DisplayHeaderText, HostileTextsComeBackUnchanged)
{
    std::string openings;
    for (int i = 0; i < 50000; ++i)
        openings += "=?";
    EXPECT_EQ(displayHeaderTextUtf8(openings), openings);

    std::string unfinished;
    for (int i = 0; i < 5000; ++i)
        unfinished += "=?utf-8?q?abcdefghij";
    EXPECT_EQ(displayHeaderTextUtf8(unfinished), unfinished);

    // Many made-up charsets: only a few are looked up, the rest stay as written.
    std::string names;
    for (int i = 0; i < 2000; ++i)
        names += "=?x-made-up-" + std::to_string(i) + "?q?a?= ";
    EXPECT_EQ(displayHeaderTextUtf8(names), names);
}

TEST(DisplaysAsIs, OnlyAsciiWithoutAnOpening)
{
    EXPECT_TRUE(displaysAsIs("plain <a@b.c>"));
    EXPECT_FALSE(displaysAsIs("=?utf-8?q?x?="));
    EXPECT_FALSE(displaysAsIs("J\xF6rg"));
}

TEST(CaseFoldedUtf8, FoldsOverUnicode)
{
    EXPECT_EQ(caseFoldedUtf8("GR\xC3\x9C\xC3\x9F" "E Stra\xE1\xBA\x9E" "E"), "grüße straße");
    EXPECT_EQ(caseFoldedUtf8("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2"), "привет");
    EXPECT_EQ(caseFoldedUtf8("\xE2\x84\xAA"), "k");  // the Kelvin sign
    EXPECT_EQ(caseFoldedUtf8("ABC"), "abc");
}

TEST(DisplayHeaderText, GarbageAlwaysGivesValidUtf8)
{
    // Random texts over the characters that matter to encoded words, and any byte.
    const std::string alphabet = "=?BbQq_ \t-8uft\xC3\xB6\xFF" "ABab09+/*";
    std::mt19937 rng(2047);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = int(rng() % 40);
        for (int i = 0; i < length; ++i)
            text.push_back(rng() % 8 == 0 ? char(rng() % 256) : alphabet[rng() % alphabet.size()]);
        const std::string shown = displayHeaderTextUtf8(text);
        ASSERT_TRUE(isValidUtf8(shown)) << text;
        ASSERT_EQ(QString::fromUtf8(shown.data(), qsizetype(shown.size())), displayHeaderText(text));
    }
}

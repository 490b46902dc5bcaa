#include "text/header_decoding.h"

#include "support/reference_word_decoding.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

TEST(HexDigitValue, OnlyDigitsAndLowerCaseLettersCount)
{
    EXPECT_EQ(hexDigitValue('0'), 0);
    EXPECT_EQ(hexDigitValue('9'), 9);
    EXPECT_EQ(hexDigitValue('a'), 10);
    EXPECT_EQ(hexDigitValue('f'), 15);
    EXPECT_EQ(hexDigitValue('A'), 20);
    EXPECT_EQ(hexDigitValue('g'), 20);
    EXPECT_EQ(hexDigitValue('='), 20);
    EXPECT_EQ(hexDigitValue('\xE9'), 20);
}

TEST(DecodeHeaderWords, QuotedPrintableWordsBecomeBytes)
{
    EXPECT_EQ(decodeHeaderWords("=?iso-8859-1?q?Gr=FC=DFe_aus_Berlin?="), "Gr\xFC\xDF" "e aus Berlin");
    // The search runs on a lower-cased copy: capital Q and hex digits work, other letters keep case.
    EXPECT_EQ(decodeHeaderWords("=?ISO-8859-1?Q?Caf=E9?="), "Caf\xE9");
    EXPECT_EQ(decodeHeaderWords("Re: =?utf-8?q?Hallo?= Welt"), "Re: Hallo Welt");
}

TEST(DecodeHeaderWords, TextsWithoutQWordsOnlyLoseTheirQuotes)
{
    EXPECT_EQ(decodeHeaderWords("\"Joe Bloggs\" <joe_b@example.org>"), "Joe Bloggs <joe_b@example.org>");
    EXPECT_EQ(decodeHeaderWords("=?utf-8?b?SGVsbG8=?="), "=?utf-8?b?SGVsbG8=?=");
    EXPECT_EQ(decodeHeaderWords("a=3Db"), "a=3Db");
    EXPECT_EQ(decodeHeaderWords(""), "");
}

TEST(DecodeHeaderWords, OnceAWordIsFoundEveryEscapeAndUnderscoreIsDecoded)
{
    // The escape outside the word is decoded too, and =3D gives a blank.
    EXPECT_EQ(decodeHeaderWords("a=3Db =?x?q?y?="), "a b y");
    EXPECT_EQ(decodeHeaderWords("=?x?q?J=F6rg?= <j_x@example.org>"), "J\xF6rg <j x@example.org>");
    // A capital or other non-digit counts 20: "=G1" gives 16*20+1 = 321 mod 256 = 65.
    EXPECT_EQ(decodeHeaderWords("=?x?q?=G1?="), "A");
}

TEST(DecodeHeaderWords, AnEscapeCutShortAtTheEndStaysInsideTheText)
{
    // Missing characters count as invalid digits: 16*6+20 = 116 and 16*20+20 = 340 mod 256 = 84.
    EXPECT_EQ(decodeHeaderWords("x?q?ab=6"), "abt");
    EXPECT_EQ(decodeHeaderWords("x?q?ab="), "abT");
    EXPECT_EQ(decodeHeaderWords("x?q?="), "T");
}

TEST(DecodeHeaderWords, WithoutAnOpeningTheTextUpToTheMarkIsCut)
{
    EXPECT_EQ(decodeHeaderWords("abc?q?def"), "def");
}

TEST(DecodeHeaderWords, SeveralWordsInOneTextAllDecode)
{
    EXPECT_EQ(decodeHeaderWords("=?utf-8?q?A?= =?utf-8?q?B?= end"), "A B end");
    EXPECT_EQ(decodeHeaderWords("=?x?q?Gr=FC=DFe?= und =?x?q?K=FCsse?="),
              "Gr\xFC\xDF" "e und K\xFC" "sse");
    EXPECT_EQ(decodeHeaderWords("=?x?q?a?==?x?q?b?="), "ab");
}

TEST(DecodeHeaderWords, AQuestionMarkFromAnEscapeIsTextNotADelimiter)
{
    // Only a "?" of the text itself keeps the "=" after it; =3F=3F is two question marks.
    EXPECT_EQ(decodeHeaderWords("=?x?q?Why=3F=3F?="), "Why??");
    EXPECT_EQ(decodeHeaderWords("=?x?q?=3F=41?= =?x?q?B?="), "?A B");
}

TEST(DecodeHeaderWords, TextBeforeAQWordStaysWhenAnotherOpeningPrecedesIt)
{
    // Only the q word itself is cut out: a "b" word or a stray "=?" in front of it is kept.
    EXPECT_EQ(decodeHeaderWords("=?utf-8?b?SGk=?= =?x?q?A?="), "=?utf-8?b?SGk=?= A");
    EXPECT_EQ(decodeHeaderWords("Price =? Deal =?x?q?A=FC?= end"), "Price =? Deal A\xFC end");
}

TEST(DecodeHeaderWords, ABWordAfterAQWordStaysIntact)
{
    EXPECT_EQ(decodeHeaderWords("=?x?q?A?= =?utf-8?b?SGVsbG8=?="), "A =?utf-8?b?SGVsbG8=?=");
    // Its padding is not taken for escapes.
    EXPECT_EQ(decodeHeaderWords("=?x?q?A?= =?utf-8?B?SA==?="), "A =?utf-8?B?SA==?=");
}

TEST(DecodeHeaderWords, ThePassBoundEndsTextsThatNeverLoseTheirMark)
{
    // "=?" only after "?q?": nothing can be cut, and 256 passes change nothing.
    EXPECT_EQ(decodeHeaderWords("x?q?y =?z"), "x?q?y =?z");
    // At most 256 words are decoded.
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "=?x?q?a?=";
    const std::string decoded = decodeHeaderWords(text);
    std::string expected(256, 'a');
    for (int i = 256; i < 300; ++i)
        expected += "=?x?q?a?=";
    EXPECT_EQ(decoded, expected);
}

TEST(DecodeHeaderWords, GarbageNeverBreaksIt)
{
    // Each sample a text of its own: the NUL byte stays inside its sample (a string, not a
    // C string), and every sample is followed by a comma so none merges with the next.
    const std::string samples[] = {"?q?", "=?", "?=", "=", "==", "=?q?", "?q?=?=?q?=",
                                   std::string("=?\xFF?q?\x00?=", 10), "_?q?_=_", "??q?",
                                   "?==??"};
    ASSERT_EQ(samples[7].size(), 10u);
    for (const std::string &s : samples) {
        SCOPED_TRACE(s);
        const std::string out = decodeHeaderWords(s);
        EXPECT_LE(out.size(), std::string(s).size());
    }
}

TEST(DecodeHeaderWords, RandomDelimiterSoupStaysWithinTheText)
{
    std::mt19937 rng(2024);
    const std::string alphabet = "=?qQbB_\"aF3 x\xFC";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const size_t n = rng() % 80;
        for (size_t i = 0; i < n; ++i)
            text += alphabet[rng() % alphabet.size()];
        const std::string decoded = decodeHeaderWords(text);
        ASSERT_LE(decoded.size(), text.size()) << text;
        ASSERT_EQ(decoded.find('"'), std::string::npos) << text;
        (void)extractSender({"From: " + text});
    }
}

// The linear decoder must agree byte for byte with the pass-by-pass one it replaced, on texts
// made of the delimiters' own letters where the passes interact most.
TEST(DecodeHeaderWords, AgreesWithThePassByPassDecoding)
{
    std::mt19937 rng(7);
    const std::string soups[] = {"=?qQbB_\"aF3 x\xFC", "=?q3fF", "=?qb_", "=?b=?q"};
    for (const std::string &alphabet : soups) {
        for (int round = 0; round < 20000; ++round) {
            std::string text;
            const size_t n = rng() % 60;
            for (size_t i = 0; i < n; ++i)
                text += alphabet[rng() % alphabet.size()];
            ASSERT_EQ(decodeHeaderWords(text), reference::decodeHeaderWordsByPasses(text)) << text;
        }
    }
    // Many words: the pass bound is reached part way through.
    std::string words;
    for (int i = 0; i < 300; ++i)
        words += i % 7 == 0 ? "=?x?b?QQ==?= " : i % 3 == 0 ? "a=3F=3Db_" : "=?x?q?=3F=41?=";
    EXPECT_EQ(decodeHeaderWords(words), reference::decodeHeaderWordsByPasses(words));
}

TEST(DecodeHeaderWords, LongTextsDecodeWholly)
{
    std::string text = "=?x?q?";
    for (int i = 0; i < 20000; ++i)
        text += "=41_";
    text += "?=";
    const std::string decoded = decodeHeaderWords(text);
    ASSERT_EQ(decoded.size(), 40000u);
    EXPECT_EQ(decoded.substr(0, 4), "A A ");
}

TEST(MessageCode, BytesBecomeTheirDecimalValues)
{
    EXPECT_EQ(messageCode("AB1"), "656649");
    EXPECT_EQ(messageCode("  AB1"), "656649");
    EXPECT_EQ(messageCode(""), "");
    EXPECT_EQ(messageCode("\xFF"), "255");
    // The field of "+OK 3 AB1\r\n" still carries the line end.
    EXPECT_EQ(messageCode("AB1\r\n"), "6566491310");
}

TEST(MessageCode, StopsOnceTheCodeReaches252Characters)
{
    // Two digits per byte: 126 bytes make 252 characters and the rest is dropped.
    std::string expected;
    for (int i = 0; i < 126; ++i)
        expected += "65";
    EXPECT_EQ(messageCode(std::string(200, 'A')), expected);
    // 125 x "65" is 250 characters, then one more byte brings it to 253 and the code ends.
    const std::string code = messageCode(std::string(125, 'A') + std::string(75, 'z'));
    EXPECT_EQ(code.size(), 253u);
    EXPECT_EQ(code.substr(250), "122");
    EXPECT_LE(messageCode(std::string(200, 'z')).size(), 254u);
}

TEST(ExtractSender, TakesTheRestOfTheFirstFromLine)
{
    const std::vector<std::string> header{"Return-Path: <bounce@example.org>",
                                          "From: \"Joe Bloggs\" <joe@example.org>",
                                          "Subject: Hello", "."};
    EXPECT_EQ(extractSender(header), "Joe Bloggs <joe@example.org>");
    EXPECT_EQ(extractSender({"FROM:    someone@example.org"}), "someone@example.org");
    EXPECT_EQ(extractSender({"Subject: no sender", "."}), "");
    EXPECT_EQ(extractSender({}), "");
}

TEST(ExtractSender, AnEarlierLineWithFromIsTakenWithItsHead)
{
    const std::vector<std::string> header{"X-Envelope-From: <env@example.org>",
                                          "From: Real <real@example.org>"};
    EXPECT_EQ(extractSender(header), "X-Envelope- <env@example.org>");
}

TEST(ExtractSender, DecodesAndRemovesQuotesLeftByTheDecoding)
{
    EXPECT_EQ(extractSender({"From: =?iso-8859-1?q?J=F6rg?= <j_x@example.org>"}),
              "J\xF6rg <j x@example.org>");
    // =22 is a double quote produced by the decoding; the sender drops it as well.
    EXPECT_EQ(extractSender({"From: =?x?q?=22Joe=22?= <joe@example.org>"}), "Joe <joe@example.org>");
    EXPECT_EQ(extractSubject({"Subject: =?x?q?=22Hi=22?="}), "\"Hi\"");
}

TEST(ExtractSubject, TakesTheFirstLineOfTheSubject)
{
    const std::vector<std::string> header{"From: a@example.org",
                                          "Subject: =?ISO-8859-1?Q?Caf=E9?= au lait",
                                          " folded second line", "."};
    EXPECT_EQ(extractSubject(header), "Caf\xE9 au lait");
    EXPECT_EQ(extractSubject({"subject:x"}), "x");
    EXPECT_EQ(extractSubject({"Subject:"}), "");
    EXPECT_EQ(extractSubject({"From: a"}), "");
}

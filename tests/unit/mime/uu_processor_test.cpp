// The coder: base64 and uuencode against known vectors, both round trips, the end of uuencoded
// data, and the coder's line reading.
#include "mime/uu_processor.h"
#include "support/random_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrix {
namespace {

using test::randomBytes;

// The coder over a whole text, in one direction; an encoded output is left at its start.
std::string runCoder(UUMethods method, const std::string &text, bool encoding)
{
    TNMUUProcessor coder;
    coder.Method = method;
    TMemoryStream in(text), out;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    if (encoding) {
        coder.Encode();
        EXPECT_EQ(out.Position(), 0);
    } else {
        coder.Decode();
    }
    return out.Bytes();
}

std::string decode(UUMethods method, const std::string &encoded)
{
    return runCoder(method, encoded, false);
}

std::string encode(UUMethods method, const std::string &bytes)
{
    return runCoder(method, bytes, true);
}

TEST(Base64Coder, Rfc4648VectorsEncodeAndDecode)
{
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},       {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto &[plain, coded] : vectors) {
        SCOPED_TRACE(plain);
        EXPECT_EQ(encode(UUMethods::uuMime, plain), coded.empty() ? "" : coded + "\r\n");
        EXPECT_EQ(decode(UUMethods::uuMime, coded + "\r\n"), plain);
    }
}

TEST(Base64Coder, DecodesMimeBodiesAsMailCarriesThem)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        // 76-character lines, then padding ends the data: what follows is not decoded.
        {"Zm9vYmFy\r\nYmF6\r\n", "foobarbaz"},
        {"Zm9vYg==\r\nZm9v\r\n", "foob"},
        {"Zm9vYmFy\nYmF6\n", "foobarbaz"},             // LF-only line ends
        {"  Zm9vYmFy\r\n", "foobar"},                   // blanks before the data
        {"====\r\nZm9v\r\n", "foo"},                    // "====" lines are skipped
        {"Zm\r\nZm9v\r\n", "foo"},                      // lines of two characters are skipped
        {"\r\n\r\nZm9v\r\n\r\n", "foo"},
        {"Zm9v YmFy\r\n", "foobar"},                    // stray characters between groups
        {"Zm9vY\r\n", "foo"},                           // a lone last character carries no byte
        {"Zm9vYmE\r\n", "fooba"},                       // unpadded
        {"", ""},
    };
    for (const auto &[coded, plain] : cases) {
        SCOPED_TRACE(coded);
        EXPECT_EQ(decode(UUMethods::uuMime, coded), plain);
    }
}

TEST(UUCoder, EncodesEveryLengthFrom0To46AndDecodesItBack)
{
    for (std::size_t length = 0; length <= 46; ++length) {
        SCOPED_TRACE(length);
        const std::string bytes = randomBytes(length, unsigned(length));
        const std::string coded = encode(UUMethods::uuCode, bytes);
        // One line per 45 bytes led by its length character, then the zero-length line.
        ASSERT_FALSE(coded.empty());
        if (length > 0) {
            EXPECT_EQ(coded[0], TNMUUProcessor::Alphabet(UUMethods::uuCode)[std::min<std::size_t>(length, 45)]);
        }
        EXPECT_EQ(coded.substr(coded.size() - 3), "`\r\n");
        EXPECT_EQ(decode(UUMethods::uuCode, coded), bytes);
        // The same with the lines a uuencode program writes around it.
        EXPECT_EQ(decode(UUMethods::uuCode, "begin 644 data.bin\r\n" + coded + "end\r\n"), bytes);
    }
}

TEST(UUCoder, FourteenByteLineStartsWithADot)
{
    const std::string coded = encode(UUMethods::uuCode, "fourteen bytes");
    // The length character of a 14-byte line is the dot a POP3 server doubles.
    ASSERT_EQ(coded.size(), 1 + 19 + 2 + 3u);  // a last pair of bytes gives three characters
    EXPECT_EQ(coded[0], '.');
    EXPECT_EQ(decode(UUMethods::uuCode, coded), "fourteen bytes");
}

TEST(UUCoder, DataEndsAtTheZeroLineOrTheEndLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n", "Cat"},
        {"begin 644 cat.txt\r\n#0V%T\r\n \r\nend\r\n", "Cat"},     // a blank as zero length
        {"begin 644 cat.txt\r\n#0V%T\r\nend\r\n", "Cat"},          // no zero-length line
        {"begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\ngarbage\r\n", "Cat"},
        {"#0V%T\n`\nend\n", "Cat"},
        {"#0V%`\r\n", "Ca@"},
    };
    for (const auto &[coded, plain] : cases) {
        SCOPED_TRACE(coded);
        EXPECT_EQ(decode(UUMethods::uuCode, coded), plain);
    }
}

TEST(Coder, RoundTripsLargeInputsBothWays)
{
    for (const UUMethods method : {UUMethods::uuMime, UUMethods::uuCode}) {
        for (const std::size_t length : {1u, 44u, 45u, 90u, 1000u, 200000u}) {
            SCOPED_TRACE(length);
            const std::string bytes = randomBytes(length, unsigned(length) + 7);
            EXPECT_EQ(decode(method, encode(method, bytes)), bytes);
        }
    }
}

TEST(Coder, EventsFireAroundEachRun)
{
    TNMUUProcessor coder;
    std::vector<std::string> events;
    coder.OnBeginDecode = [&](TNMUUProcessor *) { events.push_back("begin decode"); };
    coder.OnEndDecode = [&](TNMUUProcessor *) { events.push_back("end decode"); };
    coder.OnBeginEncode = [&](TNMUUProcessor *) { events.push_back("begin encode"); };
    coder.OnEndEncode = [&](TNMUUProcessor *) { events.push_back("end encode"); };
    TMemoryStream in("Zm9v\r\n"), out;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Decode();
    coder.Encode();
    EXPECT_EQ(events, (std::vector<std::string>{"begin decode", "end decode", "begin encode",
                                                "end encode"}));
}

TEST(CoderLineReader, LinesEndAtTheFirstLfWithin200Bytes)
{
    // 250 bytes without a line end: the first line is 200 bytes, and the next one starts 61
    // bytes on. A line end within the 200 bytes ends the line there.
    std::string input;
    for (int i = 0; i < 250; ++i)
        input.push_back(char('A' + i % 26));
    input += "\r\nshort\r\nlast";
    TMemoryStream stream(input);
    CoderLineReader reader(stream);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line))
        lines.emplace_back(line);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], input.substr(0, 200));
    EXPECT_EQ(lines[1], input.substr(61, 189));  // from 61 to the line end at 250
    EXPECT_EQ(lines[2], "short");
    EXPECT_EQ(lines[3], "last");
    EXPECT_EQ(lines.size(), 4u);
}

}  // namespace
}  // namespace kestrix

// The token sign-in's messages and what it reads back, byte for byte, and the wire log's masks.
#include "transport/pop3_sasl.h"
#include "transport/wire_log.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

std::string plus(const std::string &json)
{
    return "+ " + QByteArray::fromStdString(json).toBase64().toStdString() + "\r\n";
}

}  // namespace

TEST(Pop3Sasl, MessagesAndErrorStatus)
{
    EXPECT_EQ(xoauth2Message("me@example.org", "T0k"),
              std::string("user=me@example.org\x01" "auth=Bearer T0k\x01\x01"));
    EXPECT_EQ(oauthBearerMessage("a,b=c", "pop.example.org", 995, "T0k"),
              std::string("n,a=a=2Cb=3Dc,\x01" "host=pop.example.org\x01" "port=995\x01"
                          "auth=Bearer T0k\x01\x01"));

    const std::pair<std::string, std::string> continuations[] = {
        {plus(R"({"status":"invalid_token","schemes":"bearer"})"), "invalid_token"},
        {plus(R"({"status":"401","schemes":"bearer","scope":"mail"})"), "401"},
        {plus(R"({"status":400})"), "400"},
        {plus(R"({"status":"bad\r\nline"})"), "badline"},
        {plus(R"({"error":"x"})"), ""},
        {plus("not json"), ""},
        {"+ %%%\r\n", ""},
        {"+ \r\n", ""},
        {"-ERR no\r\n", ""},
    };
    for (const auto &[line, status] : continuations) {
        SCOPED_TRACE(line);
        EXPECT_EQ(saslErrorStatus(line), status);
    }
    EXPECT_EQ(tokenRefusedText("invalid_token"),
              "The token was refused (invalid_token): sign in again with your token command");
    EXPECT_EQ(tokenRefusedText(""), "The token was refused: sign in again with your token command");

    EXPECT_EQ(maskWireLine("AUTH XOAUTH2 dXNlcj1tZQ=="), "AUTH XOAUTH2 ****");
    EXPECT_EQ(maskWireLine("AUTH OAUTHBEARER"), "AUTH OAUTHBEARER");
    EXPECT_EQ(maskWireLine("pass secret"), "pass ****");
}

// The sender checks as pure functions: the provider's verdicts from real-looking header sets
// (several providers' formats, comments and quoted strings, fields without an authserv-id,
// fields a sender wrote below the provider's), the trusted authserv-id learnt from the rows,
// and impostor names and look-alike domains against a whitelist, mixed scripts included.
#include "screening/authentication_results.h"
#include "screening/provider_verdicts.h"
#include "screening/sender_likeness.h"
#include "screening/sender_verdicts.h"
#include "support/random_bytes.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

DownloadedRow rowWith(const std::string &sender, std::vector<std::string> header)
{
    DownloadedRow row{1, sender, "Your account", "101"};
    row.headerLines = {"id:101", "Size: 2000 byte"};
    row.headerLines.insert(row.headerLines.end(), header.begin(), header.end());
    row.headerLines.push_back("From: " + sender);
    row.headerLines.push_back("Subject: Your account");
    return row;
}

struct ProviderCase {
    const char *name;
    std::vector<std::string> header;
    const char *trustedId;  // "" : learnt from this row alone
    const char *column;     // verdictColumnText
    const char *reason;     // the first reason line, "" for none
    bool trustSpamFlag = true;
};

const char *const kBank = "Bank <service@bank.example>";

void PrintTo(const ProviderCase &c, std::ostream *out) { *out << c.name; }

class ProviderVerdicts : public ::testing::TestWithParam<ProviderCase> {};

TEST_P(ProviderVerdicts, ReadOnlyTheTrustedProvider)
{
    const ProviderCase &c = GetParam();
    const std::vector<DownloadedRow> rows{rowWith(kBank, c.header)};
    SenderCheckSettings settings;
    settings.trustedAuthservId = c.trustedId;
    settings.trustSpamFlag = c.trustSpamFlag;
    SenderLikeness noWhitelist{Whitelist{}};
    SenderVerdicts judge(noWhitelist, rows, settings);
    std::vector<std::string> reasons;
    const RowVerdicts v = judge.judge(rows[0], &reasons);
    EXPECT_EQ(verdictColumnText(v), c.column);
    EXPECT_EQ(reasons.empty() ? std::string() : reasons.front(), c.reason);
    EXPECT_EQ(v.countsAsBad, v.any());
}

INSTANTIATE_TEST_SUITE_P(
    HeaderSets, ProviderVerdicts,
    ::testing::Values(
        ProviderCase{"folded dmarc fail of a large webmail",
                     {"Delivered-To: me@gmail.example",
                      "Authentication-Results: mx.google.com;",
                      "       dkim=fail header.i=@bank.example header.s=s1 header.b=Xy12;",
                      "       spf=pass (google.com: domain of x@evil.example designates 192.0.2.7 "
                      "as permitted sender) smtp.mailfrom=x@evil.example;",
                      "       dmarc=fail (p=REJECT sp=REJECT dis=QUARANTINE) header.from=bank.example",
                      "Received: from evil.example by mx.google.com"},
                     "", "forged", "Authentication-Results from mx.google.com: dmarc=fail"},
        ProviderCase{"dkim and spf fail together",
                     {"Authentication-Results: mx3.messagingengine.example; dkim=fail (message has "
                      "been altered) header.d=bank.example; spf=fail smtp.mailfrom=bounce@bank.example; "
                      "dmarc=none"},
                     "", "forged", "Authentication-Results from mx3.messagingengine.example: dkim=fail, spf=fail"},
        ProviderCase{"dkim fails, spf only soft",
                     {"Authentication-Results: mx.example.net; dkim=fail header.d=bank.example; "
                      "spf=softfail smtp.mailfrom=bank.example"},
                     "", "-", ""},
        ProviderCase{"everything passes",
                     {"Authentication-Results: mx.example.net; dkim=pass header.d=bank.example; "
                      "spf=pass smtp.mailfrom=bank.example; dmarc=pass header.from=bank.example"},
                     "", "-", ""},
        ProviderCase{"quoted id, version, comments and blanks around every sign",
                     {"Authentication-Results: \"mx.example.net\" 1; (first (nested) comment)",
                      "\tdmarc = fail (p=none) header . from = bank.example"},
                     "mx.example.net", "forged", "Authentication-Results from mx.example.net: dmarc=fail"},
        ProviderCase{"a result inside a comment or a quoted string is none",
                     {"Authentication-Results: mx.example.net; spf=pass (says; dmarc=fail) "
                      "smtp.mailfrom=bank.example; dmarc=pass reason=\"quoted; dmarc=fail\" "
                      "header.from=bank.example"},
                     "mx.example.net", "-", ""},
        ProviderCase{"a result for another From domain",
                     {"Authentication-Results: mx.example.net; dmarc=fail header.from=other.example"},
                     "mx.example.net", "-", ""},
        ProviderCase{"no authserv-id: never trusted, learnt or set",
                     {"Authentication-Results: spf=fail (sender IP is 192.0.2.7) "
                      "smtp.mailfrom=evil.example; dkim=none (message not signed) header.d=none;"
                      "dmarc=fail action=quarantine header.from=bank.example;compauth=fail reason=001"},
                     "", "-", ""},
        ProviderCase{"no authserv-id under a configured id",
                     {"Authentication-Results: dmarc=fail header.from=bank.example"},
                     "outlook.example", "-", ""},
        ProviderCase{"a lower field claiming the trusted id cannot take a failure back",
                     {"Authentication-Results: mx.example.net; dmarc=fail header.from=bank.example",
                      "Received: from evil.example",
                      "Authentication-Results: mx.example.net; dmarc=pass header.from=bank.example"},
                     "", "forged", "Authentication-Results from mx.example.net: dmarc=fail"},
        ProviderCase{"a forged field of another server is not read",
                     {"Authentication-Results: mx.example.net; dmarc=pass header.from=bank.example",
                      "Authentication-Results: relay.evil.example; dmarc=fail header.from=bank.example"},
                     "", "-", ""},
        ProviderCase{"several fields of the provider, one method each",
                     {"Authentication-Results: MX.Example.NET; spf=fail smtp.mailfrom=bank.example",
                      "Authentication-Results: mx.example.net; dkim=fail header.d=mail.bank.example"},
                     "mx.example.net", "forged",
                     "Authentication-Results from mx.example.net: dkim=fail, spf=fail"},
        ProviderCase{"an ARC field is another field",
                     {"ARC-Authentication-Results: i=1; mx.example.net; dmarc=fail "
                      "header.from=bank.example"},
                     "mx.example.net", "-", ""},
        ProviderCase{"the provider's spam flag",
                     {"X-Spam-Flag: YES", "X-Spam-Status: Yes, score=9.1 required=5.0"},
                     "", "provider-spam", "Spam by the provider: X-Spam-Flag: YES"},
        ProviderCase{"spam flag not trusted", {"X-Spam-Flag: YES"}, "", "-", "", false},
        ProviderCase{"a spam status alone",
                     {"X-Spam-Status: Yes, score=12.0 required=5.0 tests=FORGED_PAYPAL"},
                     "", "provider-spam",
                     "Spam by the provider: X-Spam-Status: Yes, score=12.0 required=5.0 tests=FORGED_PAYPAL"},
        ProviderCase{"only the topmost flag counts",
                     {"X-Spam-Flag: NO", "X-Spam-Status: No, score=0.1", "X-Spam-Flag: YES",
                      "X-Spam-Status: Yes"},
                     "", "-", ""},
        ProviderCase{"forged and flagged",
                     {"X-Spam-Flag: yes",
                      "Authentication-Results: mx.example.net; dmarc=fail header.from=bank.example"},
                     "", "forged,provider-spam", "Authentication-Results from mx.example.net: dmarc=fail"}),
    [](const ::testing::TestParamInfo<ProviderCase> &info) {
        std::string name;
        for (const char *p = info.param.name; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(LearntAuthservId, IsTheTopmostIdEveryVotingRowShares)
{
    const auto field = [](const char *id) {
        return std::string("Authentication-Results: ") + id + "; spf=pass smtp.mailfrom=a.example";
    };
    const DownloadedRow provider = rowWith(kBank, {field("mx.example.net"), field("relay.example")});
    const DownloadedRow otherCase = rowWith(kBank, {field("MX.EXAMPLE.NET")});
    const DownloadedRow silent = rowWith(kBank, {"Received: from a by b"});
    DownloadedRow fromLog = rowWith(kBank, {field("elsewhere.example")});
    fromLog.fromLog = true;
    const DownloadedRow otherTop = rowWith(kBank, {field("relay.example"), field("mx.example.net")});
    const DownloadedRow noId = rowWith(kBank, {"Authentication-Results: dmarc=fail", field("mx.example.net")});

    EXPECT_EQ(learnAuthservId({provider, otherCase, silent, fromLog}), "mx.example.net");
    EXPECT_EQ(learnAuthservId({provider, otherTop}), "");
    EXPECT_EQ(learnAuthservId({provider, noId}), "");
    EXPECT_EQ(learnAuthservId({silent}), "");
    EXPECT_EQ(learnAuthservId({}), "");
}

TEST(AuthenticationResults, PropertiesAndGarbage)
{
    std::vector<AuthResult> results;
    const std::string_view id = parseAuthenticationResults(
        " mx.example.net; dkim=pass (2048-bit key) header.d=bank.example header.i=@bank.example;"
        " dkim/1=fail; none; =; x=; spf=pass smtp.mailfrom=\"odd;name\"@bank.example",
        &results);
    EXPECT_EQ(id, "mx.example.net");
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].property("header.i"), "@bank.example");
    EXPECT_EQ(results[0].property("header.x"), "");
    EXPECT_TRUE(results[1].is("DKIM", "fail"));
    EXPECT_TRUE(results[2].is("spf", "pass"));

    // Hostile input never faults: unclosed comments and quotes, lone signs, random bytes.
    for (const char *text : {"(", "\"", "a; b=(", "a; b=c d.e=\"", "\\", ";;;;", "=x", "a;b/",
                             "a; b=c d=\"\\"}) {
        (void)parseAuthenticationResults(text, &results);
        for (const AuthResult &r : results)
            (void)r.property("d");
    }
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const std::string bytes = test::randomBytes(seed * 3, seed);
        (void)parseAuthenticationResults(bytes, &results);
        for (const AuthResult &r : results)
            (void)r.property("header.from");
    }
}

struct LikenessCase {
    const char *sender;
    const char *column;
    const char *reason;  // a part of the reasons, "" for none
};

void PrintTo(const LikenessCase &c, std::ostream *out) { *out << c.sender; }

class Likeness : public ::testing::TestWithParam<LikenessCase> {};

TEST_P(Likeness, AgainstTheWhitelist)
{
    static const Whitelist whitelist = [] {
        Whitelist w;
        w.assign({"Alice Example <alice@example.org>", "PayPal <service@paypal.example>",
                  "Bob <bob@modern.example>", "news@google.example", "Bob <bob@work.example>"});
        return w;
    }();
    static SenderLikeness likeness(whitelist);
    const LikenessCase &c = GetParam();
    RowVerdicts v;
    std::vector<std::string> lines;
    likeness.judge(c.sender, v, &lines);
    EXPECT_EQ(verdictColumnText(v), c.column) << c.sender;
    std::string reasons;
    for (const std::string &line : lines)
        reasons += line + "\n";
    EXPECT_NE(reasons.find(c.reason), std::string::npos) << reasons;
}

INSTANTIATE_TEST_SUITE_P(
    Senders, Likeness,
    ::testing::Values(
        LikenessCase{"Alice Example <alice@example.org>", "-", ""},
        LikenessCase{"ALICE EXAMPLE <Alice@Example.org>", "-", ""},
        LikenessCase{"Bob <bob@work.example>", "-", ""},
        LikenessCase{"someone@unrelated.example", "-", ""},
        LikenessCase{"Paul <x@paypal.example>", "-", ""},
        LikenessCase{"bob@modern.example <bob@modern.example>", "-", ""},
        LikenessCase{"Alice Example <alice@evil.example>", "impostor",
                     "Impostor: \"Alice Example\" is the name of the whitelisted alice@example.org, "
                     "the address is alice@evil.example"},
        LikenessCase{"=?utf-8?B?QWxpY2UgRXhhbXBsZQ==?= <x@evil.example>", "impostor",
                     "\"Alice Example\" is the name"},
        // A Cyrillic capital A in a Latin name.
        LikenessCase{"\xD0\x90lice Example <x@evil.example>", "impostor",
                     "is the name of the whitelisted alice@example.org"},
        LikenessCase{"service@paypal.example <x@evil.example>", "impostor",
                     "Impostor: the name shows service@paypal.example, the address is x@evil.example"},
        LikenessCase{"x@evil.example (Alice Example)", "impostor", "the address is x@evil.example"},
        LikenessCase{"Support <x@paypa1.example>", "look-alike",
                     "Look-alike domain: paypa1.example looks like the whitelisted paypal.example"},
        LikenessCase{"x@rnodern.example", "look-alike", "looks like the whitelisted modern.example"},
        LikenessCase{"news@g00gle.example", "look-alike", "looks like the whitelisted google.example"},
        LikenessCase{"x@xn--pypal-4ve.example", "look-alike",
                     "Look-alike domain: p\xD0\xB0ypal.example (xn--pypal-4ve.example) looks like the "
                     "whitelisted paypal.example, mixing scripts"},
        LikenessCase{"PayPal <service@p\xD0\xB0ypal.example>", "impostor,look-alike", "mixing scripts"},
        LikenessCase{"Alice Example <alice@PAYPA1.example>", "impostor,look-alike",
                     "looks like the whitelisted paypal.example"}));

}  // namespace

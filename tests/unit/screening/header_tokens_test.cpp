// The tokens the learned score reads from header lines: a table of real-looking header sets.
#include "screening/downloaded_row.h"
#include "screening/header_tokens.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrix;
using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::Not;

TEST(HeaderTokens, TableOfHeaderSets)
{
    const struct {
        const char *name;
        std::vector<std::string> lines;
        long long size;
        std::vector<std::string> verdicts;
        std::vector<std::string> expected;
        std::vector<std::string> absent;
    } cases[] = {
        {"bulk offer",
         {"Return-Path: <bounce@mass.example>",
          "Received: from dd_it7 ([210.97.77.167])",
          "\tby webnote.net (8.9.3/8.9.3) with ESMTP id NAA04623",
          "Received: from localhost (localhost [127.0.0.1]) by mx.home.example",
          "From: \"Cheap Meds\" <Sales@Mail.Cheap.example>",
          "Subject: =?iso-8859-1?Q?V=EDagra?= NOW!!!",
          "Message-ID: <0103c1042001882DD_IT7@dd_it7>",
          "X-Mailer: Microsoft Outlook Express 6.00.2600.0000",
          "Content-Type: multipart/alternative;", "\tboundary=\"----=_NextPart_000_0027_01C2\"",
          "Date: Wed, 21 Aug 2002 20:31:57 -1600", "To: Undisclosed Recipients <a@b.example>",
          "X-Priority: 3"},
         3000,
         {"forged"},
         {"from:sales@mail.cheap.example", "from:@mail.cheap.example", "from:@@cheap.example",
          "from-name:Cheap", "from-name:cheap", "from-name:Meds", "subj:V\xc3\xad" "agra", "subj:v\xc3\xad" "agra",
          "subj:NOW", "subj:now", "subj:punct:!!!", "subj2:v\xc3\xad" "agra+now", "subj-cs:iso-8859-1",
          "return-path:@mass.example", "msgid:@dd_it7", "rcvd-hops:2", "rcvd-from:dd_it7",
          "rcvd-by:webnote.net", "rcvd-with:esmtp", "rcvd-ip:210.97.77", "rcvd-ip:127.0.0",
          "mailer:microsoft_outlook_express_#.#.#.#", "mailer-word:microsoft",
          "ct:multipart/alternative", "ct-boundary:-=_AaAa_9_9_9A9", "list-id:no",
          "list-unsubscribe:no", "size:2^11", "header:x-mailer", "verdict:forged", "date-zone:-1600",
          "to-count:1", "to:undisclosed", "to:@b.example", "x-priority:3",
          "rcvd-origin-helo:bare-no-rdns", "rcvd-origin-with:esmtp", "rcvd-origin-from:other",
          "hdr-order:^>from",
          "hdr-order:from>subject", "subj-caps:many", "subj-last:A!", "subj-len:1"},
         {"from-name:none", "reply-to:same", "msgid:from-domain"}},
        {"mailing list",
         {"From: ann@work.example", "Reply-To: ann@work.example", "Subject: Re: [list] minutes",
          "List-Id: <team.work.example>", "List-Unsubscribe: <mailto:leave@work.example>",
          "Message-ID: <1234.5678@work.example>", "User-Agent: Mutt/1.4i"},
         -1,
         {},
         {"from:ann@work.example", "from-name:none", "reply-to:same", "subj:Re", "subj:re",
          "subj:minutes", "msgid:@work.example",
          "msgid:from-domain", "msgid-shape:9.9", "mailer:mutt/#.#i", "mailer-word:mutt",
          "ct:none", "list:work.example", "rcvd-hops:0", "rcvd-origin:none"},
         {"subj:minutes:", "size:2^0", "header:list-id", "list-id:yes", "header:list-*",
          "subj:list", "subj:punct:["}},
        // The list's own lines stand as one clue; the posting's way into the list stays.
        {"spam posted to a list",
         {"Return-Path: <fork-admin@xent.example>",
          "Received: from xent.example ([64.161.22.236]) by mx.home.example with ESMTP",
          "Received: from lair.xent.example (localhost [127.0.0.1]) by xent.example with ESMTP",
          "Received: from 200-168-162-123.dsl.isp.example ([200.168.162.123]",
          "    helo=mail.bigfree.example) by list.xent.example with smtp",
          "From: win@bigfree.example", "Subject: [FoRK] WIN BIG MONEY NOW",
          "List-Id: Friends <fork.xent.example>", "Errors-To: fork-admin@xent.example"},
         -1,
         {},
         {"list:xent.example", "rcvd-hops:1", "rcvd-from:mail.bigfree.example",
          "rcvd-by:list.xent.example", "rcvd-ip:200.168.162", "rcvd-origin-helo:other",
          "rcvd-origin-rdns:9-9-9-9", "rcvd-origin-with:smtp", "rcvd-origin-from:same", "subj:WIN",
          "subj-caps:most"},
         {"rcvd-from:lair.xent.example", "rcvd-from:xent.example", "rcvd-ip:64.161.22",
          "return-path:@xent.example", "header:errors-to", "subj:FoRK", "list-id:yes"}},
        // A list server of the older kind names itself only by Precedence and its Sender.
        {"list without List-Id",
         {"Return-Path: <sql-owner+M93@pg.example>",
          "Received: from relay.pg.example ([64.49.215.129]) by mx.home.example with ESMTP",
          "Received: from JD1 ([202.71.153.170]) by proxy1.addr.example with SMTP",
          "From: \"Jay\" <jay@addr.example>", "Subject: [SQL] Database joins",
          "Precedence: bulk", "Sender: sql-owner@pg.example"},
         -1,
         {},
         {"list:pg.example", "subj:Database", "rcvd-from:jd1"},
         {"subj:SQL", "header:sender", "return-path:@pg.example", "list-id:no"}},
        // The reader's own mailbox lines say nothing of the sender; the Date is read against
        // the arrival stamp (3 s later) and the sender's own server's stamp (57 min earlier).
        {"delivered to the reader's mailbox",
         {"Received: from mx.isp.example ([64.1.2.3]) by home.example; Thu, 22 Aug 2002 05:31:00 +0100",
          "Received: from pc1 ([10.0.0.5]) by mx.isp.example; Wed, 21 Aug 2002 21:00:00 PDT",
          "Date: Wed, 21 Aug 2002 23:30:57 -0500", "From: Deals <deals4u_77@offers.example>",
          "Status: RO", "X-Status: A", "X-Keywords: $Junk", "Delivered-To: me@home.example",
          "Subject: hi", "Lines: 12", "X-Mozilla-Status: 0001"},
         -1,
         {},
         {"from-shape:a9a_9", "date-skew:under-5m", "date-skew-origin:ahead-minutes",
          "hdr-order:from>subject"},
         {"hdr-order:subject>x-mozilla-status", "hdr-order:from>status", "header:status",
          "header:x-status", "header:x-keywords", "header:delivered-to", "header:lines",
          "header:x-mozilla-status"}},
        {"nothing there",
         {"X-Odd: no colon on the next line", "garbage line", "Received: by x from; 1 Jan 2002 0:00",
          "Received: from ", "Received: from [1.2.3.4", "Received: from a (b [", "List-Id: <>",
          "Subject: [unclosed", "Date: 1 Jan 99999999999999 0:00 +0000"},
         10,
         {},
         {"from:none", "msgid:invalid", "mailer:none", "ct:none", "size:2^3",
          "date-skew:unreadable", "to:none", "header:x-odd", "rcvd-hops:4", "list-id:yes"},
         {"header:garbage line"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> tokens = headerTokens(c.lines, c.size, c.verdicts);
        EXPECT_THAT(tokens, IsSupersetOf(c.expected));
        for (const std::string &absent : c.absent)
            EXPECT_THAT(tokens, Not(Contains(absent)));
        EXPECT_TRUE(std::is_sorted(tokens.begin(), tokens.end()));
        EXPECT_EQ(std::adjacent_find(tokens.begin(), tokens.end()), tokens.end());
        for (const std::string &token : tokens)
            EXPECT_EQ(token.find_first_of(" \t\r\n"), std::string::npos) << token;
    }
}

TEST(HeaderTokens, RowsAndMessageKeys)
{
    DownloadedRow row;
    row.headerLines = {"id:4950", "Size: 5000 byte", "From: a@b.example", "Subject: Hi"};
    EXPECT_EQ(rowHeaderLines(row), (std::vector<std::string>{"From: a@b.example", "Subject: Hi"}));
    EXPECT_EQ(rowTokens(row), headerTokens(rowHeaderLines(row), 5000));
    EXPECT_THAT(rowTokens(row), Contains("size:2^12"));
    EXPECT_EQ(rowTokens(DownloadedRow{}), std::vector<std::string>{});

    const std::string key = messageKey(rowHeaderLines(row));
    EXPECT_EQ(key.size(), 16u);
    EXPECT_EQ(key, messageKey({"From: a@b.example", "Subject: Hi"}));
    EXPECT_NE(key, messageKey({"From: a@b.example", "Subject: Hi!"}));
    EXPECT_NE(messageKey({"ab", "c"}), messageKey({"a", "bc"}));
}

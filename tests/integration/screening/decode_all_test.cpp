// The profile's decodeAll against a real Dovecot: with it off every row keeps the markers the
// bytes give; with it on only rows whose display text holds a blacklist word change.
#include "dovecot_screening.h"

namespace kestrix::test {
namespace {

struct Mail {
    std::string from;
    std::string subject;
    CellMarker sender;   // the sender marker, either way
    CellMarker off;      // the subject marker with decodeAll off
    CellMarker on;       // and on
};

TEST_F(DovecotScreeningTest, DecodeAllAddsOnlyTheDisplayTextMatches)
{
    using M = CellMarker;
    const std::vector<Mail> mails = {
        {"Sender1 <s1@example.org>", "Subject 1", M::None, M::None, M::None},
        {"Cash King <king@example.org>", "Hello", M::None, M::KNBP, M::KNBP},
        {"Bob <bob@example.org>", "FREE stuff", M::KNGA, M::KNBP, M::KNBP},
        {"Mallory <m@bad.example>", "again", M::KNBA, M::KNBS, M::KNBS},
        {"=?iso-8859-1?q?J=F6rg?= <j@example.de>", "=?iso-8859-1?q?Gr=FC=DFe?=", M::None, M::None,
         M::None},
        {"=?utf-8?B?SsO2cmc=?= <joerg@example.de>", "=?utf-8?b?SGVsbG8gV29ybGQ=?=", M::None,
         M::None, M::None},
        {"Eve <eve@example.org>", "=?utf-8?B?RlJFRSBtb25leSBmb3IgeW91?=", M::None, M::None,
         M::KNBP},
        {"Sender8 <s8@example.org>", "You win a prize", M::None, M::KNBP, M::KNBP},
        {"Sender9 <s9@example.org>", "Winner", M::None, M::None, M::None},
    };
    std::vector<std::string> messages;
    for (const Mail &mail : mails)
        messages.push_back(DovecotServer::makeMessage(mail.from, mail.subject));
    startServer(messages);
    s.profile.whitelist.add("Bob <bob@example.org>");
    s.profile.rejectedLog.appendRejected("Mallory <m@bad.example>", "again");

    for (const bool on : {false, true}) {
        s.profile.decodeAll = on;
        s.forgetResumeMarks();
        getAndCheck();
        ASSERT_EQ(s.messages.rows.size(), mails.size());
        for (size_t i = 0; i < mails.size(); ++i) {
            const int row = int(i) + 1;
            SCOPED_TRACE(mails[i].subject + (on ? " (on)" : " (off)"));
            EXPECT_EQ(s.messages.messageTable.marker(MessageTable::ColSender, row), mails[i].sender);
            EXPECT_EQ(s.messages.messageTable.marker(MessageTable::ColSubject, row),
                      on ? mails[i].on : mails[i].off);
        }
        EXPECT_EQ(s.countKnownBad(), on ? 4 : 3);
    }
}

}  // namespace
}  // namespace kestrix::test

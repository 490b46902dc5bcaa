// The socket session against the fake server: lines as they arrive on the wire, time-outs,
// cancel, refused and unknown hosts, status reporting.
#include "support/fake_pop3_server.h"
#include "support/file_size_limit.h"
#include "support/run_until.h"
#include "transport/powersock.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <fstream>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kestrix;
using kestrix::test::FakePop3Server;

namespace {

std::string readAll(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SocketSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.Host = "127.0.0.1";
        session.Port = fake.port();
        session.TimeOut = 10000;
    }

    // Handlers may capture a test's locals: none may run while the session is destroyed.
    void TearDown() override { session.OnStatus = nullptr; }

    void connect()
    {
        SCOPED_TRACE("connect to the fake server");
        ASSERT_NO_THROW(session.Connect());
        ASSERT_TRUE(session.Connected());
    }

    FakePop3Server fake;
    TPowersock session;
};

TEST_F(SocketSessionTest, ReadLnReturnsWholeLinesAsTheyArriveOnTheWire)
{
    fake.sendInPieces("+OK a reply in several segments\r\n", 5);
    fake.send("+OK first\r\n+OK second\r\n");
    fake.send("+OK lf only\n");
    connect();

    EXPECT_EQ(session.ReadLn(), "+OK a reply in several segments\r\n");
    EXPECT_EQ(session.ReadLn(), "+OK first\r\n");
    // The second reply of the segment stays in the socket for the next read.
    EXPECT_TRUE(session.DataAvailable());
    EXPECT_EQ(session.ReadLn(), "+OK second\r\n");
    EXPECT_EQ(session.ReadLn(), "+OK lf only\n");
}

TEST_F(SocketSessionTest, ReadLnGivesTheEmptyTextWhenThePeerClosesAndTheSessionThenCloses)
{
    int disconnects = 0;
    session.OnDisconnect = [&](TPowersock *) { ++disconnects; };
    fake.send("+OK partial line without end");
    fake.closeConnection();
    connect();

    EXPECT_EQ(session.ReadLn(), "");
    // Outside the read, the peer's close is noticed and the socket closed.
    EXPECT_TRUE(kestrix::test::runUntil([&] { return !session.Connected(); }));
    EXPECT_EQ(disconnects, 1);
    // A read on the closed (renewed) socket is an error, not an endless wait.
    try {
        session.ReadLn();
        FAIL() << "ReadLn on a closed session returned";
    } catch (const ESockError &e) {
        EXPECT_STREQ(e.what(), "10057:Socket is not connected");
    }
}

TEST_F(SocketSessionTest, BytesReadAheadStayForTheNextReaderOfAnyKind)
{
    // One segment with two lines and the start of a third: the first read takes it all.
    fake.send("+OK one\r\n+OK two\r\nthe rest without end");
    fake.closeConnection();
    connect();
    EXPECT_EQ(session.ReadLn(), "+OK one\r\n");
    // The peer's close is seen while bytes still wait: the session stays open for them.
    ASSERT_TRUE(fake.waitUntilScriptDone());
    QCoreApplication::processEvents();
    EXPECT_TRUE(session.DataAvailable());
    EXPECT_EQ(session.ReadLn(), "+OK two\r\n");
    std::string text;
    session.CaptureString(text, -1);
    EXPECT_EQ(text, "the rest without end");
    EXPECT_EQ(session.BytesRecvd(), int(text.size()));
    EXPECT_FALSE(session.DataAvailable());
}

TEST_F(SocketSessionTest, ClearInputDropsTheBytesReadAhead)
{
    fake.send("+OK one\r\n+OK stale\r\n");
    fake.expect("NOOP\r\n");
    fake.send("+OK fresh\r\n");
    connect();
    EXPECT_EQ(session.ReadLn(), "+OK one\r\n");
    session.ClearInput();
    EXPECT_FALSE(session.DataAvailable());
    EXPECT_EQ(session.Transaction("NOOP"), "+OK fresh\r\n");
    EXPECT_TRUE(fake.waitUntilScriptDone());
    EXPECT_TRUE(fake.failures().empty()) << fake.failures().front();
}

TEST_F(SocketSessionTest, ALineOfTheFullBufferSizeBehindAShortOneIsReadWhole)
{
    // The long line starts inside the first receive and must be moved to make room for its end.
    const std::string longest = std::string(TPowersock::IOBufferSize - 2, 'x') + "\r\n";
    fake.send("+OK short\r\n" + longest + "+OK after\r\n");
    connect();
    EXPECT_EQ(session.ReadLn(), "+OK short\r\n");
    EXPECT_EQ(session.ReadLn(), longest);
    EXPECT_EQ(session.ReadLn(), "+OK after\r\n");
}

TEST_F(SocketSessionTest, ALineLongerThanTheBufferIsAClearErrorAndEndsTheSession)
{
    int disconnects = 0;
    session.OnDisconnect = [&](TPowersock *) { ++disconnects; };
    fake.send(std::string(70000, 'x') + "\r\n+OK looks like a reply\r\n");
    fake.waitForClientClose();
    connect();
    try {
        session.ReadLn();
        FAIL() << "an over-long line was accepted";
    } catch (const ESockError &e) {
        EXPECT_STREQ(e.what(), "Line longer than 65536 bytes");
    }
    // The rest of the line (and what follows it) is never taken for a reply.
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(disconnects, 1);
    EXPECT_FALSE(session.DataAvailable());
    EXPECT_THROW(session.ReadLn(), ESockError);
}

TEST_F(SocketSessionTest, ASilentServerEndsTheReadAfterTheTimeOut)
{
    session.TimeOut = 200;
    fake.waitForClientClose();
    connect();
    try {
        session.ReadLn();
        FAIL() << "ReadLn returned from a silent server";
    } catch (const EAbortError &e) {
        EXPECT_STREQ(e.what(), "Socket readln aborted");
    }
    EXPECT_TRUE(session.TimedOut());
    EXPECT_FALSE(session.Canceled());  // cleared by the abort exception
}

TEST_F(SocketSessionTest, CancelFromAnEventHandlerEndsTheWaitingRead)
{
    session.TimeOut = 0;  // no timer: only the cancel ends the wait
    fake.waitForClientClose();
    connect();
    QTimer::singleShot(50, [&] { session.Cancel(); });
    EXPECT_THROW(session.ReadLn(), EAbortError);
    EXPECT_FALSE(session.TimedOut());
    EXPECT_FALSE(session.Canceled());
}

TEST_F(SocketSessionTest, TransactionKeepsTheReplyAndItsLeadingNumber)
{
    fake.expect("NOOP\r\n");
    fake.send("+OK fine\r\n");
    fake.expect("HELO x\r\n");
    fake.send("250 fine\r\n");
    connect();

    EXPECT_EQ(session.Transaction("NOOP"), "+OK fine\r\n");
    EXPECT_EQ(session.ReplyCode(), 0);
    EXPECT_EQ(session.LastReply(), "+OK fine\r\n");
    EXPECT_EQ(session.Transaction("HELO x"), "250 fine\r\n");
    EXPECT_EQ(session.ReplyCode(), 250);
    EXPECT_TRUE(fake.waitUntilScriptDone());
    EXPECT_TRUE(fake.failures().empty()) << fake.failures().front();
}

TEST_F(SocketSessionTest, WriteStopsAtAnEmbeddedZeroByte)
{
    fake.expect("USER a\r\n");
    fake.expect("NEXT\r\n");
    connect();
    session.Write(std::string("USER a\r\n\0junk\r\n", 15));
    session.Writeln("NEXT");
    EXPECT_TRUE(fake.waitUntilScriptDone());
    EXPECT_TRUE(fake.failures().empty()) << fake.failures().front();
    EXPECT_THROW(session.Write(std::string(65536, 'x')), ESockError);
}

TEST_F(SocketSessionTest, CaptureStringReceivesUntilThePeerCloses)
{
    fake.sendInPieces("line one\r\nline two\r\nno end", 7);
    fake.closeConnection();
    int packets = 0;
    session.OnPacketRecvd = [&](TPowersock *) { ++packets; };
    connect();
    std::string text;
    session.CaptureString(text, -1);
    EXPECT_EQ(text, "line one\r\nline two\r\nno end");
    EXPECT_EQ(session.BytesRecvd(), int(text.size()));
    EXPECT_GE(packets, 1);
}

TEST_F(SocketSessionTest, TheTimeOutCountsFromTheStartOfTheCaptureNotFromTheLastByte)
{
    session.TimeOut = 400;
    // A byte every 100 ms for 2 seconds: each byte would restart a countdown that restarted.
    fake.sendInPieces(std::string(20, 'x'), 1, std::chrono::milliseconds(100));
    fake.waitForClientClose();
    connect();
    std::string text;
    EXPECT_THROW(session.CaptureString(text, -1), EAbortError);
    EXPECT_TRUE(session.TimedOut());
    EXPECT_LT(text.size(), 20u);
}

TEST_F(SocketSessionTest, AnAbortedCaptureFileKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath(QStringLiteral("capture.txt")).toStdString();
    fake.send("first content\r\n");
    fake.closeConnection();
    fake.nextConnection();
    fake.send("partial");
    fake.waitForClientClose();
    connect();
    session.CaptureFile(name);
    session.Disconnect();
    EXPECT_EQ(readAll(name), "first content\r\n");

    session.TimeOut = 200;
    connect();
    EXPECT_THROW(session.CaptureFile(name), EAbortError);
    EXPECT_EQ(readAll(name), "first content\r\n");
}

// Captured mail is the user's alone, and a capture the disk cannot hold is a failure that keeps
// the previous file (the file-size limit binds root too, so this runs under CI's root as well).
TEST_F(SocketSessionTest, CaptureFileIsPrivateAndAShortWriteKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.txt"));
    const std::string name = path.toStdString();
    const mode_t savedMask = umask(022);
    fake.send("first content\r\n");
    fake.closeConnection();
    fake.nextConnection();
    fake.send(std::string(4096, 'x'));
    fake.closeConnection();
    connect();
    session.CaptureFile(name);
    session.Disconnect();
    umask(savedMask);
    struct stat status {};
    ASSERT_EQ(stat(name.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    connect();
    {
        const kestrix::test::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        EXPECT_THROW(session.CaptureFile(name), Exception);
    }
    EXPECT_EQ(readAll(name), "first content\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);  // no temporary left behind
}

TEST_F(SocketSessionTest, AThrowingStatusHandlerDoesNotDisturbTheOperation)
{
    std::vector<std::string> seen;
    session.ReportLevel = 8;
    session.OnStatus = [&](TPowersock *, const std::string &status) {
        seen.push_back(status);
        throw std::runtime_error("handler failed");
    };
    fake.expect("NOOP\r\n");
    fake.send("+OK fine\r\n");
    connect();
    EXPECT_EQ(session.Transaction("NOOP"), "+OK fine\r\n");
    EXPECT_EQ(session.Status(), "+OK fine\r\n");  // the last text that passed the level filter
    EXPECT_NE(std::find(seen.begin(), seen.end(), "+OK fine\r\n"), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), "Connecting"), seen.end());
}

TEST_F(SocketSessionTest, ConnectingTwiceIsRefused)
{
    connect();
    try {
        session.Connect();
        FAIL();
    } catch (const ESockError &e) {
        EXPECT_STREQ(e.what(), "Already connected");
    }
    EXPECT_TRUE(session.Connected());
}

TEST_F(SocketSessionTest, CheckConnectionOffersOneChanceToConnect)
{
    int asked = 0;
    session.OnConnectionRequired = [&](bool &handled) {
        ++asked;
        session.Connect();
        handled = true;
    };
    EXPECT_NO_THROW(session.CheckConnection());
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(asked, 1);

    TPowersock unconnected;
    unconnected.OnConnectionRequired = [&](bool &handled) { handled = true; };
    try {
        unconnected.CheckConnection();
        FAIL();
    } catch (const ESockError &) {
        FAIL() << "a socket error instead of the general one";
    } catch (const Exception &e) {
        EXPECT_STREQ(e.what(), "Not Connected");
    }
}

// --- connecting ---------------------------------------------------------------------------

TEST(SocketConnectTest, ARefusedPortReadsConnectionRefused)
{
    TPowersock session;
    session.Host = "127.0.0.1";
    session.Port = kestrix::test::unusedLoopbackPort();
    session.TimeOut = 10000;
    int failed = 0;
    session.OnConnectionFailed = [&](TPowersock *) { ++failed; };
    try {
        session.Connect();
        FAIL() << "connected to a closed port";
    } catch (const ESockError &e) {
        EXPECT_STREQ(e.what(), "10061:Connection refused");
    }
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(session.LastError(), 10061);
    EXPECT_FALSE(session.Connected());

    // The session stays usable: the next attempt against a listening port succeeds.
    FakePop3Server fake;
    session.Port = fake.port();
    EXPECT_NO_THROW(session.Connect());
    EXPECT_TRUE(session.Connected());
}

// A socket that cannot start connecting because no local port is free.
class NoFreePortStream : public TcpStream {
public:
    int startConnect(std::uint32_t, std::uint16_t) override { return -EAGAIN; }
};

TEST(SocketConnectTest, AConnectThatCannotStartFailsAtOnceInsteadOfWaiting)
{
    FakePop3Server fake;
    TPowersock session(std::make_unique<NoFreePortStream>());
    session.Host = "127.0.0.1";
    session.Port = fake.port();
    session.TimeOut = 0;  // nothing but the error may end the attempt
    try {
        session.Connect();
        FAIL() << "connected without a connection";
    } catch (const ESockError &e) {
        EXPECT_STREQ(e.what(), "10035:Operation would block");
    }
    EXPECT_FALSE(session.Connected());
}

TEST(SocketConnectTest, DottedAddressesSkipTheLookUpAndNamesAreLookedUp)
{
    FakePop3Server fake;
    TPowersock session;
    session.Port = fake.port();
    session.TimeOut = 10000;
    int resolved = 0;
    session.OnHostResolved = [&](TPowersock *) { ++resolved; };

    session.Host = "127.0.0.1";
    session.ResolveHost();
    EXPECT_EQ(session.RemoteIP(), "127.0.0.1");
    EXPECT_EQ(resolved, 0);

    session.Host = "localhost";
    session.ResolveHost();
    EXPECT_EQ(session.RemoteIP(), "127.0.0.1");
    EXPECT_EQ(resolved, 1);

    // The no-address value is not taken as dotted: it goes through the look-up.
    session.Host = "255.255.255.255";
    try {
        session.ResolveHost();
    } catch (const ESockError &) {
    }
    EXPECT_EQ(resolved, 2);
}

TEST(SocketConnectTest, ACancelledLookUpEndsTheConnectWithoutOfferingACorrection)
{
    TPowersock session;
    session.Host = "localhost";
    session.Port = 110;
    session.TimeOut = 10000;
    session.ReportLevel = 8;
    session.OnStatus = [&](TPowersock *, const std::string &text) {
        if (text == "Resolve Host")
            session.Cancel();
    };
    int offered = 0;
    session.OnInvalidHost = [&](bool &) { ++offered; };
    try {
        session.Connect();
        FAIL() << "connected after a cancelled look-up";
    } catch (const EHostLookupInterrupted &e) {
        EXPECT_STREQ(e.what(), "Host Lookup Canceled");
    }
    EXPECT_EQ(offered, 0);
    session.OnStatus = nullptr;
}

TEST(SocketConnectTest, AnUnknownHostGetsOneCorrectionThroughOnInvalidHost)
{
    FakePop3Server fake;
    TPowersock session;
    session.Port = fake.port();
    session.TimeOut = 10000;
    session.Host = "no-such-host.invalid";
    int asked = 0;
    session.OnInvalidHost = [&](bool &handled) {
        ++asked;
        session.Host = "127.0.0.1";
        handled = true;
    };
    EXPECT_NO_THROW(session.Connect());
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(asked, 1);

    TPowersock stubborn;
    stubborn.Port = fake.port();
    stubborn.TimeOut = 10000;
    stubborn.Host = "no-such-host.invalid";
    int offered = 0;
    stubborn.OnInvalidHost = [&](bool &handled) {
        ++offered;
        handled = true;  // but the name stays bad
    };
    try {
        stubborn.Connect();
        FAIL();
    } catch (const ESockError &e) {
        EXPECT_STREQ(e.what(), "Null Remote Address");
    }
    EXPECT_EQ(offered, 1);

    TPowersock unhandled;
    unhandled.Host = "no-such-host.invalid";
    unhandled.Port = fake.port();
    EXPECT_THROW(unhandled.Connect(), ESockError);
}

TEST(SocketConnectTest, DisconnectClosesAndReportsEveryClose)
{
    FakePop3Server fake;
    TPowersock session;
    session.Host = "127.0.0.1";
    session.Port = fake.port();
    int disconnects = 0;
    session.OnDisconnect = [&](TPowersock *) { ++disconnects; };
    session.Connect();
    session.Disconnect();
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(disconnects, 1);
    // A close of a socket that never connected is reported as well.
    session.Disconnect();
    EXPECT_EQ(disconnects, 2);
}

}  // namespace

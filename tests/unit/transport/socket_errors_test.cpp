#include "transport/socket_errors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>

using namespace kestrix;

TEST(SocketErrorText, KnownCodesReadNumberColonDescription)
{
    EXPECT_EQ(socketErrorText(10061), "10061:Connection refused");
    EXPECT_EQ(socketErrorText(10035), "10035:Operation would block");
    EXPECT_EQ(socketErrorText(11004), "11004:Valid name, no data record of requested type");
    EXPECT_EQ(socketErrorText(12345), "Unknown Error No. 12345");
    EXPECT_EQ(socketErrorText(0), "");
}

TEST(SocketErrorText, PlatformErrorsMapOntoTheProgramsNumbers)
{
    EXPECT_EQ(socketErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(socketErrorFromErrno(EAGAIN), 10035);
    EXPECT_EQ(socketErrorFromErrno(EINPROGRESS), 10036);
    EXPECT_EQ(socketErrorFromErrno(ENOTCONN), 10057);
    EXPECT_EQ(socketErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(socketErrorFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(socketErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(socketErrorFromErrno(0), 0);
    EXPECT_EQ(socketErrorText(socketErrorFromErrno(EIO)), "Unknown Error No. " + std::to_string(30000 + EIO));
    EXPECT_EQ(socketErrorFromLookup(EAI_NONAME, 0), 11001);
    EXPECT_EQ(socketErrorFromLookup(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(socketErrorFromLookup(EAI_FAIL, 0), 11003);
    EXPECT_EQ(socketErrorFromLookup(EAI_SYSTEM, ECONNREFUSED), 10061);
}

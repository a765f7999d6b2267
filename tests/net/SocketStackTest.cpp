#include "net/SocketStack.h"

#include "net/NetComponent.h"
#include "net/SocketErrors.h"

#include <gtest/gtest.h>

namespace {

TEST(SocketStackErrorText, MessagesCarryTheCodeAndItsText)
{
    const struct {
        int code;
        const char* message;
    } cases[] = {
        {10061, "Socket Error # 10061\r\nConnection refused."},
        {11001, "Socket Error # 11001\r\nHost not found."},
        {10054, "Socket Error # 10054\r\nConnection reset by peer."},
        {10035, "Socket Error # 10035\r\nOperation would block. "},
        {10066, "Socket Error # 10066\r\nDirectory not empty"},
        {10004, "Socket Error # 10004\r\nInterrupted system call."},
        // Lookup codes other than "host not found" have no text.
        {11002, "Socket Error # 11002\r\n"},
        {11004, "Socket Error # 11004\r\n"},
        {10093, "Socket Error # 10093\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TSocketStack::SocketErrorMessage(c.code), c.message) << c.code;
        const ESocketError error(c.code);
        EXPECT_EQ(error.Message, c.message);
        EXPECT_EQ(error.Code, c.code);
    }
}

TEST(SocketStackAddress, OnlyFourNumbersUpTo255AreAnAddress)
{
    const struct {
        const char* text;
        bool ip;
    } cases[] = {
        {"127.0.0.1", true}, {"0.0.0.0", true},    {"255.255.255.255", true}, {"256.1.1.1", false},
        {"1.2.3", false},    {"1.2.3.4.5", false}, {"1..3.4", false},         {"a.b.c.d", false},
        {"", false},         {"1.2.3.4 ", false},  {"-1.2.3.4", false},       {"localhost", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSocketStack::IsNumericAddress(c.text), c.ip) << c.text;
}

// A component keeps the process's socket interface alive.
class SocketStackResolve : public ::testing::Test {
protected:
    TNetComponent component_;
};

TEST_F(SocketStackResolve, LocalhostInAnyCaseAndNumericAddressesNeedNoLookup)
{
    EXPECT_EQ(SocketStack().ResolveHost("localhost"), "127.0.0.1");
    EXPECT_EQ(SocketStack().ResolveHost("LocalHost"), "127.0.0.1");
    EXPECT_EQ(SocketStack().ResolveHost("10.1.2.3"), "10.1.2.3");
    EXPECT_FALSE(TSocketStack::NeedsLookup("LOCALHOST"));
    EXPECT_TRUE(TSocketStack::NeedsLookup("256.1.1.1"));
}

TEST_F(SocketStackResolve, AnUnknownHostRaisesTheLookupError)
{
    try {
        SocketStack().ResolveHost("no-such-host.invalid");
        FAIL() << "resolved";
    } catch (const ESocketError& e) {
        // Without any name server the lookup may only report "try again".
        EXPECT_TRUE(e.Code == 11001 || e.Code == 11002) << e.Code;
        EXPECT_EQ(e.Message, TSocketStack::SocketErrorMessage(e.Code));
        EXPECT_EQ(SocketStack().LastError(), e.Code);
    }
}

} // namespace

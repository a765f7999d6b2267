// What a failed connect says: the COM error's own description where the
// failing object gives one, else "OLE error " and the result code in eight upper-case
// hexadecimal digits; never the system's text for the thread's last error code, which belongs
// to whatever ran last. ConnectErrorTest_win32.cpp runs the same against the system's WMI.

#include "base/Exception.h"
#include "wmi/DiskDriveInventory.h"

#include "FakeWbemServices.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace {

// Error 317 on Windows: what FormatMessageA leaves when it has no text for a code, as for every
// WMI code. EACCES elsewhere.
void LeaveLastSystemError()
{
#ifdef _WIN32
    SetLastError(317);
#else
    errno = EACCES;
#endif
}

// A service whose connect fails with a COM error after leaving a system error behind.
class RefusingServices : public FakeWbemServices {
public:
    RefusingServices(std::string message, std::uint32_t code, std::string description)
        : message_(std::move(message)), code_(code), description_(std::move(description))
    {
    }
    void ConnectServer(const std::string&, const std::string&) override
    {
        LeaveLastSystemError();
        throw EOleException(message_, code_, description_);
    }

private:
    std::string message_;
    std::uint32_t code_;
    std::string description_;
};

std::string ConnectFailure(std::unique_ptr<WbemServices> services)
{
    TDiskDriveInventory disks(std::move(services));
    try {
        disks.SetActive(true);
    } catch (const Exception& failure) {
        return failure.Message;
    }
    return "(nothing raised)";
}

} // namespace

TEST(ConnectService, TheComErrorsOwnDescription)
{
    EXPECT_EQ(ConnectFailure(std::make_unique<RefusingServices>("Invalid namespace", 0x8004100E, "Invalid namespace")),
              "Invalid namespace");
    EXPECT_EQ(ConnectFailure(std::make_unique<RefusingServices>("Access is denied", 0x80070005, "Access is denied")),
              "Access is denied");
}

TEST(ConnectService, WithoutADescriptionTheCodeInUpperCaseHexadecimal)
{
    EXPECT_EQ(ConnectFailure(std::make_unique<RefusingServices>("OLE error 8004100E", 0x8004100E, "")),
              "OLE error 8004100E");
    // The system's text for the code is not the object's description.
    EXPECT_EQ(ConnectFailure(std::make_unique<RefusingServices>("The RPC server is unavailable", 0x800706BA, "")),
              "OLE error 800706BA");
}

TEST(ConnectService, OtherFailuresKeepTheirOwnText)
{
    class Failing : public FakeWbemServices {
    public:
        void ConnectServer(const std::string&, const std::string&) override
        {
            LeaveLastSystemError();
            throw Exception("Not connected to the WMI service");
        }
    };
    EXPECT_EQ(ConnectFailure(std::make_unique<Failing>()), "Not connected to the WMI service");
}

#include "base/Exception.h"
#include "wmi/DiskDriveInventory.h"

#include "FakeWbemServices.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// A service whose connect fails after leaving errno as given.
class RefusingServices : public FakeWbemServices {
public:
    explicit RefusingServices(int error) : error_(error) {}
    void ConnectServer(const std::string&, const std::string&) override
    {
        errno = error_;
        throw EOleException("Access denied", 0x80070005);
    }

private:
    int error_;
};

std::string ConnectFailure(int error)
{
    TDiskDriveInventory disks(std::make_unique<RefusingServices>(error));
    try {
        disks.SetActive(true);
    } catch (const Exception& failure) {
        return failure.Message;
    }
    return "(nothing raised)";
}

} // namespace

TEST(ConnectService, ReportsTheSystemsTextForTheLastErrorCode)
{
    EXPECT_EQ(ConnectFailure(EACCES), "Permission denied");
    EXPECT_EQ(ConnectFailure(EHOSTUNREACH), "No route to host");
}

TEST(ConnectService, WithoutAnErrorCodeTheFailureDoesNotReadAsSuccess)
{
    EXPECT_EQ(ConnectFailure(0), "Access denied");
}

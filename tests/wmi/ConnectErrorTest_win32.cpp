// A connect that fails through the COM back end, against the WMI service of the system the test
// runs on (Wine's under Wine): the error the user sees says what failed. The
// WMI result codes (8004xxxx) have no text in the system's message table, so FormatMessageA
// fails for them and leaves its own error, 317, whose text ("The system cannot find message
// text for message number ...") the component used to show.

#include "base/Exception.h"
#include "wmi/ComApartment.h"
#include "wmi/DiskDriveInventory.h"
#include "wmi/WbemServices.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemdisp.h>

namespace {

constexpr std::uint32_t WbemInvalidNamespace = 0x8004100E;
constexpr CLSID ClsidSWbemLocator = {0x76A64158, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID IidISWbemLocator = {0x76A6415B, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};

// The disk drive inventory pointed at a namespace that does not exist.
class MissingNamespaceInventory : public TDiskDriveInventory {
public:
    using TDiskDriveInventory::TDiskDriveInventory;
    std::string GetNamespacePath() const override { return "root\\nonexistent"; }
};

// What the system's WMI answers, asked directly: the result code of the connect and the
// description the failing object left through the error-information mechanism (empty when it
// left none), without trailing blanks, control characters and full stops.
struct ConnectAnswer {
    HRESULT Result = S_OK;
    std::string Description;
};

ConnectAnswer ConnectDirectly(const wchar_t* nameSpace)
{
    ConnectAnswer answer;
    ISWbemLocator* locator = nullptr;
    answer.Result = CoCreateInstance(ClsidSWbemLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                     IidISWbemLocator, reinterpret_cast<void**>(&locator));
    if (FAILED(answer.Result))
        return answer;
    BSTR server = SysAllocString(L".");
    BSTR path = SysAllocString(nameSpace);
    ISWbemServices* services = nullptr;
    SetErrorInfo(0, nullptr);
    answer.Result = locator->ConnectServer(server, path, nullptr, nullptr, nullptr, nullptr, 0, nullptr, &services);
    IErrorInfo* info = nullptr;
    if (FAILED(answer.Result) && GetErrorInfo(0, &info) == S_OK && info) {
        BSTR description = nullptr;
        if (SUCCEEDED(info->GetDescription(&description)) && description)
            for (const wchar_t* c = description; *c; ++c)
                answer.Description += static_cast<char>(*c < 0x80 ? *c : '?');
        SysFreeString(description);
        info->Release();
    }
    while (!answer.Description.empty() &&
           (static_cast<unsigned char>(answer.Description.back()) <= ' ' || answer.Description.back() == '.'))
        answer.Description.pop_back();
    if (services)
        services->Release();
    SysFreeString(path);
    SysFreeString(server);
    locator->Release();
    return answer;
}

} // namespace

TEST(ConnectError, AMissingNamespaceSaysWhatFailed)
{
    const ComApartment com;

    const ConnectAnswer wmi = ConnectDirectly(L"root\\nonexistent");
    ASSERT_EQ(static_cast<std::uint32_t>(wmi.Result), WbemInvalidNamespace);

    MissingNamespaceInventory inventory(CreateSystemWbemServices());
    std::string message;
    try {
        inventory.SetActive(true);
        FAIL() << "the activation succeeded";
    } catch (const Exception& failure) {
        message = failure.Message;
    }
    EXPECT_EQ(message.find("cannot find message text"), std::string::npos) << message;
    // The COM error's own description where the failing object gives one, else the code.
    EXPECT_EQ(message, wmi.Description.empty() ? std::string("OLE error 8004100E") : wmi.Description)
        << "description left: \"" << wmi.Description << "\"";
    EXPECT_FALSE(inventory.Connected());
    EXPECT_TRUE(inventory.Active());
}

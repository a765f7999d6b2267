#include "wmi/WbemServices.h"

#include "base/Exception.h"
#include "base/Text.h"
#include "wmi/OleException.h"
#include "wmi/SysfsDiskDrives.h"

#include <unistd.h>

#include <climits>
#include <sstream>

namespace {

// The result codes the WMI service gives for the same refusals.
constexpr std::uint32_t WbemInvalidNamespace = 0x8004100E;
constexpr std::uint32_t WbemInvalidClass = 0x80041010;
constexpr std::uint32_t WbemInvalidQuery = 0x80041017;
constexpr std::uint32_t WbemInvalidQueryType = 0x80041018;
constexpr std::uint32_t RpcServerUnavailable = 0x800706BA;

std::string ComputerName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return UpperCase(name);
}

bool IsThisComputer(const std::string& host)
{
    return host.empty() || host == "." || SameText(host, "localhost") || SameText(host, ComputerName());
}

bool IsCimv2(const std::string& nameSpace)
{
    return SameText(ReplaceAll(nameSpace, "/", "\\"), "root\\cimv2");
}

// The class of "SELECT * FROM <class>", the one query form the stand-in answers; empty when
// the text has another form.
std::string SelectAllClass(const std::string& query)
{
    std::istringstream words(query);
    std::string select, star, from, className, rest;
    words >> select >> star >> from >> className;
    if (!SameText(select, "SELECT") || star != "*" || !SameText(from, "FROM") || className.empty() || (words >> rest))
        return {};
    return className;
}

// A refusal as the WMI service gives it: its result code, and a description of what failed.
[[noreturn]] void Refuse(const std::string& description, std::uint32_t code)
{
    throw EOleException(description, code, description);
}

// Stands in for the WMI service of this computer: Win32_DiskDrive in root\cimv2 answered from
// sysfs, in the object text form the real service writes.
class SysfsWbemServices : public WbemServices {
public:
    void ConnectServer(const std::string& host, const std::string& nameSpace) override
    {
        if (!IsThisComputer(host))
            Refuse("The RPC server is unavailable: only this computer's disks are known here", RpcServerUnavailable);
        if (!IsCimv2(nameSpace))
            Refuse("Invalid namespace: only root\\cimv2 is known here", WbemInvalidNamespace);
        connected_ = true;
    }

    void ExecQuery(const std::string& query, const std::string& language,
                   const std::function<void(std::string objectText)>& onObjectText) override
    {
        if (!connected_)
            throw Exception("Not connected to the WMI service");
        if (!SameText(language, "WQL"))
            Refuse("Invalid query type: " + language, WbemInvalidQueryType);
        const std::string className = SelectAllClass(query);
        if (className.empty())
            Refuse("Invalid query: " + query, WbemInvalidQuery);
        if (!SameText(className, "Win32_DiskDrive"))
            Refuse("Invalid class: only Win32_DiskDrive is known here", WbemInvalidClass);
        for (auto& text : RenderSysfsDiskDrives("/sys", ComputerName()))
            onObjectText(std::move(text));
    }

private:
    bool connected_ = false;
};

} // namespace

std::unique_ptr<WbemServices> CreateSystemWbemServices()
{
    return std::make_unique<SysfsWbemServices>();
}

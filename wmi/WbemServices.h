#pragma once

#include <functional>
#include <memory>
#include <string>

// The WMI service as the component uses it: a connection to one namespace of one computer and
// synchronous queries on it that give the object text of every instance. Texts are in the ANSI
// code page here; the back ends convert at the call. Failing calls raise Exception descendants
// (EOleException where a COM call failed).
class WbemServices {
public:
    virtual ~WbemServices() = default;
    WbemServices() = default;
    WbemServices(const WbemServices&) = delete;
    WbemServices& operator=(const WbemServices&) = delete;

    // Creates a locator and connects it to nameSpace on host ("." is this computer). A new
    // connection replaces the one held; a failed connect leaves the held one alone.
    virtual void ConnectServer(const std::string& host, const std::string& nameSpace) = 0;

    // Runs query in language on the held connection and hands the object text of each instance
    // to onObjectText as it is fetched, in the order of enumeration. When a step fails after
    // some instances, those were handed over already and the error is raised.
    virtual void ExecQuery(const std::string& query, const std::string& language,
                           const std::function<void(std::string objectText)>& onObjectText) = 0;
};

// The operating system's WMI: the scripting objects over COM on Windows, a stand-in rendered
// from sysfs on Linux.
std::unique_ptr<WbemServices> CreateSystemWbemServices();

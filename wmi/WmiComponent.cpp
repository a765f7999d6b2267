#include "wmi/WmiComponent.h"

#include "base/Exception.h"
#include "wmi/OleException.h"
#include "wmi/WbemServices.h"
#include "wmi/WmiSupport.h"

namespace {

// Code page 1252 texts: 0xCD is "Í", 0xED is "í".
const char* const NotConnected = "Componente no conectado...  (crear tipo espec\xED" "fico)";
const char* const NotActive = "Componente no activado...  (crear tipo espec\xED" "fico)";
const char* const IndexOutOfBounds = "\xCD" "ndice fuera de l\xED" "mites...  (crear tipo espec\xED" "fico)";

} // namespace

TWmiComponent::TWmiComponent(std::unique_ptr<WbemServices> services) : services_(std::move(services)) {}

TWmiComponent::~TWmiComponent() = default;

void TWmiComponent::ReadStoredSettings(const std::string& host, bool active)
{
    struct LoadingScope {
        bool& flag;
        explicit LoadingScope(bool& f) : flag(f) { flag = true; }
        ~LoadingScope() { flag = false; }
    } scope(loading_);
    SetHost(host);
    SetActive(active);
}

void TWmiComponent::SetActive(bool value)
{
    if (value)
        Activate();
    else
        Deactivate();
}

void TWmiComponent::Activate()
{
    if (OnBeforeActivate)
        OnBeforeActivate(*this);
    active_ = true;
    allProperties_.Clear();
    ConnectService();
    ExecuteQueryToList(*services_, GetQueryText(), allProperties_);
    objectsCount_ = allProperties_.Count();
    if (objectsCount_ < 1)
        return;
    objectIndex_ = 1;
    LoadProperties(objectIndex_);
    if (OnAfterActivate)
        OnAfterActivate(*this);
}

void TWmiComponent::Deactivate()
{
    if (OnBeforeDeactivate)
        OnBeforeDeactivate(*this);
    active_ = false;
    objectsCount_ = 0;
    objectIndex_ = 0;
    allProperties_.Clear();
    ResetProperties();
    if (OnAfterDeactivate)
        OnAfterDeactivate(*this);
}

void TWmiComponent::ConnectService()
{
    try {
        services_->ConnectServer(host_, GetNamespacePath());
    } catch (const EOleSysError& failure) {
        // What failed, in the COM error's own words, else its code. Not the system's text for
        // the thread's last error code, which belongs to whatever ran last: the lookup of a
        // message for a WMI code, which has none, leaves error 317 ("The system cannot find
        // message text for message number ...").
        connected_ = false;
        throw Exception(failure.Description.empty() ? OleErrorCodeText(failure.ErrorCode) : failure.Description);
    } catch (const std::exception& failure) {
        connected_ = false;
        throw Exception(failure.what());
    }
    connected_ = true;
}

void TWmiComponent::SetObjectIndex(int value)
{
    if (loading_ || value == objectIndex_)
        return;
    objectIndex_ = value;
    const char* refusal = nullptr;
    if (!connected_)
        refusal = NotConnected;
    else if (!active_)
        refusal = NotActive;
    else if (value < 1 || value > objectsCount_)
        refusal = IndexOutOfBounds;
    if (refusal) {
        objectIndex_ = 0;
        throw Exception(refusal);
    }
    LoadProperties(objectIndex_);
}

std::string TWmiComponent::GetComponentCaption()
{
    try {
        std::string value;
        bool isNull = true;
        GetPropertyValue(*this, "Caption", value, isNull);
        componentCaption_ = PropertyAsText(value, isNull);
    } catch (...) {
        componentCaption_.clear();
    }
    return componentCaption_;
}

std::string TWmiComponent::GetQueryText() const
{
    return "SELECT * FROM " + GetQueryClassName();
}

void TWmiComponent::ResetProperties()
{
    allProperties_.Clear();
}

void TWmiComponent::LoadProperties(int)
{
    ResetProperties();
}

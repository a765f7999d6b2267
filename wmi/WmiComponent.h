#pragma once

#include "base/StringList.h"

#include <functional>
#include <memory>
#include <string>

class TWmiComponent;
class WbemServices;

// A notification with the component as its sender; an empty one is not called.
using TNotifyEvent = std::function<void(TWmiComponent& sender)>;

// Reads every instance of one WMI class. Activation connects to the WMI service of Host, runs
// "SELECT * FROM <class>", keeps each instance's whole object text as one item of
// AllProperties and loads instance 1 into the descendant's typed properties; ObjectIndex
// selects another instance out of the stored texts without further WMI traffic. A descendant
// names the class and namespace and loads its properties.
//
// Every assignment of Active runs in full, even when it does not change the value.
class TWmiComponent {
public:
    // The component reaches WMI only through services, which it owns; its connection lives as
    // long as the component.
    explicit TWmiComponent(std::unique_ptr<WbemServices> services);
    virtual ~TWmiComponent();
    TWmiComponent(const TWmiComponent&) = delete;
    TWmiComponent& operator=(const TWmiComponent&) = delete;

    // What the owning window does with its stored settings while it is created: Host, then
    // Active are assigned with the loading flag set (so ObjectIndex assignments are ignored),
    // and the Active assignment runs in full. The main window's stored Active is false, so
    // this runs one deactivation, with the events that are set by then.
    void ReadStoredSettings(const std::string& host, bool active);
    bool Loading() const { return loading_; }

    // Activation: OnBeforeActivate, Active := true, AllProperties emptied, connect, query,
    // ObjectsCount; with at least one instance ObjectIndex := 1, LoadProperties(1) and
    // OnAfterActivate. Deactivation: OnBeforeDeactivate, Active := false, ObjectsCount and
    // ObjectIndex 0, AllProperties emptied, ResetProperties, OnAfterDeactivate.
    // A failed connect raises Exception with what failed: the COM error's own description
    // where the failing object gives one, else "OLE error " and the result code in eight
    // upper-case hexadecimal digits (the system text for the thread's last error code would
    // name an unrelated failure). Query errors pass out as they are.
    virtual void SetActive(bool value);
    bool Active() const { return active_; }

    // Ignored while loading or when unchanged; otherwise raises, after setting ObjectIndex to 0,
    // when the component was never connected, is not active, or value is outside 1..ObjectsCount,
    // and else loads that instance.
    void SetObjectIndex(int value);
    int ObjectIndex() const { return objectIndex_; }

    int ObjectsCount() const { return objectsCount_; }
    void SetObjectsCount(int value) { objectsCount_ = value; }

    const std::string& Host() const { return host_; }
    void SetHost(std::string value) { host_ = std::move(value); }

    const std::string& MSDNHelp() const { return msdnHelp_; }
    void SetMSDNHelp(std::string value) { msdnHelp_ = std::move(value); }

    // The current instance's Caption, kept in a cache; any error on the way empties the cache
    // and is not passed on.
    std::string GetComponentCaption();
    void SetComponentCaption(std::string value) { componentCaption_ = std::move(value); }

    // One object text per instance of the last activation, in the order of enumeration.
    TStringList& GetAllProperties() { return allProperties_; }
    const TStringList& GetAllProperties() const { return allProperties_; }

    // Set by a successful connect, cleared only by a failed one.
    bool Connected() const { return connected_; }

    virtual std::string GetQueryClassName() const = 0;
    // "SELECT * FROM " followed by the class name.
    virtual std::string GetQueryText() const;
    virtual std::string GetNamespacePath() const = 0;

    TNotifyEvent OnAfterDeactivate;
    TNotifyEvent OnAfterActivate;
    TNotifyEvent OnBeforeDeactivate;
    TNotifyEvent OnBeforeActivate;

protected:
    // Puts the typed properties back to zero, false and empty values; this version empties
    // AllProperties, so a descendant with properties replaces it.
    virtual void ResetProperties();
    // Called with index equal to ObjectIndex; this version resets the properties, a descendant
    // calls it first and then reads each property through GetPropertyValue.
    virtual void LoadProperties(int index);

private:
    void Activate();
    void Deactivate();
    void ConnectService();

    std::unique_ptr<WbemServices> services_;
    bool active_ = false;
    TStringList allProperties_;
    int objectsCount_ = 0;
    bool connected_ = false;
    std::string host_ = ".";
    int objectIndex_ = 0;
    std::string msdnHelp_;
    std::string componentCaption_;
    bool loading_ = false;
};

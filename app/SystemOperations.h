#pragma once

#include "app/RunOperations.h"

#include <memory>

// The real back ends the main window works with, owned by the window for its life: the disk
// inventory component (host ".", inactive at start), the HTTP client, this platform's SMART
// reader and the system clock.
class SystemOperations {
public:
    SystemOperations();
    ~SystemOperations();
    SystemOperations(const SystemOperations&) = delete;
    SystemOperations& operator=(const SystemOperations&) = delete;

    // The window's stored "inactive" state of the inventory, assigned once when the window is
    // created (it runs one deactivation, as every assignment does).
    void Loaded();
    RunOperations Operations();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

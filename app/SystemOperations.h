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
    // How long the upload waits for the server's next byte, in milliseconds; the window keeps
    // the client's own limit of 60 s, a test or a technician's run may shorten it.
    void SetUploadReadTimeout(int milliseconds);
    int UploadReadTimeout() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

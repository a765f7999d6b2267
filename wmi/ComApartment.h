#pragma once

// COM for the calling thread as a single-threaded apartment for the lifetime of the object, as
// the WMI scripting objects need it; nothing where there is no COM. A thread whose COM was set
// up differently already is left as it is.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_ = false;
};

#include "wmi/ComApartment.h"

#include <objbase.h>

ComApartment::ComApartment()
{
    // S_FALSE (already initialised the same way) also needs its own matching uninitialise.
    initialized_ = SUCCEEDED(CoInitialize(nullptr));
}

ComApartment::~ComApartment()
{
    if (initialized_)
        CoUninitialize();
}

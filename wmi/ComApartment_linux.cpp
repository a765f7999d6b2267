#include "wmi/ComApartment.h"

ComApartment::ComApartment() = default;

ComApartment::~ComApartment() = default;

#pragma once

#include <functional>

// The enumeration of a WMI object set, in the Windows back end. Declared apart so that tests can
// drive it with enumerators of their own; the COM interfaces stay opaque here.
struct IEnumVARIANT;
struct IUnknown;

// Hands each item of the enumerator to onItem, one at a time and in order, until the enumerator
// answers that the set has ended (S_FALSE). Any other answer raises EOleException with the
// failing call's text, and so does an item that is no object: a disk missing from the middle
// of the list must never pass for the end of it.
void ForEachEnumeratedItem(IEnumVARIANT& enumerator, const std::function<void(IUnknown& item)>& onItem);

#include "base/SystemLibrary.h"

// The dynamic linker looks neither beside the program nor in the current directory unless the
// environment of whoever starts it asks it to; there is no search to narrow here.
void RestrictLibrarySearchToSystem() {}

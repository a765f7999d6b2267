#pragma once

#include <Qt>

// Qt's key codes and modifiers as the window logic knows them: Windows virtual-key codes and
// the ssShift / ssAlt / ssCtrl flags. Keys the logic never asks about map to 0.
unsigned VirtualKeyOf(int qtKey);
unsigned ShiftStateOf(Qt::KeyboardModifiers modifiers);

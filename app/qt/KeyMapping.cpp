#include "app/qt/KeyMapping.h"

#include "app/Unit1.h"

unsigned VirtualKeyOf(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1_KEY + static_cast<unsigned>(qtKey - Qt::Key_F1);
    // Letters and digits have the same codes in both worlds.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<unsigned>(qtKey);
    return 0;
}

unsigned ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    unsigned shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    return shift;
}

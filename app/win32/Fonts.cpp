#include "app/win32/Fonts.h"

GdiObject<HFONT> CreateFontOf(const char* face, int characterHeight)
{
    // A negative height asks for the character height rather than the cell height.
    return GdiObject<HFONT>(CreateFontA(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, face));
}

GdiObject<HFONT> CreateFormFont()
{
    return CreateFontOf("MS Sans Serif", 11);
}

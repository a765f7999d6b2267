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

SIZE LabelTextExtent(HFONT font, const char* text, int width, bool wrapped)
{
    ScreenDc screen;
    const HGDIOBJ previous = SelectObject(screen.Get(), font);
    RECT bounds {0, 0, width, 0};
    DrawTextA(screen.Get(), text, -1, &bounds,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (wrapped ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(screen.Get(), previous);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

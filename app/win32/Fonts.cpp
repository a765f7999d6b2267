#include "app/win32/Fonts.h"

GdiObject<HFONT> CreateFontOf(const WindowDesign::Font& font)
{
    // A negative height asks for the character height rather than the cell height.
    return GdiObject<HFONT>(CreateFontA(-font.CharacterHeight, 0, 0, 0, font.Weight, FALSE, FALSE, FALSE,
                                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, font.Face));
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

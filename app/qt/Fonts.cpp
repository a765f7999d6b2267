#include "app/qt/Fonts.h"

#include <QStringList>

#include <string_view>

namespace {

// The design's face first, then the faces that stand in for it where it is not installed.
QStringList FacesFor(const char* face)
{
    if (std::string_view(face) == "Arial")
        return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                QStringLiteral("DejaVu Sans")};
    // Liberation Sans comes before DejaVu Sans: its narrower letters keep the labels within the
    // widths laid out for the original face.
    return {QString::fromLatin1(face), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
}

} // namespace

QFont QtFont(const WindowDesign::Font& font)
{
    QFont made;
    made.setFamilies(FacesFor(font.Face));
    made.setPixelSize(font.CharacterHeight);
    made.setWeight(static_cast<QFont::Weight>(font.Weight));
    return made;
}

QFont WindowFont()
{
    return QtFont(WindowDesign::FormFont);
}

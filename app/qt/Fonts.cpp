#include "app/qt/Fonts.h"

#include <QStringList>

namespace {

QFont FirstInstalled(const QStringList& families, int pixelHeight)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelHeight);
    return font;
}

} // namespace

QFont WindowFont()
{
    // Liberation Sans comes before DejaVu Sans: its narrower letters keep the labels within the
    // widths laid out for the original face.
    return FirstInstalled({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                           QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                           QStringLiteral("DejaVu Sans")},
                          11);
}

QFont ArialFont(int pixelHeight)
{
    return FirstInstalled({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                           QStringLiteral("DejaVu Sans")},
                          pixelHeight);
}

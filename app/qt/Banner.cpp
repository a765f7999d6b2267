#include "app/qt/Banner.h"

#include "app/banner/JpegImage.h"
#include "base/Exception.h"

#include <QFile>
#include <QImage>

QPixmap BannerPixmap()
{
    QFile file(QStringLiteral(":/banner.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("The banner picture is missing from the program");
    const QByteArray bytes = file.readAll();
    const RgbImage image =
        DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    const QImage view(image.Pixels.data(), image.Width, image.Height, image.Width * 3, QImage::Format_RGB888);
    // fromImage copies the pixels, so the decoded buffer may go when this returns.
    return QPixmap::fromImage(view);
}

#include "app/banner/JpegImage.h"

#include "base/Exception.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Escape;
    char Message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->Message);
    std::longjmp(manager->Escape, 1);
}

// Owns the decompressor so every way out releases it.
struct Decompressor {
    jpeg_decompress_struct Info {};
    ~Decompressor() { jpeg_destroy_decompress(&Info); }
};

} // namespace

RgbImage DecodeJpeg(const std::uint8_t* data, std::size_t size)
{
    Decompressor decompressor;
    ErrorManager errors {};
    RgbImage image;
    auto& info = decompressor.Info;
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = OnError;
    // libjpeg reports errors by longjmp back here; every object with a destructor already exists
    // at this point, so the jump skips none, and the exception is thrown only after it lands.
    if (setjmp(errors.Escape)) {
        throw Exception(std::string("Cannot decode the JPEG picture: ") + errors.Message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.Width = static_cast<int>(info.output_width);
    image.Height = static_cast<int>(info.output_height);
    image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.Pixels.data() + static_cast<std::size_t>(info.output_scanline) * image.Width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return image;
}

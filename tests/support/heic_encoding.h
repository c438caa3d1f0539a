#pragma once

// HEIC pictures made in the test itself with libheif (suites that include this link it).
#include <QByteArray>
#include <QImage>
#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <cstring>

namespace quill::testing {

namespace detail {
inline heif_error writeToByteArray(heif_context *, const void *data, size_t size, void *userdata)
{
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}
} // namespace detail

// `picture` as a lossless HEIC file (alpha dropped); empty when libheif has no encoder.
inline QByteArray encodedAsHeic(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    EXPECT_NE(encoder, nullptr) << "libheif has no HEVC encoder";
    QByteArray bytes;
    if (encoder) {
        heif_encoder_set_lossless(encoder, 1);
        heif_image *image = nullptr;
        heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width() * 3));
        heif_context_encode_image(context, image, encoder, nullptr, nullptr);
        heif_writer writer{1, &detail::writeToByteArray};
        heif_context_write(context, &writer, &bytes);
        heif_image_release(image);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return bytes;
}

} // namespace quill::testing

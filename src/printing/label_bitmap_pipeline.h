#pragma once

#include "common/error.h"
#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/orientation.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>

namespace quill {

class BandCrew;

// A label page that could not become printable PNG bytes. The print that needed it
// fails with this message; nothing is sent to the printer.
class LabelRenderError final : public Error
{
public:
    using Error::Error;
};

// Every printed label bitmap is drawn at this resolution.
inline constexpr qreal kLabelDotsPerInch = 300.0;
// In "Black & White", grey levels below this become black, the others white.
inline constexpr int kBlackAndWhiteThreshold = 180;

// 90 degrees for a portrait label on a medium that is not round, 180 otherwise.
int standardRotation(const LabelMedia &media, Orientation orientation);

// Grey for "Grayscale": the picture in shades of one neutral grey, as 8-bit grey.
// Gives back its input when there is nothing to convert.
QImage grayscaleImage(const QImage &image);
// Pure black and white for "Black & White": an 8-bit grey bitmap of only 0 and 255,
// black wherever the grey level is below 180. Gives back its input when there is
// nothing to convert.
QImage blackAndWhiteImage(const QImage &image);
// The picture turned counter-clockwise by 90, 180 or 270 degrees (90 and 270 swap
// width and height). Any other angle, or a null image, gives back the input.
QImage rotatedImage(const QImage &image, int degrees);
// The bitmap as the colour mode prints it ("Color" leaves it as it is).
QImage colorModeImage(const QImage &image, LabelColorMode mode);

// The page drawn at 300 dpi into a white label of exactly `labelInches` (W·300 by
// H·300 pixels), its content at the top left. Throws LabelRenderError for a size
// that is not finite, positive and at most LabelMedia::kMaxInches a side.
// With a `crew`, a big label is drawn in horizontal bands on the crew's threads, with the
// pixels of one drawing. `bands` > 0 asks for that many bands (comparisons); 0 leaves it
// to the label's size and the crew.
QImage renderLabelImage(const AnyLabelView &page, QSizeF labelInches, BandCrew *crew = nullptr,
                        int bands = 0);
// What is printed of a drawn page: the colour mode applied and the picture turned, as
// rotatedImage(colorModeImage(image, mode), degrees) gives it, and a "Black & White"
// bitmap packed one bit per pixel. An opaque drawing in grey or black and white is
// done in one pass over its pixels.
QImage printBitmap(const QImage &image, LabelColorMode mode, int degrees);

// PNG bytes of the bitmap, never empty. Throws LabelRenderError when encoding fails.
QByteArray encodePNG(const QImage &image);

// The whole run for one page: render, colour mode, rotate, encode.
// Throws LabelRenderError; never returns empty bytes.
// Bands (see renderLabelImage) are converted and turned on the thread that drew them.
QByteArray renderLabelPNG(const AnyLabelView &page, QSizeF labelInches, LabelColorMode mode,
                          int rotationDegrees, BandCrew *crew = nullptr, int bands = 0);
// The same on a medium and orientation: the label size rule and the standard rotation.
QByteArray renderLabelPNG(const AnyLabelView &page, const LabelMedia &media, Orientation orientation,
                          LabelColorMode mode, BandCrew *crew = nullptr);

} // namespace quill

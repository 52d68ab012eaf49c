// Image files: the picture read back from GL and written as PNG, JPEG or BMP.
// Each encoder works into memory; the file writers are thin wrappers that
// write a new file beside the target and rename it over the target only when
// every byte was written.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvra {

// A picture as RGBA bytes, rows from the bottom of the picture up, no padding.
struct ImageBuffer {
    std::vector<unsigned char> pixels;   // width * height * 4
    int width = 0;
    int height = 0;
    int componentCount = 3;              // components written: 3 RGB; 1 grey (JPEG), 4 RGBA (PNG)
    // What the files say about the picture where their format has a place:
    // the resolution (PNG pHYs, JPEG density, BMP pixels per metre; 0: not
    // known, as before) and one sentence describing it (UTF-8; PNG iTXt
    // "Description", JPEG comment).
    double dotsPerInch = 0;
    std::string description;
};

// The largest side of a picture, drawn in tiles where the driver takes less.
inline constexpr int kMaxPictureSide = 16384;

// Svg, Pdf and Eps are vector pictures: drawn again through GL feedback, not
// encoded from pixels (output/vectorPicture.h).
enum class ImageFormat { Png, Jpeg, Bmp, Svg, Pdf, Eps };

// The format and the path actually written, by the extension rules: .png,
// .bmp, .jpg/.jpeg, .svg, .pdf, .eps (any case); anything else writes PNG with
// the extension replaced (or added) by ".png". A name that is a folder ("dir/",
// ".", "..", a folder that is there) or names an existing device or FIFO is
// kept as it is, as PNG: the writer then refuses the folder and writes
// through the device.
ImageFormat imageFormatFor(const std::string& path, std::string* pathWritten);
// The format the extension names, by the same rules; nothing for any other
// extension or none (the command line refuses those rather than guess).
std::optional<ImageFormat> imageFormatOfExtension(const std::string& path);
// A format by its name ("png", "jpeg" or "jpg", "bmp", "svg", "pdf", "eps"; any case).
std::optional<ImageFormat> imageFormatNamed(std::string_view name);
// The usual extension of a format, with its dot (".png", ".jpg", ...).
const char* imageFormatExtension(ImageFormat format);
// Every format name imageFormatNamed takes, for messages and help texts: "png, jpeg, bmp, svg, pdf, eps".
inline constexpr const char* kImageFormatNames = "png, jpeg, bmp, svg, pdf, eps";
inline bool isVectorFormat(ImageFormat f) { return f == ImageFormat::Svg || f == ImageFormat::Pdf || f == ImageFormat::Eps; }

// The time pictures carry (PNG tIME, the dates of PDF, SVG and EPS):
// SOURCE_DATE_EPOCH when it is set to a number, so that two runs give the
// same bytes, else now.
std::time_t pictureTime();

// Writes the picture as the image file the extension names. False, errno
// set, when the file could not be written, and for the vector formats, which
// are not made from pixels.
bool writeImageFile(const ImageBuffer& image, const std::string& path);
bool writePngFile(const std::string& path, const ImageBuffer& image);
bool writeJpegFile(const std::string& path, const ImageBuffer& image, int quality);
bool writeBmpFile(const std::string& path, const ImageBuffer& image);

// In-memory encoders; `title` is the text of the PNG "Title" chunk.
bool encodePng(const ImageBuffer& image, const std::string& title, std::string* out);
bool encodeJpeg(const ImageBuffer& image, int quality, std::string* out);
bool encodeBmp(const ImageBuffer& image, std::string* out);
// The encoder of a raster format (JPEG at quality 90); false for the vector formats.
bool encodeImage(const ImageBuffer& image, ImageFormat format, const std::string& title, std::string* out);

// encodePng deflates the image data on every core in bands of whole rows: the
// rows in each band but the last, for a picture of width x height pixels of
// `components` channels (an eighth of the rows' bytes, held between 256 KiB
// and 4 MiB, or a row). The cut depends on the picture alone: the same picture
// gives the same file on any machine.
int pngBandRows(int width, int height, int components);

// Reads width x height pixels of the current framebuffer into an ImageBuffer;
// false, errno set, for a size out of range or when memory runs out.
bool readPicture(int width, int height, ImageBuffer* image);
// Reads width x height pixels of the current framebuffer into `image` (made
// already) with their bottom-left corner at (x, y): one tile of a picture.
void readTile(int x, int y, int width, int height, ImageBuffer* image);

}  // namespace kelvra

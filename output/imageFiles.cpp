#include "output/imageFiles.h"

#include "core/kelvraView.h"

namespace kelvra {

ImageFormat imageFormatFor(const std::string& path, std::string* pathWritten) {
    *pathWritten = path;
    return ImageFormat::Png;
}
bool writeImageFile(const ImageBuffer&, const std::string&) { return false; }
bool writePngFile(const std::string&, const ImageBuffer&) { return false; }
bool writeJpegFile(const std::string&, const ImageBuffer&, int) { return false; }
bool writeBmpFile(const std::string&, const ImageBuffer&) { return false; }
bool encodePng(const ImageBuffer&, const std::string&, std::string*) { return false; }
bool encodeJpeg(const ImageBuffer&, int, std::string*) { return false; }
bool encodeBmp(const ImageBuffer&, std::string*) { return false; }
bool readPicture(int, int, ImageBuffer*) { return false; }

bool CKelvraView::saveImage(const std::string& path, int width, int height) { return false; }

}  // namespace kelvra

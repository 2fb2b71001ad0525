#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace geoframe::tools {

// A minimal little-endian EXIF block (APP1 payload from "Exif\0\0" on) holding
// the orientation (tag 274) and, when exifDateTime ("YYYY:MM:DD HH:MM:SS") is
// not empty, the shooting time (tag 36867).
std::vector<std::uint8_t> MakeExifPayload(const std::string& exifDateTime, int orientation);

// The JPEG stream with an APP1 EXIF segment put right after its SOI marker.
std::vector<std::uint8_t> InsertExif(std::span<const std::uint8_t> jpeg, const std::string& exifDateTime,
                                     int orientation);

// A colourful pattern of gradients and fine stripes (varied by seed) as RGB rows.
std::vector<std::uint8_t> SamplePixels(int width, int height, unsigned seed);

// A JPEG of the pattern at quality 90, with an EXIF block when exifDateTime is
// not empty or orientation is not 1.
std::vector<std::uint8_t> MakeSamplePhoto(int width, int height, unsigned seed,
                                          const std::string& exifDateTime = "", int orientation = 1);

// How a sample JPEG is coded: baseline with 4:2:0, 4:2:2 or full chroma, as
// cameras write, or progressive (the libjpeg scan script: ten scans for
// colour) with 4:2:0 or full chroma.
enum class JpegCoding { Baseline420, Baseline422, Baseline444, Progressive420, Progressive444 };

// RGB rows (tightly packed) as a JPEG of that coding at quality 90.
std::vector<std::uint8_t> EncodeSampleJpeg(std::span<const std::uint8_t> rgb, int width, int height,
                                           JpegCoding coding);

// Four-byte CMYK pixels as a YCCK JPEG with an Adobe marker, at quality 100
// without chroma subsampling. The values are stored as given: as Photoshop
// stores them, pass them inverted (255 for no ink).
std::vector<std::uint8_t> EncodeYcckJpeg(std::span<const std::uint8_t> cmyk, int width, int height);

// A valid baseline grey JPEG of any size up to 65500 x 65500, every pixel mid
// grey, in two bits an 8 x 8 block: photos of hundreds of megapixels for tests,
// without encoding one.
std::vector<std::uint8_t> MakeFlatGreyJpeg(int width, int height);

// Hostile forms of a stream, for tests and benchmarks of what the decoder refuses:

// The stream with its frame header (SOF0, SOF1 or SOF2) claiming another size.
std::vector<std::uint8_t> WithDeclaredSize(std::vector<std::uint8_t> jpeg, int width, int height);

// A progressive stream of a picture up to 16 x 16 whose luminance is component 1
// (as TurboJPEG and cjpeg write) with `extra` scans added before its end. Each
// is a full-precision pass over the luminance AC coefficients with its own
// Huffman table (one symbol, end of block, coded "0"): it changes nothing and
// draws no warning, so only a limit on scans stops a stream of many.
std::vector<std::uint8_t> WithExtraScans(const std::vector<std::uint8_t>& progressive, int extra);

}  // namespace geoframe::tools

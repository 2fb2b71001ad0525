#include "output/jpeg_decoder.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>  // min
#include <csetjmp>
#include <cstring>  // memcpy
#include <functional>
#include <memory>
#include <string>
#include <utility>  // move
#include <vector>

#include "output/mapped_memory.h"
#include "output/output_error.h"

// Decoding goes through libjpeg's own interface rather than TurboJPEG's: only
// there can a decoder tell a warning that loses pixels (a stream cut short, a
// bad Huffman code) from one that loses nothing (stray bytes before a marker),
// stop at the first of the former, count scans, and hand rows on in strips.

namespace geoframe {

namespace {

// libjpeg's error manager, extended by what stopped a decode. libjpeg leaves
// its calls by a jump back into Guarded on any error and on every warning
// that means pixels would be made up.
struct Errors {
  jpeg_error_mgr manager;  // first: libjpeg's pointer to it is a pointer to this
  std::jmp_buf jump;
  bool pastHeader = false;    // the header is read: warnings now concern compressed data
  bool endedEarly = false;    // the stream ended without its end-of-image marker
  bool fatal = false;         // an error, not a warning
  bool tooManyScans = false;  // stopped by the scan limit
  int code = 0;               // libjpeg's message code
  char text[JMSG_LENGTH_MAX] = {};
};

Errors& ErrorsOf(j_common_ptr info) { return *reinterpret_cast<Errors*>(info->err); }

[[noreturn]] void Stop(j_common_ptr info) {
  Errors& errors = ErrorsOf(info);
  errors.code = info->err->msg_code;
  (*info->err->format_message)(info, errors.text);
  std::longjmp(errors.jump, 1);
}

void OnError(j_common_ptr info) {
  ErrorsOf(info).fatal = true;
  Stop(info);
}

// Warnings after which every pixel is still the one the file encodes. Stray
// bytes before a marker, which some cameras write between header segments,
// are skipped; after the header they are compressed data the decoder did not
// take, which it only leaves behind when it read bad codes as zeros.
bool LosesNothing(int code, bool pastHeader) {
  switch (code) {
    case JWRN_EXTRANEOUS_DATA: return !pastHeader;
    case JWRN_JFIF_MAJOR:       // an unknown JFIF version
    case JWRN_ADOBE_XFORM:      // an unknown Adobe colour transform, read as YCbCr
    case JWRN_BOGUS_ICC:        // a broken ICC profile, which is not used
    case JWRN_NOT_SEQUENTIAL:   // odd scan parameters in a sequential stream, ignored
      return true;
    default:
      return false;
  }
}

void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace texts
  Errors& errors = ErrorsOf(info);
  const int code = info->err->msg_code;
  // A stream that ends without its end-of-image marker once its header is
  // read lacks nothing when every row is decoded from data it holds: libjpeg
  // warns of data it runs short of as it needs it, and the decoder judges the
  // missing scans when it is done (WholeStreamRead).
  if (code == JWRN_JPEG_EOF && errors.pastHeader) {
    if (!errors.endedEarly) (*info->err->format_message)(info, errors.text);
    errors.endedEarly = true;
    return;
  }
  if (LosesNothing(code, errors.pastHeader)) return;
  Stop(info);
}

void OnOutput(j_common_ptr) {}  // libjpeg would print to stderr

// libjpeg calls this while it absorbs the scans of a multi-scan stream.
void OnProgress(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= kMaxJpegScans) return;
  Errors& errors = ErrorsOf(info);
  errors.tooManyScans = true;
  std::longjmp(errors.jump, 1);
}

// Hands libjpeg a stream in memory in the pieces of kSourcePiece bytes its
// reader of files takes. libjpeg decodes with a fast path while a large part
// of a piece lies ahead, and that path reads a bad Huffman code as zeros
// without a warning; handed the whole stream at once it takes that path
// nearly throughout, and a corrupt photo decodes without a word. In pieces it
// warns of what it warns of reading the file.
constexpr std::size_t kSourcePiece = 4096;

struct PieceSource {
  jpeg_source_mgr manager{};  // first: libjpeg's pointer to it is a pointer to this
  std::span<const std::uint8_t> jpeg;
  std::size_t next = 0;  // where the next piece starts
};

PieceSource& SourceOf(j_decompress_ptr info) { return *reinterpret_cast<PieceSource*>(info->src); }

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

// The next piece; past the end a warning and an end-of-image marker, as
// libjpeg's own readers do.
boolean NextPiece(j_decompress_ptr info) {
  PieceSource& source = SourceOf(info);
  if (source.next >= source.jpeg.size()) {
    static constexpr JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};
    WARNMS(info, JWRN_JPEG_EOF);
    source.manager.next_input_byte = kEndOfImage;
    source.manager.bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
  }
  const std::size_t size = std::min(kSourcePiece, source.jpeg.size() - source.next);
  source.manager.next_input_byte = source.jpeg.data() + source.next;
  source.manager.bytes_in_buffer = size;
  source.next += size;
  return TRUE;
}

void SkipBytes(j_decompress_ptr info, long count) {
  jpeg_source_mgr& manager = SourceOf(info).manager;
  if (count <= 0) return;
  while (static_cast<std::size_t>(count) > manager.bytes_in_buffer) {
    count -= static_cast<long>(manager.bytes_in_buffer);
    NextPiece(info);
  }
  manager.next_input_byte += count;
  manager.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void UsePieces(PieceSource& source, std::span<const std::uint8_t> jpeg) {
  source.jpeg = jpeg;
  source.manager.init_source = StartSource;
  source.manager.fill_input_buffer = NextPiece;
  source.manager.skip_input_data = SkipBytes;
  source.manager.resync_to_restart = jpeg_resync_to_restart;
  source.manager.term_source = EndSource;
}

// Runs libjpeg calls; false when libjpeg left them by a jump. Nothing with a
// destructor may live inside `step`: the jump would skip it.
template <typename Step>
bool Guarded(Errors& errors, Step&& step) {
  if (setjmp(errors.jump) != 0) return false;
  step();
  return true;
}

bool Unsupported(int code) {
  switch (code) {
    case JERR_BAD_PRECISION:
    case JERR_SOF_UNSUPPORTED:
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_BAD_J_COLORSPACE:
    case JERR_CCIR601_NOTIMPL:
      return true;
    default:
      return false;
  }
}

// What stopped libjpeg, as the kind a caller acts on.
OutputErrorKind KindOf(const Errors& errors, bool readingHeader) {
  if (errors.tooManyScans || !errors.fatal) return OutputErrorKind::Damaged;
  if (errors.code == JERR_OUT_OF_MEMORY) return OutputErrorKind::OutOfMemory;
  if (errors.code == JERR_EMPTY_IMAGE) return OutputErrorKind::NoPixels;
  if (errors.code == JERR_IMAGE_TOO_BIG || errors.code == JERR_WIDTH_OVERFLOW ||
      errors.code == JERR_NO_BACKING_STORE) {
    return OutputErrorKind::TooLarge;
  }
  if (Unsupported(errors.code)) return OutputErrorKind::Unsupported;
  return readingHeader ? OutputErrorKind::NotJpeg : OutputErrorKind::Damaged;
}

// The decoder's coefficients of the whole picture, which libjpeg keeps for a
// progressive stream and for one whose first scan lacks a component.
std::int64_t CoefficientBytes(const jpeg_decompress_struct& info) {
  if (!info.progressive_mode && info.comps_in_scan >= info.num_components) return 0;
  auto roundUp = [](std::int64_t value, std::int64_t step) { return (value + step - 1) / step * step; };
  std::int64_t bytes = 0;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    bytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
             roundUp(component.height_in_blocks, component.v_samp_factor) *
             static_cast<std::int64_t>(sizeof(JBLOCK));
  }
  return bytes;
}

// The most memory libjpeg may take for whole-picture coefficients: a last
// guard only, as callers refuse what their budget cannot hold before decoding.
constexpr long kMaxCoefficientMemory = 1L << 30;

// The largest picture DecodeJpeg and DecodeJpegAtLeast hold whole.
constexpr std::int64_t kMaxPictureBytes = std::int64_t{1} << 30;

// A libjpeg decompressor, destroyed with its owner (also when the owner's
// constructor throws; destroying one never created is harmless).
struct Decompression {
  jpeg_decompress_struct info{};
  Decompression() = default;
  Decompression(const Decompression&) = delete;
  Decompression& operator=(const Decompression&) = delete;
  ~Decompression() { jpeg_destroy_decompress(&info); }
};

// One libjpeg decompressor over a stream in memory, its header read.
class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> jpeg) {
    info_.err = jpeg_std_error(&errors_.manager);
    errors_.manager.error_exit = OnError;
    errors_.manager.emit_message = OnMessage;
    errors_.manager.output_message = OnOutput;
    progress_.progress_monitor = OnProgress;
    UsePieces(source_, jpeg);
    Run(true, [&] {
      jpeg_create_decompress(&info_);  // clears everything but the error manager
      info_.progress = &progress_;
      info_.mem->max_memory_to_use = kMaxCoefficientMemory;
      info_.src = &source_.manager;
      jpeg_read_header(&info_, TRUE);
    });
    errors_.pastHeader = true;
  }

  JpegHeader Header() const {
    JpegHeader header;
    header.size = {static_cast<int>(info_.image_width), static_cast<int>(info_.image_height)};
    header.cmyk = IsCmyk();
    header.asStored = AsStored();
    header.grey = header.asStored && info_.num_components == 1;
    if (header.asStored && !header.grey) {
      header.sampling = {info_.max_h_samp_factor / info_.comp_info[1].h_samp_factor,
                         info_.max_v_samp_factor / info_.comp_info[1].v_samp_factor};
    }
    // Strips of up to four bytes a pixel three times over (decoded, converted,
    // resampled), or libjpeg's rows of every component for upsampling; each
    // of the three in memory that may be rounded up to whole huge pages.
    const std::int64_t rowBytes = std::int64_t{info_.image_width} * std::max(info_.num_components, 4);
    header.decoderBytes = CoefficientBytes(info_) + 3 * (rowBytes * kJpegStripRows + std::int64_t{kHugePageBytes});
    return header;
  }
  bool IsCmyk() const { return info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK; }
  const jpeg_decompress_struct& Info() const { return info_; }

  // Whether libjpeg can hand the planes on as stored: grey, or Y, Cb and Cr
  // where luma has the largest sampling factors, at most 2 each, and the two
  // chroma components share theirs (so chroma is sampled every 1 or 2 pixels).
  bool AsStored() const {
    if (info_.max_h_samp_factor > 2 || info_.max_v_samp_factor > 2) return false;
    if (info_.jpeg_color_space == JCS_GRAYSCALE) return info_.num_components == 1;
    if (info_.jpeg_color_space != JCS_YCbCr || info_.num_components != 3) return false;
    const jpeg_component_info* c = info_.comp_info;
    return c[0].h_samp_factor == info_.max_h_samp_factor && c[0].v_samp_factor == info_.max_v_samp_factor &&
           c[1].h_samp_factor == c[2].h_samp_factor && c[1].v_samp_factor == c[2].v_samp_factor;
  }

  // Starts decoding the planes as stored, at full size.
  void StartStored() {
    Run(false, [&] {
      info_.raw_data_out = TRUE;
      info_.out_color_space = info_.jpeg_color_space;
      jpeg_start_decompress(&info_);
    });
  }

  // Decodes the next row of MCUs into `planes`, each component's
  // v_samp_factor x 8 rows of whole blocks.
  void ReadStoredRows(JSAMPIMAGE planes) {
    JDIMENSION got = 0;
    const auto rows = static_cast<JDIMENSION>(info_.max_v_samp_factor * DCTSIZE);
    Run(false, [&] { got = jpeg_read_raw_data(&info_, planes, rows); });
    // a stream in memory never suspends
    if (got == 0) throw OutputError(OutputErrorKind::Damaged, OutputError::Fields{});
    FinishAfterLastRow();
  }

  // Starts decoding at scale/8 of the stored size: RGB, or CMYK for ink
  // components. A multi-scan stream is read to its end here.
  void Start(int eighths) {
    Run(false, [&] {
      info_.out_color_space = IsCmyk() ? JCS_CMYK : JCS_EXT_RGB;
      info_.scale_num = static_cast<unsigned>(eighths);
      info_.scale_denom = 8;
      jpeg_start_decompress(&info_);
    });
  }
  int Width() const { return static_cast<int>(info_.output_width); }
  int Height() const { return static_cast<int>(info_.output_height); }
  int NextRow() const { return static_cast<int>(info_.output_scanline); }
  int Channels() const { return info_.out_color_components; }

  // Decodes the next rows into `rows`; at most `count`, at least one.
  int ReadRows(JSAMPROW* rows, int count) {
    JDIMENSION got = 0;
    Run(false, [&] { got = jpeg_read_scanlines(&info_, rows, static_cast<JDIMENSION>(count)); });
    if (got == 0) throw OutputError(OutputErrorKind::Damaged, OutputError::Fields{});  // a stream in memory never suspends
    FinishAfterLastRow();
    return static_cast<int>(got);
  }

  // The output size at scale/8, as libjpeg rounds it.
  PixelSize ScaledSize(int eighths) {
    Run(false, [&] {
      info_.scale_num = static_cast<unsigned>(eighths);
      info_.scale_denom = 8;
      jpeg_calc_output_dimensions(&info_);
    });
    return {Width(), Height()};
  }

 private:
  // Once every row is decoded, reads the rest of the stream up to its
  // end-of-image marker: compressed data left over after the last row is
  // damage too.
  void FinishAfterLastRow() {
    if (NextRow() < Height()) return;
    Run(false, [&] { jpeg_finish_decompress(&info_); });
  }

  // Whether a stream that ended without its end-of-image marker held every
  // scan: a single scan of all components, whose rows libjpeg warns of when
  // data runs short, or progressive scans that brought every coefficient to
  // its last bit. A stream of several sequential scans cut at a scan's end
  // cannot be told from a whole one and counts as cut.
  bool WholeStreamRead() const {
    if (info_.progressive_mode) {
      if (info_.coef_bits == nullptr) return false;
      for (int c = 0; c < info_.num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
          if (info_.coef_bits[c][k] != 0) return false;
        }
      }
      return true;
    }
    return info_.input_scan_number == 1 && info_.comps_in_scan == info_.num_components;
  }

  // Runs one step of libjpeg calls and throws what stopped them. A stream
  // found to end early is judged in the step that found it, while libjpeg
  // still holds what it read.
  template <typename Step>
  void Run(bool readingHeader, Step&& step) {
    const bool endedBefore = errors_.endedEarly;
    if (Guarded(errors_, step)) {
      if (!errors_.endedEarly || endedBefore || WholeStreamRead()) return;
    }
    OutputError::Fields fields;
    fields.detail = errors_.tooManyScans ? "more than " + std::to_string(kMaxJpegScans) + " scans"
                                         : std::string(errors_.text);
    fields.width = static_cast<int>(info_.image_width);
    fields.height = static_cast<int>(info_.image_height);
    throw OutputError(KindOf(errors_, readingHeader), std::move(fields));
  }

  Errors errors_;
  jpeg_progress_mgr progress_{};
  PieceSource source_;
  Decompression session_;  // last, so it goes first
  jpeg_decompress_struct& info_ = session_.info;
};

// Inks to light. Adobe's programs (and most others) store CMYK inverted, 255
// meaning no ink, so each stored value is the light its ink lets through and
// red is C x K / 255 of them (likewise M and Y). Converts `count` four-byte
// pixels into three-byte ones at the start of the same row.
void InksToRgb(std::uint8_t* row, int count) {
  const std::uint8_t* from = row;
  for (int x = 0; x < count; ++x, from += 4, row += 3) {
    const unsigned k = from[3];
    row[0] = static_cast<std::uint8_t>((from[0] * k + 127) / 255);
    row[1] = static_cast<std::uint8_t>((from[1] * k + 127) / 255);
    row[2] = static_cast<std::uint8_t>((from[2] * k + 127) / 255);
  }
}

// Receives decoded RGB rows: `rows` rows from stored row `firstRow` on, each
// `pitch` bytes after the one before.
using RgbStripSink = std::function<void(const std::uint8_t* rgb, int pitch, int firstRow, int rows)>;

// Hands every remaining row to `sink` in strips of kJpegStripRows, as RGB.
void ReadStrips(Decoder& decoder, const RgbStripSink& sink) {
  const int channels = decoder.Channels();
  const int pitch = decoder.Width() * channels;
  std::vector<std::uint8_t> strip(static_cast<std::size_t>(pitch) * kJpegStripRows);
  JSAMPROW rows[kJpegStripRows];
  while (decoder.NextRow() < decoder.Height()) {
    const int first = decoder.NextRow();
    const int count = std::min(kJpegStripRows, decoder.Height() - first);
    for (int i = 0; i < count; ++i) rows[i] = strip.data() + static_cast<std::size_t>(i) * pitch;
    for (int done = 0; done < count;) done += decoder.ReadRows(rows + done, count - done);
    if (channels == 4) {
      for (int i = 0; i < count; ++i) InksToRgb(rows[i], decoder.Width());
    }
    sink(strip.data(), pitch, first, count);
  }
}

// Decodes every remaining row into the caller's rows: straight for RGB, through
// a strip for inks.
void ReadInto(Decoder& decoder, std::uint8_t* rgb, int pitch) {
  auto rowAt = [&](int y) { return rgb + static_cast<std::size_t>(y) * pitch; };
  if (decoder.Channels() == 4) {
    const std::size_t rowBytes = static_cast<std::size_t>(decoder.Width()) * 3;
    ReadStrips(decoder, [&](const std::uint8_t* strip, int stripPitch, int first, int count) {
      for (int i = 0; i < count; ++i) std::memcpy(rowAt(first + i), strip + i * stripPitch, rowBytes);
    });
    return;
  }
  constexpr int kRowsAtOnce = 16;
  JSAMPROW rows[kRowsAtOnce];
  while (decoder.NextRow() < decoder.Height()) {
    const int first = decoder.NextRow();
    const int count = std::min(kRowsAtOnce, decoder.Height() - first);
    for (int i = 0; i < count; ++i) rows[i] = rowAt(first + i);
    decoder.ReadRows(rows, count);
  }
}

// One component's rows of a strip, as libjpeg writes them: whole blocks.
struct StripPlane {
  std::ptrdiff_t pitch = 0;
  std::uint8_t* samples = nullptr;
  std::vector<JSAMPROW> rows;
};

// Hands every row to `sink` in strips of kJpegStripRows, planes as stored.
// A strip is a whole number of MCU rows (8 or 16 luma rows each). Given
// `lumaInto`, luma goes straight there, and the strips hold chroma alone.
void ReadStoredStrips(Decoder& decoder, ChromaSampling sampling, const YccStripSink& sink, PlaneRows lumaInto = {}) {
  const jpeg_decompress_struct& info = decoder.Info();
  const int groupRows = info.max_v_samp_factor * DCTSIZE;
  const bool ownLuma = lumaInto.data == nullptr;
  std::vector<StripPlane> planes(static_cast<std::size_t>(info.num_components));
  std::size_t bytes = 0;
  for (int c = 0; c < info.num_components; ++c) {
    const int rows = c == 0 && !ownLuma ? 0 : kJpegStripRows * info.comp_info[c].v_samp_factor / info.max_v_samp_factor;
    planes[c].pitch = info.comp_info[c].width_in_blocks * DCTSIZE;
    planes[c].rows.resize(static_cast<std::size_t>(rows));
    bytes += static_cast<std::size_t>(planes[c].pitch) * planes[c].rows.size();
  }
  // The strips of all components in one mapping, which huge pages back.
  const MappedMemory memory(bytes);
  std::uint8_t* next = memory.data();
  for (StripPlane& plane : planes) {
    plane.samples = next;
    for (JSAMPROW& row : plane.rows) {
      row = next;
      next += plane.pitch;
    }
  }
  std::vector<JSAMPROW> lumaRows(static_cast<std::size_t>(groupRows));
  JSAMPARRAY groups[3] = {};
  while (decoder.NextRow() < decoder.Height()) {
    const int first = decoder.NextRow();
    const int count = std::min(kJpegStripRows, decoder.Height() - first);
    for (int done = 0; done < count; done += groupRows) {
      for (int c = 0; c < info.num_components; ++c) {
        groups[c] = planes[c].rows.data() + done * info.comp_info[c].v_samp_factor / info.max_v_samp_factor;
      }
      if (!ownLuma) {
        for (int r = 0; r < groupRows; ++r) lumaRows[static_cast<std::size_t>(r)] = lumaInto.row(first + done + r);
        groups[0] = lumaRows.data();
      }
      decoder.ReadStoredRows(groups);
    }
    YccStrip strip;
    strip.firstRow = first;
    strip.rows = count;
    strip.y = ownLuma ? planes[0].samples : nullptr;
    strip.yPitch = planes[0].pitch;
    if (planes.size() == 3) {
      strip.cb = planes[1].samples;
      strip.cr = planes[2].samples;
      strip.chromaPitch = planes[1].pitch;
      strip.sampling = sampling;
    }
    sink(strip);
  }
}

// Hands every row to `sink` in strips of kJpegStripRows, decoded to RGB and
// converted, with full chroma.
void ReadConvertedStrips(Decoder& decoder, const YccStripSink& sink) {
  const int width = decoder.Width();
  const std::size_t stripBytes = static_cast<std::size_t>(width) * kJpegStripRows;
  std::vector<std::uint8_t> y(stripBytes), cb(stripBytes), cr(stripBytes);
  ReadStrips(decoder, [&](const std::uint8_t* rgb, int pitch, int first, int count) {
    for (int i = 0; i < count; ++i) {
      const std::size_t at = static_cast<std::size_t>(i) * width;
      RgbToYcc(rgb + static_cast<std::ptrdiff_t>(i) * pitch, width, y.data() + at, cb.data() + at, cr.data() + at);
    }
    sink(YccStrip{first, count, y.data(), width, cb.data(), cr.data(), width, ChromaSampling{1, 1}});
  });
}

RgbImage ReadImage(Decoder& decoder) {
  if (std::int64_t{decoder.Width()} * decoder.Height() * 3 > kMaxPictureBytes) {
    OutputError::Fields fields;
    fields.width = decoder.Width();
    fields.height = decoder.Height();
    throw OutputError(OutputErrorKind::TooLarge, std::move(fields));
  }
  RgbImage image;
  image.width = decoder.Width();
  image.height = decoder.Height();
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  ReadInto(decoder, image.pixels.data(), image.width * 3);
  return image;
}

// The smallest number of eighths whose scaled size still covers the minimum.
int EighthsCovering(Decoder& decoder, int minWidth, int minHeight) {
  for (int eighths = 1; eighths < 8; ++eighths) {
    const PixelSize scaled = decoder.ScaledSize(eighths);
    if (scaled.width >= minWidth && scaled.height >= minHeight) return eighths;
  }
  return 8;
}

// Decodes every row as stored, a row of MCUs at a time, where `place` says
// (DecodeJpegStoredRows).
void ReadStoredRowsAt(Decoder& decoder, const StoredRowsPlace& place, const std::function<void(int decoded)>& decoded) {
  decoder.StartStored();
  const jpeg_decompress_struct& info = decoder.Info();
  std::vector<JSAMPROW> rows[3];
  JSAMPARRAY groups[3] = {};
  const int groupRows = info.max_v_samp_factor * DCTSIZE;
  while (decoder.NextRow() < decoder.Height()) {
    const int group = decoder.NextRow() / groupRows;
    for (int c = 0; c < info.num_components; ++c) {
      const int count = info.comp_info[c].v_samp_factor * DCTSIZE;
      rows[c].resize(static_cast<std::size_t>(count));
      place(c, group * count, count, rows[c].data());
      groups[c] = rows[c].data();
    }
    decoder.ReadStoredRows(groups);
    decoded(decoder.NextRow());
  }
}

OutputError::Fields Detail(std::string detail) {
  OutputError::Fields fields;
  fields.detail = std::move(detail);
  return fields;
}

}  // namespace

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> jpeg) { return Decoder(jpeg).Header(); }

PixelSize ReadJpegSize(std::span<const std::uint8_t> jpeg) { return ReadJpegHeader(jpeg).size; }

RgbImage DecodeJpegAtLeast(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight) {
  Decoder decoder(jpeg);
  decoder.Start(EighthsCovering(decoder, minWidth, minHeight));
  return ReadImage(decoder);
}

std::int64_t DecodeAtLeastBytes(std::span<const std::uint8_t> jpeg, int minWidth, int minHeight) {
  Decoder decoder(jpeg);
  const std::int64_t decoderBytes = decoder.Header().decoderBytes;
  const PixelSize scaled = decoder.ScaledSize(EighthsCovering(decoder, minWidth, minHeight));
  return decoderBytes + std::int64_t{scaled.width} * scaled.height * 3;
}

RgbImage DecodeJpeg(std::span<const std::uint8_t> jpeg) {
  Decoder decoder(jpeg);
  decoder.Start(8);
  return ReadImage(decoder);
}

void DecodeJpegYccStrips(std::span<const std::uint8_t> jpeg, const YccStripSink& sink) {
  Decoder decoder(jpeg);
  const JpegHeader header = decoder.Header();
  if (header.asStored) {
    decoder.StartStored();
    ReadStoredStrips(decoder, header.sampling, sink);
    return;
  }
  decoder.Start(8);
  ReadConvertedStrips(decoder, sink);
}

void DecodeJpegLumaInto(std::span<const std::uint8_t> jpeg, PlaneRows y, const YccStripSink& chroma) {
  Decoder decoder(jpeg);
  const JpegHeader header = decoder.Header();
  if (!header.asStored) throw OutputError(OutputErrorKind::Unsupported, Detail("not as stored"));
  decoder.StartStored();
  ReadStoredStrips(decoder, header.sampling, chroma, y);
}

bool DecodesInto420(const JpegHeader& header) {
  return header.asStored && (header.grey || header.sampling == kChroma420);
}

void DecodeJpegStoredRows(std::span<const std::uint8_t> jpeg, const StoredRowsPlace& place,
                          const std::function<void(int decoded)>& decoded) {
  Decoder decoder(jpeg);
  if (!decoder.Header().asStored) throw OutputError(OutputErrorKind::Unsupported, Detail("not as stored"));
  ReadStoredRowsAt(decoder, place, decoded);
}

void DecodeJpegPlanesInto(std::span<const std::uint8_t> jpeg, PlaneRows y, PlaneRows cb, PlaneRows cr) {
  Decoder decoder(jpeg);
  if (!DecodesInto420(decoder.Header())) throw OutputError(OutputErrorKind::Unsupported, Detail("not 4:2:0"));
  const PlaneRows planes[3] = {y, cb, cr};
  ReadStoredRowsAt(
      decoder,
      [&](int component, int first, int count, std::uint8_t** rows) {
        for (int r = 0; r < count; ++r) rows[r] = planes[component].row(first + r);
      },
      [](int) {});
}

}  // namespace geoframe

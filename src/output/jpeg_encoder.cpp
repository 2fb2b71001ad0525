#include "output/jpeg_encoder.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
#include <turbojpeg.h>

#include <csetjmp>
#include <memory>
#include <new>  // bad_alloc
#include <string>
#include <utility>  // move

#include "output/output_error.h"

namespace geoframe {

namespace {

OutputError EncodeFailed(std::string detail) {
  OutputError::Fields fields;
  fields.detail = std::move(detail);
  return OutputError(OutputErrorKind::EncodeFailed, std::move(fields));
}

struct TurboDestroy {
  void operator()(void* handle) const { tjDestroy(handle); }
};

// Memory for the stream of a width x height picture: TurboJPEG's bound for
// it, which no stream of that picture exceeds.
EncodedJpeg OutputFor(int width, int height) {
  if (width <= 0 || height <= 0) throw EncodeFailed("no picture");
  const unsigned long bound = tjBufSize(width, height, TJSAMP_420);
  if (bound == static_cast<unsigned long>(-1)) throw EncodeFailed(tjGetErrorStr2(nullptr));
  return EncodedJpeg{MappedMemory(bound), 0, {width, height}};
}

// Runs one TurboJPEG compression of a width x height picture into a buffer
// of TurboJPEG's bound for it, which it then neither grows nor frees
// (TJFLAG_NOREALLOC).
template <typename Compress>
EncodedJpeg Encoded(int width, int height, Compress&& compress) {
  EncodedJpeg encoded = OutputFor(width, height);
  const std::unique_ptr<void, TurboDestroy> handle(tjInitCompress());
  if (!handle) throw EncodeFailed(tjGetErrorStr2(nullptr));
  unsigned char* buffer = encoded.memory.data();
  unsigned long size = encoded.memory.size();
  if (compress(handle.get(), &buffer, &size) != 0) throw EncodeFailed(tjGetErrorStr2(handle.get()));
  encoded.size = size;
  return encoded;
}

}  // namespace

// A libjpeg compressor writing into memory of the bound for its picture.
// libjpeg leaves its calls by a jump back into Run on any error.
struct BandEncoder::Compression {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  jpeg_destination_mgr destination{};
  std::jmp_buf jump;
  int code = 0;
  char message[JMSG_LENGTH_MAX] = {};
  EncodedJpeg encoded;

  static Compression& Of(j_common_ptr info) { return *static_cast<Compression*>(info->client_data); }

  static void OnError(j_common_ptr info) {
    Compression& compression = Of(info);
    compression.code = info->err->msg_code;
    (*info->err->format_message)(info, compression.message);
    std::longjmp(compression.jump, 1);
  }
  static void Start(j_compress_ptr) {}
  // The memory holds the bound: running out of it is an error, never a reason to grow it.
  static boolean Full(j_compress_ptr info) {
    ERREXIT(info, JERR_BUFFER_SIZE);
    return FALSE;
  }
  static void Done(j_compress_ptr) {}

  // Runs libjpeg calls and throws what stopped them. Nothing with a
  // destructor may live inside `step`: the jump would skip it.
  template <typename Step>
  void Run(Step&& step) {
    if (setjmp(jump) == 0) {
      step();
      return;
    }
    if (code == JERR_OUT_OF_MEMORY) throw std::bad_alloc();
    throw EncodeFailed(message);
  }

  ~Compression() { jpeg_destroy_compress(&info); }
};

BandEncoder::BandEncoder(PixelSize size, int quality) : compression_(std::make_unique<Compression>()) {
  Compression& c = *compression_;
  c.encoded = OutputFor(size.width, size.height);
  c.info.err = jpeg_std_error(&c.errors);
  c.errors.error_exit = Compression::OnError;
  c.destination.next_output_byte = c.encoded.memory.data();
  c.destination.free_in_buffer = c.encoded.memory.size();
  c.destination.init_destination = Compression::Start;
  c.destination.empty_output_buffer = Compression::Full;
  c.destination.term_destination = Compression::Done;
  c.Run([&] {
    jpeg_create_compress(&c.info);  // clears everything but the error manager
    c.info.client_data = &c;
    c.info.dest = &c.destination;
    c.info.image_width = static_cast<JDIMENSION>(size.width);
    c.info.image_height = static_cast<JDIMENSION>(size.height);
    c.info.input_components = 3;
    c.info.in_color_space = JCS_YCbCr;
    // As TurboJPEG sets a compressor up for 4:2:0 planes at this quality.
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    c.info.dct_method = quality >= 96 ? JDCT_ISLOW : JDCT_IFAST;
    jpeg_set_colorspace(&c.info, JCS_YCbCr);
    c.info.comp_info[0].h_samp_factor = c.info.comp_info[0].v_samp_factor = 2;
    for (int i : {1, 2}) c.info.comp_info[i].h_samp_factor = c.info.comp_info[i].v_samp_factor = 1;
    c.info.raw_data_in = TRUE;
    jpeg_start_compress(&c.info, TRUE);
  });
}

BandEncoder::~BandEncoder() = default;

int BandEncoder::RowSamples(int width) { return (width + 15) / 16 * 16; }

void BandEncoder::Write(std::uint8_t* const* y, std::uint8_t* const* cb, std::uint8_t* const* cr) {
  Compression& c = *compression_;
  JSAMPARRAY planes[3] = {const_cast<JSAMPARRAY>(y), const_cast<JSAMPARRAY>(cb), const_cast<JSAMPARRAY>(cr)};
  c.Run([&] { jpeg_write_raw_data(&c.info, planes, kBandRows); });
}

EncodedJpeg BandEncoder::Finish() {
  Compression& c = *compression_;
  c.Run([&] { jpeg_finish_compress(&c.info); });
  c.encoded.size = c.encoded.memory.size() - c.destination.free_in_buffer;
  return std::move(c.encoded);
}

EncodedJpeg EncodeJpegMapped(const Yuv420Image& picture, int quality) {
  const unsigned char* planes[3] = {picture.y().data, picture.cb().data, picture.cr().data};
  const int strides[3] = {static_cast<int>(picture.y().pitch), static_cast<int>(picture.cb().pitch),
                          static_cast<int>(picture.cr().pitch)};
  return Encoded(picture.width(), picture.height(), [&](tjhandle handle, unsigned char** buffer, unsigned long* size) {
    return tjCompressFromYUVPlanes(handle, planes, picture.width(), strides, picture.height(), TJSAMP_420, buffer,
                                   size, quality, TJFLAG_NOREALLOC);
  });
}

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* rgb, int width, int height, int pitch, int quality) {
  if (rgb == nullptr) throw EncodeFailed("no picture");
  const EncodedJpeg encoded = Encoded(width, height, [&](tjhandle handle, unsigned char** buffer, unsigned long* size) {
    return tjCompress2(handle, rgb, width, pitch, height, TJPF_RGB, buffer, size, TJSAMP_420, quality,
                       TJFLAG_NOREALLOC);
  });
  return {encoded.bytes().begin(), encoded.bytes().end()};
}

}  // namespace geoframe

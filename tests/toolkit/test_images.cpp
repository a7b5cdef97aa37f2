#include "tests/toolkit/test_images.h"

#include <zlib.h>

namespace testing_support {
namespace {

void put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// Appends codes of `bits` bits, lowest bit first, as GIF's LZW stream packs them.
class BitWriter {
 public:
  void write(unsigned code, int bits) {
    for (int i = 0; i < bits; ++i) {
      if (used_ == 0) bytes_ += '\0';
      if (code & (1u << i)) bytes_.back() = static_cast<char>(bytes_.back() | (1 << used_));
      used_ = (used_ + 1) % 8;
    }
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  int used_ = 0;
};

// One frame's pixels, all colour `index`, as LZW data of minimum code size 2.
// A clear code before every pixel keeps every code 3 bits wide, which any
// decoder reads.
std::string solidFrameData(int pixels, unsigned index) {
  constexpr unsigned kClear = 4, kEnd = 5;
  BitWriter writer;
  for (int i = 0; i < pixels; ++i) {
    writer.write(kClear, 3);
    writer.write(index, 3);
  }
  writer.write(kEnd, 3);
  std::string out(1, '\x02');
  const std::string& data = writer.bytes();
  for (size_t at = 0; at < data.size(); at += 255) {
    std::string block = data.substr(at, 255);
    out += static_cast<char>(block.size());
    out += block;
  }
  out += '\0';
  return out;
}

void putBig32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void pngChunk(std::string& out, const char* type, const std::string& data) {
  putBig32(out, static_cast<uint32_t>(data.size()));
  std::string body = type + data;
  out += body;
  putBig32(out, crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
}

int channelsOf(int colourType) {
  const int channels[] = {1, 0, 3, 1, 2, 0, 4};
  return channels[colourType];
}

// One scanline, filter byte 0 first, of the pixels at `columns` of `row`.
std::string scanline(const PngKind& kind, const std::vector<uint16_t>& samples, int row,
                     const std::vector<int>& columns) {
  const int channels = channelsOf(kind.colourType);
  std::string line(1, '\0');
  uint32_t bits = 0;
  int used = 0;
  for (int x : columns) {
    for (int c = 0; c < channels; ++c) {
      uint16_t sample = samples[(static_cast<size_t>(row) * kind.width + x) * channels + c];
      if (kind.bitDepth == 16) {
        line += static_cast<char>(sample >> 8);
        line += static_cast<char>(sample & 0xFF);
        continue;
      }
      bits = (bits << kind.bitDepth) | sample;
      used += kind.bitDepth;
      if (used == 8) {
        line += static_cast<char>(bits);
        bits = 0;
        used = 0;
      }
    }
  }
  if (used > 0) line += static_cast<char>(bits << (8 - used));
  return line;
}

}  // namespace

std::string pngFile(const PngKind& kind, const std::vector<uint16_t>& samples) {
  std::string raw;
  // Adam7: the passes' first row and column, and their steps.
  const int passes[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                            {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 1, 1}};
  const int whole[1][4] = {{0, 0, 1, 1}};
  const auto* steps = kind.interlaced ? passes : whole;
  for (int pass = 0; pass < (kind.interlaced ? 7 : 1); ++pass) {
    const int top = steps[pass][0], left = steps[pass][1], down = steps[pass][2], across = steps[pass][3];
    std::vector<int> columns;
    for (int x = left; x < kind.width; x += across) columns.push_back(x);
    if (columns.empty()) continue;
    for (int y = top; y < kind.height; y += down) raw += scanline(kind, samples, y, columns);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  packed.resize(packedSize);

  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  putBig32(header, kind.width);
  putBig32(header, kind.height);
  header += static_cast<char>(kind.bitDepth);
  header += static_cast<char>(kind.colourType);
  header += std::string("\0\0", 2);
  header += static_cast<char>(kind.interlaced ? 1 : 0);
  pngChunk(out, "IHDR", header);
  if (!kind.palette.empty()) pngChunk(out, "PLTE", std::string(kind.palette.begin(), kind.palette.end()));
  if (!kind.transparency.empty()) {
    pngChunk(out, "tRNS", std::string(kind.transparency.begin(), kind.transparency.end()));
  }
  pngChunk(out, "IDAT", packed);
  pngChunk(out, "IEND", "");
  return out;
}

std::string bmpFile(int width, int height, const std::vector<uint32_t>& pixels) {
  const int stride = (width * 3 + 3) & ~3;
  std::string out = "BM";
  put32(out, 54 + stride * height);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, width);
  put32(out, height);  // rows bottom first
  put16(out, 1);
  put16(out, 24);
  for (int i = 0; i < 6; ++i) put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      uint32_t rgb = pixels[y * width + x];
      row += static_cast<char>(rgb & 0xFF);
      row += static_cast<char>((rgb >> 8) & 0xFF);
      row += static_cast<char>((rgb >> 16) & 0xFF);
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

std::string gifFile(int width, int height, const std::vector<uint32_t>& frameColours,
                    int delayHundredths) {
  std::string out = "GIF89a";
  put16(out, width);
  put16(out, height);
  out += '\x81';  // a global table of four colours
  out += '\0';
  out += '\0';
  std::vector<uint32_t> table{0};
  table.insert(table.end(), frameColours.begin(), frameColours.end());
  table.resize(4, 0);
  for (uint32_t rgb : table) {
    out += static_cast<char>((rgb >> 16) & 0xFF);
    out += static_cast<char>((rgb >> 8) & 0xFF);
    out += static_cast<char>(rgb & 0xFF);
  }
  out += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);  // loop for ever
  for (size_t frame = 0; frame < frameColours.size(); ++frame) {
    out += std::string("\x21\xF9\x04\x04", 4);  // each frame stays until the next
    put16(out, delayHundredths);
    out += std::string("\x00\x00", 2);
    out += '\x2C';
    put16(out, 0);
    put16(out, 0);
    put16(out, width);
    put16(out, height);
    out += '\0';
    out += solidFrameData(width * height, static_cast<unsigned>(frame + 1));
  }
  out += '\x3B';
  return out;
}

}  // namespace testing_support

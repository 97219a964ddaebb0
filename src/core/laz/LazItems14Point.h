#pragma once
// The POINT14 item (version 3) of a layered chunk: the 30 bytes every LAS 1.4 point record
// starts with, in nine layers, each coded by its own arithmetic coder: (0) the scanner
// channel, the returns and X and Y, with a mask of which fields changed; (1) Z; (2)
// classification; (3) flags; (4) intensity; (5) scan angle; (6) user data; (7) point source;
// (8) GPS time. A layer in which no point differs from its channel's last is stored empty,
// and its field then repeats the chunk's first point. Every field is predicted from the last
// point of the same scanner channel.
//
// Bit-exact with LASzip's LASreadItemCompressed_POINT14_v3 / LASwriteItemCompressed_POINT14_v3
// (and laz-perf's field_point14): the encoder makes LASzip's choices, so that any LAZ reader
// decodes our chunks to exactly the records we were given.
//
// The point hands the other items of the record a "context": the scanner channel on the
// chunk's first point and on every point whose channel differs from the one before, 0 on every
// other point. That is how LASzip 3 passes it (and laz-perf follows); the other items' streams
// depend on it.

#include <cstdint>
#include <span>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazItems14PointChannel.h"
#include "core/laz/LazItems14Support.h"

class CLazPoint14Decoder {
 public:
  static constexpr std::size_t s_layerCount = 9;

  // Starts a chunk whose first record (stored whole) is `first`, with its layers. Returns
  // the context for the items after the point.
  std::uint32_t Start(const std::uint8_t* first, const CLazLayerBytes* layers);
  // Decodes the next record into `record`; returns the context for the items after it.
  std::uint32_t Decode(std::uint8_t* record);
  // Whether a layer was read beyond its end (the chunk is corrupt).
  bool Overran() const;
  // Whether the first layer was; checked after every point, so that a hostile chunk stops early.
  bool XyOverran() const { return m_layers[0].Overran(); }

 private:
  void DecodeGpsTime(CLazPoint14Channel& c);

  CLazPoint14Channels m_channels;
  std::uint32_t m_current = 0;  // the channel of the last point
  CLazArithmeticDecoder m_layers[s_layerCount];
  bool m_present[s_layerCount] = {};  // the layer holds bytes
};

class CLazPoint14Encoder {
 public:
  static constexpr std::size_t s_layerCount = CLazPoint14Decoder::s_layerCount;

  // Starts a chunk with its first record (which the chunk stores whole). Returns the context
  // for the items after the point.
  std::uint32_t Start(const std::uint8_t* first);
  std::uint32_t Encode(const std::uint8_t* record);
  // Ends the chunk's layers.
  void Finish();
  // Layer `i` as the chunk stores it: empty when no point changed the layer's fields.
  std::span<const std::uint8_t> Layer(std::size_t i) const;

 private:
  void EncodeGpsTime(CLazPoint14Channel& c, std::uint64_t gpsTime);

  CLazPoint14Channels m_channels;
  std::uint32_t m_current = 0;
  CLazArithmeticEncoder m_layers[s_layerCount];
  std::vector<std::uint8_t> m_bytes[s_layerCount];  // reused chunk after chunk
  bool m_changed[s_layerCount] = {};
};

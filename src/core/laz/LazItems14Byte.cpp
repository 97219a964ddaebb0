#include "core/laz/LazItems14Byte.h"

#include <string>

#include "core/laz/LazError.h"

namespace {

constexpr std::uint32_t kByteSymbols = 256;

std::size_t CheckedCount(std::size_t count) {
  if (count == 0 || count > kLazMaxExtraBytes14) {
    throw CLazError("LAZ BYTE14 item of " + std::to_string(count) + " bytes: only 1 to " +
                    std::to_string(kLazMaxExtraBytes14) + " extra bytes are supported");
  }
  return count;
}

std::vector<CLazByte14Context> MakeContexts(std::size_t count) {
  std::vector<CLazByte14Context> contexts;
  contexts.reserve(4);
  for (int i = 0; i < 4; ++i) contexts.emplace_back(count);
  return contexts;
}

}  // namespace

CLazByte14Context::CLazByte14Context(std::size_t count) : m_last(count, 0) {
  m_models.reserve(count);
  for (std::size_t i = 0; i < count; ++i) m_models.emplace_back(kByteSymbols);
}

void CLazByte14Context::Start(const std::uint8_t* last) {
  m_used = true;
  std::copy(last, last + m_last.size(), m_last.begin());
  for (CLazSymbolModel& model : m_models) model.Reset();
}

// ---- Decoder ------------------------------------------------------------------------------

CLazByte14Decoder::CLazByte14Decoder(std::size_t count)
    : m_count(CheckedCount(count)), m_contexts(MakeContexts(count)), m_layers(count), m_present(count, 0) {}

void CLazByte14Decoder::Start(const std::uint8_t* first, const CLazLayerBytes* layers, std::uint32_t context) {
  for (std::size_t i = 0; i < m_count; ++i) {
    m_present[i] = layers[i].size > 0;
    if (m_present[i]) m_layers[i].Init(layers[i].data, layers[i].size);
  }
  for (CLazByte14Context& c : m_contexts) c.m_used = false;
  m_current = context;
  m_contexts[context].Start(first);
}

bool CLazByte14Decoder::Overran() const {
  for (std::size_t i = 0; i < m_count; ++i) {
    if (m_present[i] && m_layers[i].Overran()) return true;
  }
  return false;
}

void CLazByte14Decoder::Decode(std::uint8_t* item, std::uint32_t context) {
  std::uint8_t* last = m_contexts[m_current].m_last.data();
  if (context != m_current) {
    m_current = context;
    if (!m_contexts[context].m_used) {
      m_contexts[context].Start(last);
      last = m_contexts[context].m_last.data();
    }
  }
  CLazByte14Context& c = m_contexts[m_current];
  for (std::size_t i = 0; i < m_count; ++i) {
    if (m_present[i]) last[i] = static_cast<std::uint8_t>(last[i] + m_layers[i].DecodeSymbol(c.m_models[i]));
    item[i] = last[i];
  }
}

// ---- Encoder ------------------------------------------------------------------------------

CLazByte14Encoder::CLazByte14Encoder(std::size_t count)
    : m_count(CheckedCount(count)),
      m_contexts(MakeContexts(count)),
      m_layers(count),
      m_bytes(count),
      m_changed(count, 0) {}

void CLazByte14Encoder::Start(const std::uint8_t* first, std::uint32_t context) {
  for (std::size_t i = 0; i < m_count; ++i) {
    m_bytes[i].clear();
    m_layers[i].Init(m_bytes[i]);
    m_changed[i] = 0;
  }
  for (CLazByte14Context& c : m_contexts) c.m_used = false;
  m_current = context;
  m_contexts[context].Start(first);
}

void CLazByte14Encoder::Finish() {
  for (CLazArithmeticEncoder& layer : m_layers) layer.Done();
}

std::span<const std::uint8_t> CLazByte14Encoder::Layer(std::size_t i) const {
  if (!m_changed[i]) return {};
  return {m_bytes[i].data(), m_bytes[i].size()};
}

void CLazByte14Encoder::Encode(const std::uint8_t* item, std::uint32_t context) {
  std::uint8_t* last = m_contexts[m_current].m_last.data();
  if (context != m_current) {
    m_current = context;
    if (!m_contexts[context].m_used) {
      m_contexts[context].Start(last);
      last = m_contexts[context].m_last.data();
    }
  }
  CLazByte14Context& c = m_contexts[m_current];
  for (std::size_t i = 0; i < m_count; ++i) {
    const auto diff = static_cast<std::uint8_t>(item[i] - last[i]);
    m_layers[i].EncodeSymbol(c.m_models[i], diff);
    if (diff != 0) {
      m_changed[i] = 1;
      last[i] = item[i];
    }
  }
}

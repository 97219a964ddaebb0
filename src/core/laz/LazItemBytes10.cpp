#include "core/laz/LazItemBytes10.h"

#include <algorithm>

CLazBytes10Coder::CLazBytes10Coder(std::size_t count) : m_last(count) {
  m_models.reserve(count);
  for (std::size_t i = 0; i < count; ++i) m_models.emplace_back(256);
}

void CLazBytes10Coder::Init(const std::uint8_t* first) {
  for (CLazSymbolModel& model : m_models) model.Reset();
  std::copy(first, first + m_last.size(), m_last.begin());
}

void CLazBytes10Coder::Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item) {
  for (std::size_t i = 0; i < m_last.size(); ++i) {
    m_last[i] = static_cast<std::uint8_t>(m_last[i] + decoder.DecodeSymbol(m_models[i]));
    item[i] = m_last[i];
  }
}

void CLazBytes10Coder::Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item) {
  for (std::size_t i = 0; i < m_last.size(); ++i) {
    encoder.EncodeSymbol(m_models[i], static_cast<std::uint8_t>(item[i] - m_last[i]));
    m_last[i] = item[i];
  }
}

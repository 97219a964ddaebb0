#include "gui/map/MapLayers.h"

#include <QPainter>
#include <algorithm>

#include "core/common/Profile.h"
#include "core/grid/GridInt.h"
#include "gui/map/MapLegend.h"

CMapLayers::CMapLayers() {
  auto coverage = std::make_unique<CCoverageLayer>();
  auto separation = std::make_unique<CSeparationLayer>();
  m_coverage = coverage.get();
  m_separation = separation.get();
  Add(std::move(coverage));
  Add(std::move(separation));
}

void CMapLayers::Add(std::unique_ptr<CMapLayer> layer) { m_layers.push_back(std::move(layer)); }

bool CMapLayers::IsAnyOn() const {
  return std::any_of(m_layers.begin(), m_layers.end(), [](const auto& layer) { return layer->IsOn(); });
}

void CMapLayers::Load(const std::string& section) {
  CProfile* profile = GetProfile();
  if (!profile) return;
  for (const auto& layer : m_layers) {
    layer->SetOn(profile->GetInt(section, layer->Name(), layer->IsOn() ? 1 : 0) != 0);
    for (const CMapLayerChoice& choice : layer->Choices())
      choice.choose(profile->GetString(section, choice.name, choice.current()));
  }
}

void CMapLayers::Save(const std::string& section) const {
  CProfile* profile = GetProfile();
  if (!profile) return;
  for (const auto& layer : m_layers) {
    profile->WriteInt(section, layer->Name(), layer->IsOn() ? 1 : 0);
    for (const CMapLayerChoice& choice : layer->Choices()) profile->WriteString(section, choice.name, choice.current());
  }
}

CMapLayers::Key CMapLayers::MakeKey(const CGridInt& grid, const CMapView& view) const {
  Key key;
  key.grid = &grid;
  key.gridPath = grid.GetFilePath();
  key.gridRows = grid.GetRowCount();
  key.gridSize = grid.GetGridSize();
  const CPixelRect& draw = view.GetDrawRect();
  key.drawLeft = draw.left;
  key.drawTop = draw.top;
  key.drawRight = draw.right;
  key.drawBottom = draw.bottom;
  key.originX = view.GetOrigin().m_x;
  key.originY = view.GetOrigin().m_y;
  key.scale = view.GetScale();
  for (const auto& layer : m_layers)
    key.layers.push_back(layer->IsOn() ? std::optional<std::string>(layer->CacheKey()) : std::nullopt);
  return key;
}

void CMapLayers::Paint(QPainter& painter, const CGridInt* grid, const CMapView& view) {
  if (!IsAnyOn() || !grid || !grid->IsLoaded() || !view.HasView()) return;
  Key key = MakeKey(*grid, view);
  if (!m_haveImage || !(key == m_key)) {
    m_key = std::move(key);
    Render(*grid, view);
    m_haveImage = true;
  }
  const CPixelRect& draw = view.GetDrawRect();
  painter.drawImage(QPoint(draw.left, draw.top), m_image);
}

void CMapLayers::Render(const CGridInt& grid, const CMapView& view) {
  // One raster of the view serves every layer that reads the grid.
  CGridLayerRaster::Request request;
  bool raster = false;
  for (const auto& layer : m_layers)
    if (layer->IsOn() && layer->AskRaster(request)) raster = true;
  if (raster) m_raster.Compute(grid, view, request);

  const CPixelRect& draw = view.GetDrawRect();
  const QSize size(std::max(0, draw.Width()), std::max(0, draw.Height()));
  if (m_image.size() != size) m_image = QImage(size, QImage::Format_ARGB32_Premultiplied);
  m_image.fill(Qt::transparent);
  const CMapLayerFrame frame{grid, view, m_raster};
  for (const auto& layer : m_layers)
    if (layer->IsOn()) layer->Draw(m_image, frame);
}

std::vector<const CMapLayer*> CMapLayers::TopDown() const {
  std::vector<const CMapLayer*> on;
  for (auto layer = m_layers.rbegin(); layer != m_layers.rend(); ++layer)
    if ((*layer)->IsOn()) on.push_back(layer->get());
  return on;
}

QRect CMapLayers::PaintLegend(QPainter& painter, const CMapView& view, const QFont& font) const {
  const CPixelRect& draw = view.GetDrawRect();
  return PaintMapLegend(painter, QRect(draw.left, draw.top, draw.Width(), draw.Height()), TopDown(), font);
}

QString CMapLayers::LegendToolTip() const {
  QStringList lines;
  for (const CMapLayer* layer : TopDown()) lines << layer->LegendToolTip();
  return lines.join(QLatin1Char('\n'));
}

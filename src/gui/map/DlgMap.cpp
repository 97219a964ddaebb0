#include "gui/map/DlgMap.h"

#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include "core/common/Profile.h"
#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/map/MapData.h"
#include "core/map/MapLabels.h"
#include "core/map/MapOwner.h"
#include "core/trans/CoordConv.h"
#include "gui/map/MapLayersMenu.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/MessageBox.h"
#include "gui/qt/WindowPlacement.h"

namespace {

const QColor kSeaColour(194, 222, 242);
const QColor kLandColour(190, 180, 160);
const QColor kTownTextColour(0, 0, 255);
const QColor kInsideColour(0, 255, 0);
const QColor kOutsideColour(255, 0, 0);
// The name's top-left corner lies this many pixels right of and above the town's dot.
constexpr int kNameOffset = 7;
constexpr int kDrawMargin = 5;  // pixels between the drawing area and the window's edges

QPoint ToQPoint(const CPixelPt& pt) { return QPoint(pt.x, pt.y); }
CPixelPt ToPixel(const QPoint& pt) { return CPixelPt{pt.x(), pt.y()}; }
QRect ToQRect(const CPixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

CDlgMap::CDlgMap(CMapOwner* page, const CGridInt* grid, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pPtPage(page),
      m_pGrid(grid),
      m_font(QStringLiteral("Arial"), 10),
      m_btnFit(new QPushButton(tr("Fit"), this)),
      m_btnZoomIn(new QPushButton(tr("Zoom In"), this)),
      m_btnZoomOut(new QPushButton(tr("Zoom Out"), this)),
      m_stSpan(new QLabel(this)),
      m_stPosition(new QLabel(this)),
      m_stGridSwatch(new QLabel(this)),
      m_stGridState(new QLabel(this)),
      m_stHint(new QLabel(tr("Double right click to transform a point"), this)),
      m_stSeparation(new QLabel(this)),
      m_btnLayers(new QToolButton(this)),
      m_layersMenu(new CMapLayersMenu(m_layers, this)) {
  setWindowTitle(tr("Coast Map"));
  setModal(false);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);

  const CDialogUnits units(font());
  resize(units.X(295), units.Y(201));
  m_btnFit->setGeometry(units.Rect(29, 22, 38, 12));
  m_btnZoomIn->setGeometry(units.Rect(5, 5, 38, 12));
  m_btnZoomOut->setGeometry(units.Rect(46, 5, 38, 12));
  m_stSpan->setGeometry(units.Rect(98, 6, 93, 10));
  m_stPosition->setGeometry(units.Rect(98, 16, 164, 8));
  m_stGridSwatch->setGeometry(units.Rect(208, 6, 16, 9));
  m_stGridState->setGeometry(units.Rect(227, 6, 63, 9));
  m_stHint->setGeometry(units.Rect(98, 26, 164, 8));
  m_stSeparation->setGeometry(m_stHint->geometry());
  m_stSeparation->hide();
  // The layers button sits right of Fit, clear of the status texts.
  m_btnLayers->setGeometry(units.Rect(70, 22, 26, 12));
  m_btnLayers->setText(tr("Layers"));
  m_btnLayers->setMenu(m_layersMenu);
  m_btnLayers->setPopupMode(QToolButton::InstantPopup);
  m_btnLayers->setToolButtonStyle(Qt::ToolButtonTextOnly);
  m_btnLayers->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
  connect(m_layersMenu, &CMapLayersMenu::LayersChanged, this, [this] {
    update(DrawRect());
    RefreshStatus();  // the separation line follows the layer and its references
  });
  connect(m_layersMenu, &CMapLayersMenu::SaveRequested, this, &CDlgMap::SaveMapAs);
  LayoutPosition();
  for (QPushButton* button : {m_btnFit, m_btnZoomIn, m_btnZoomOut}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  connect(m_btnFit, &QPushButton::clicked, this, &CDlgMap::Fit);
  connect(m_btnZoomIn, &QPushButton::clicked, this, &CDlgMap::ZoomIn);
  connect(m_btnZoomOut, &QPushButton::clicked, this, &CDlgMap::ZoomOut);

  m_view.SetMessageHook([this](const std::string& text) { ShowMessage(QString::fromStdString(text)); });
}

CDlgMap::~CDlgMap() {
  if (m_created) SaveWindowPlacement(kPlacementSection, this);
  if (m_created) m_layers.Save(kPlacementSection);
}

void CDlgMap::ShowMessage(const QString& text) {
  if (m_message) {
    m_message(text);
    return;
  }
  ShowMessageBox(m_created ? this : nullptr, text);
}

bool CDlgMap::ShowCoastMap() {
  CMapData& data = CMapData::Instance();
  if (!data.EnsureLoaded()) {
    ShowMessage(QString::fromLatin1(kLoadFailedMessage));
    return false;
  }
  m_created = true;
  m_view.SetSemiMajorAxis(CCoordConv::Instance().GetSemiMajorAxis());
  // The first time, nothing is stored: the map goes beside the main window rather than
  // centred over the page's inputs. From then on its own placement comes back.
  if (parentWidget() && !HasWindowPlacement(kPlacementSection))
    PlaceBeside(this, parentWidget()->window());
  else
    RestoreWindowPlacement(kPlacementSection, this, false);
  LayoutDrawRect();
  const bool gridLoaded = m_pGrid && m_pGrid->IsLoaded();
  m_view.SetDataRect(CMapView::NavigableExtent(
      data.GetExtent(), gridLoaded, gridLoaded ? m_pGrid->GetMinLat() : 0, gridLoaded ? m_pGrid->GetMinLon() : 0,
      gridLoaded ? m_pGrid->GetMaxLat() : 0, gridLoaded ? m_pGrid->GetMaxLon() : 0));
  m_layers.Load(kPlacementSection);
  m_layersMenu->ShowSettings();
  PrepareTowns();
  Fit();
  show();
  return true;
}

void CDlgMap::PrepareTowns() {
  const QFontMetrics metrics(m_font);
  m_townNames.clear();
  m_townWidths.clear();
  m_townPaths.clear();
  for (const CMapTown& town : CMapData::Instance().GetTowns()) {
    m_townNames.push_back(QString::fromUtf16(town.m_name.data(), static_cast<qsizetype>(town.m_name.size())));
    m_townWidths.push_back(metrics.horizontalAdvance(m_townNames.back()));
    QPainterPath path;
    path.addText(0, 0, m_font, m_townNames.back());  // baseline at the origin
    m_townPaths.push_back(path);
  }
  m_townHeight = metrics.height();
  m_townAscent = metrics.ascent();
}

CPixelRect CDlgMap::MeasureDrawRect() const {
  const QRect fit = m_btnFit->geometry();
  const int top = fit.y() + fit.height() + kDrawMargin;
  // A window smaller than its margins gets an empty drawing area rather than a reversed one.
  return CPixelRect{kDrawMargin, top, std::max(kDrawMargin, width() - kDrawMargin),
                    std::max(top, height() - kDrawMargin)};
}

void CDlgMap::LayoutDrawRect() {
  if (m_btnFit) m_view.SetDrawRect(MeasureDrawRect());
}

void CDlgMap::Apply(EViewChange change) {
  if (change == EViewChange::kNone || change == EViewChange::kZoomLimit) return;
  update(DrawRect());
  RefreshStatus();
}

QRect CDlgMap::DrawRect() const { return ToQRect(m_view.GetDrawRect()); }
QString CDlgMap::PositionText() const { return m_stPosition->text(); }
QString CDlgMap::GridStateText() const { return m_stGridState->text(); }
QString CDlgMap::SpanText() const { return m_stSpan->text(); }

void CDlgMap::Fit() { Apply(m_view.Fit()); }
void CDlgMap::ZoomIn() { Apply(m_view.ZoomIn()); }
void CDlgMap::ZoomOut() { Apply(m_view.ZoomOut()); }

void CDlgMap::ShowMarker(bool inside, double latitude, double longitude) {
  m_view.ShowMarker(inside, latitude, longitude);  // may re-centre the view
  update(DrawRect());
  RefreshStatus();
}

void CDlgMap::HideMarker() {
  m_view.HideMarker();
  update(DrawRect());
}

void CDlgMap::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayoutPosition();
  if (m_btnFit) Apply(m_view.Resize(MeasureDrawRect()));
}

void CDlgMap::paintEvent(QPaintEvent*) {
  const QString span = QString::asprintf("X span: %.0f km", m_view.SpanKm(m_view.GetOrigin(), m_view.GetScale()));
  if (m_stSpan->text() != span) m_stSpan->setText(span);

  const QSize size = this->size();
  if (m_buffer.size() != size) m_buffer = QImage(size, QImage::Format_RGB32);
  {
    QPainter painter(&m_buffer);
    PaintScene(painter);
  }
  // Only the drawing area reaches the screen.
  QPainter painter(this);
  const QRect draw = DrawRect();
  painter.drawImage(draw.topLeft(), m_buffer, draw);
}

void CDlgMap::PaintScene(QPainter& painter) {
  const CPixelRect& draw = m_view.GetDrawRect();
  painter.fillRect(ToQRect(draw), kSeaColour);
  // Without a view nothing converts to pixels: the sea alone.
  if (!m_view.HasView()) return;
  painter.save();
  // Only the drawing area reaches the screen; nothing needs rasterising outside it.
  painter.setClipRect(ToQRect(draw));

  // Coastlines, skipped by their bounds before any point is converted.
  const CMapRect view = m_view.ViewRect();
  std::vector<QPoint> points;  // the polygons one after the other
  std::vector<int> sizes;
  for (const CMapLine& line : CMapData::Instance().GetLines()) {
    if (line.m_points.empty() || !line.m_bounds.Intersects(view)) continue;
    const std::size_t start = points.size();
    for (const CMapPt& pt : line.m_points) {
      const QPoint p = ToQPoint(m_view.MapToClient(pt));
      // Points that fall on the pixel before them change nothing in the drawing.
      if (points.size() == start || points.back() != p) points.push_back(p);
    }
    sizes.push_back(static_cast<int>(points.size() - start));
  }
  const auto drawPolygons = [&] {
    const QPoint* polygon = points.data();
    for (int size : sizes) {
      painter.drawPolygon(polygon, size, Qt::OddEvenFill);
      polygon += size;
    }
  };
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(kLandColour);
  if (m_layers.IsAnyOn()) {
    // The grid goes over the land (harbours and rivers narrower than the coastline data
    // are land there) and under the coastlines.
    painter.setPen(Qt::NoPen);
    drawPolygons();
    m_layers.Paint(painter, m_pGrid, m_view);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
  }
  drawPolygons();

  // Towns in file order; earlier towns win label space, also those outside the view.
  const std::vector<CMapTown>& towns = CMapData::Instance().GetTowns();
  if (m_townNames.size() != towns.size()) PrepareTowns();
  std::vector<CPixelPt> anchors(towns.size());
  std::vector<CPixelRect> boxes(towns.size());
  for (std::size_t i = 0; i < towns.size(); ++i) {
    anchors[i] = m_view.MapToClient(towns[i].m_pos);
    boxes[i] = TownLabelBox(anchors[i], m_townWidths[i], m_townHeight);
  }
  const std::vector<bool> drawn = PlaceLabels(boxes);
  const QPen outline(Qt::white, 1);
  for (std::size_t i = 0; i < towns.size(); ++i) {
    if (!drawn[i]) continue;
    DrawDot(painter, anchors[i], Qt::black);
    const QPointF baseline(anchors[i].x + kNameOffset, anchors[i].y - kNameOffset + m_townAscent);
    // The name as a path, stroked and filled in white, gives the letters a white halo;
    // the blue text goes on top.
    painter.setPen(outline);
    painter.setBrush(Qt::white);
    painter.drawPath(m_townPaths[i].translated(baseline));
    painter.setPen(kTownTextColour);
    painter.setFont(m_font);
    painter.drawText(baseline, m_townNames[i]);
  }

  if (m_view.HasMarker()) {
    const CPixelPt dot = m_view.MapToClient(m_view.GetMarker());
    if (draw.Contains(dot)) DrawDot(painter, dot, m_view.IsMarkerInside() ? kInsideColour : kOutsideColour);
  }
  m_legendBox = m_layers.IsAnyOn() ? m_layers.PaintLegend(painter, m_view, font()) : QRect();
  painter.restore();
}

bool CDlgMap::SaveMapImage(const QString& path) {
  QImage image(size(), QImage::Format_RGB32);
  {
    QPainter painter(&image);
    PaintScene(painter);
  }
  return image.copy(DrawRect()).save(path, "PNG");
}

QString CDlgMap::ProposedImagePath() const {
  QString folder;
  if (CProfile* profile = GetProfile())
    folder = QString::fromStdString(profile->GetString(kPlacementSection, kSaveFolderKey, ""));
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  }
  QString name = QStringLiteral("Coast map");
  if (m_layers.IsSeparationOn()) name += QStringLiteral(" ") + m_layers.Separation().Title(true);
  return QDir(folder).filePath(name + QStringLiteral(".png"));
}

void CDlgMap::SaveMapAs() {
  const QString proposed = ProposedImagePath();
  QString path = m_saveName
                     ? m_saveName(proposed)
                     : QFileDialog::getSaveFileName(this, tr("Save map as PNG"), proposed, tr("PNG images (*.png)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
  if (!SaveMapImage(path)) {
    ShowMessage(tr("Cannot write file:\n") + path);
    return;
  }
  const QFileInfo saved(path);
  if (CProfile* profile = GetProfile())
    profile->WriteString(kPlacementSection, kSaveFolderKey, saved.absolutePath().toStdString());
  ShowMessage(tr("The map was saved as:\n") + QDir::toNativeSeparators(saved.absoluteFilePath()));
}

void CDlgMap::LayoutPosition() {
  for (QLabel* label : {m_stPosition, m_stSeparation}) {
    const QRect line = label->geometry();
    label->resize(std::max(line.width(), width() - kDrawMargin - line.x()), line.height());
  }
}

void CDlgMap::DrawDot(QPainter& painter, const CPixelPt& centre, const QColor& colour) const {
  const CPixelRect box = DotBox(centre, m_view.GetDrawRect());
  if (box.IsEmpty()) return;
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(colour);
  // The platform's ellipse fills the box without its right and bottom edges.
  painter.drawEllipse(QRect(box.left, box.top, box.Width() - 1, box.Height() - 1));
}

QString CDlgMap::SeparationStatusText() const {
  return m_stSeparation->isHidden() ? QString() : m_stSeparation->text();
}
QString CDlgMap::SeparationStatusToolTip() const { return m_stSeparation->toolTip(); }

void CDlgMap::ShowSeparationStatus(const QString& shortText, const QString& fullText) {
  if (shortText.isEmpty()) {
    m_stSeparation->hide();
    m_stSeparation->clear();
    m_stSeparation->setToolTip(QString());
    m_stHint->show();
    return;
  }
  // The value stays whole at the end; a window narrower than the names cuts them.
  m_stSeparation->setText(
      m_stSeparation->fontMetrics().elidedText(shortText, Qt::ElideMiddle, m_stSeparation->width()));
  m_stSeparation->setToolTip(fullText);
  m_stHint->hide();
  m_stSeparation->show();
}

void CDlgMap::UpdateStatus(const CPixelPt& pt, bool takeFocus) {
  CMapPt p;
  if (!m_view.ClientToMap(pt, p)) {
    m_stPosition->clear();  // the grid state and swatch keep their last look
    ShowSeparationStatus(QString(), QString());
    return;
  }
  if (takeFocus) setFocus(Qt::MouseFocusReason);
  m_stPosition->setText(
      QString::asprintf("Lat, Lon: %.6f, %.6f", static_cast<double>(p.m_y), static_cast<double>(p.m_x)));
  CDataPt scratch;
  const bool inside = m_pGrid && m_pGrid->Interpolate(p.m_y, p.m_x, scratch);
  const CSeparationLayer& separation = m_layers.Separation();
  if (inside && separation.IsOn())
    ShowSeparationStatus(separation.Text(*m_pGrid, scratch, p.m_y, p.m_x, true),
                         separation.Text(*m_pGrid, scratch, p.m_y, p.m_x));
  else
    ShowSeparationStatus(QString(), QString());
  m_stGridState->setText(inside ? tr("Inside grid") : tr("Outside grid"));
  QPalette palette = m_stGridSwatch->palette();
  palette.setColor(QPalette::Window, inside ? kInsideColour : kOutsideColour);
  m_stGridSwatch->setPalette(palette);
  m_stGridSwatch->setAutoFillBackground(true);
}

void CDlgMap::RefreshStatus() {
  // A cursor away from the window (the page moved the view) reads as outside the map.
  const QPoint at = mapFromGlobal(QCursor::pos());
  UpdateStatus(rect().contains(at) ? ToPixel(at) : CPixelPt{-1, -1}, false);
}

void CDlgMap::mouseMoveEvent(QMouseEvent* event) {
  const CPixelPt pt = ToPixel(event->position().toPoint());
  UpdateStatus(pt, true);
  if (!m_view.IsDragging()) return;
  const EViewChange change = m_view.DragTo(pt);
  if (change == EViewChange::kPanLimit) unsetCursor();
  Apply(change);
}

void CDlgMap::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_view.BeginDrag(ToPixel(event->position().toPoint()))) {
    setCursor(Qt::SizeAllCursor);
  }
  QDialog::mousePressEvent(event);
}

void CDlgMap::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    m_view.EndDrag();
    unsetCursor();
  }
  QDialog::mouseReleaseEvent(event);
}

void CDlgMap::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) return;  // a left double click starts no drag
  CMapPt p;
  if (m_view.ClientToMap(ToPixel(event->position().toPoint()), p) && m_pPtPage) {
    m_pPtPage->SetPosition(p.m_y, p.m_x);
  }
}

void CDlgMap::wheelEvent(QWheelEvent* event) {
  event->accept();
  int delta = event->angleDelta().y();
  if (delta == 0) delta = event->angleDelta().x();
  if (event->phase() == Qt::ScrollBegin) m_wheelSteps.Reset();  // a new touchpad gesture
  const CPixelPt cursor = ToPixel(event->position().toPoint());
  CMapPt under;
  if (!m_view.ClientToMap(cursor, under)) return;  // only movements over the map zoom it
  // One zoom step per whole notch gathered, each about the cursor.
  for (int steps = m_wheelSteps.Add(delta); steps != 0; steps += steps > 0 ? -1 : 1) {
    const EViewChange change = m_view.WheelZoom(cursor, steps > 0 ? CWheelSteps::kNotch : -CWheelSteps::kNotch);
    Apply(change);
    if (change != EViewChange::kChanged) break;  // at a zoom limit, one message is enough
  }
}

bool CDlgMap::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QDialog::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  if (m_legendBox.contains(help->pos()))
    QToolTip::showText(help->globalPos(), m_layers.LegendToolTip(), this, m_legendBox);
  else
    QToolTip::hideText();
  return true;
}

#include "core/map/MapView.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDegToRad = 0.017453292519943295;

// trunc(v) as an int; values beyond the int range (a far point in a deep zoom) are held
// at a bound far outside any window instead of overflowing.
int TruncToPixel(double v) {
  constexpr double kLimit = 1 << 30;
  if (!(v > -kLimit)) return -(1 << 30);
  if (!(v < kLimit)) return 1 << 30;
  return static_cast<int>(v);
}

}  // namespace

bool CPixelRect::Overlaps(const CPixelRect& other) const { return !Intersect(other).IsEmpty(); }

CPixelRect CPixelRect::Intersect(const CPixelRect& other) const {
  CPixelRect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
               std::min(bottom, other.bottom)};
  if (r.IsEmpty()) return CPixelRect{};
  return r;
}

CMapRect CMapView::NavigableExtent(const CMapRect& coastExtent, bool gridLoaded, double minLat, double minLon,
                                   double maxLat, double maxLon) {
  CMapRect rc = coastExtent;
  const auto d = static_cast<float>(kExtentMargin * (rc.m_max.m_x - rc.m_min.m_x));
  // The same margin, taken from the longitude span, pads the latitudes too.
  const CMapPt margin(d, d);
  rc.Extend(rc.m_min - margin);
  rc.Extend(rc.m_max + margin);
  if (gridLoaded) {
    rc.Extend(CMapPt(static_cast<float>(minLon), static_cast<float>(minLat)));
    rc.Extend(CMapPt(static_cast<float>(maxLon), static_cast<float>(maxLat)));
  }
  return rc;
}

void CMapView::Message(const char* text) const {
  if (m_message) m_message(text);
}

CPixelPt CMapView::MapToClient(const CMapPt& p) const {
  return CPixelPt{m_rcDraw.left + TruncToPixel((p.m_x - m_origin.m_x) * m_scale + 0.5),
                  m_rcDraw.bottom - TruncToPixel((p.m_y - m_origin.m_y) * m_scale + 0.5)};
}

bool CMapView::ClientToMap(const CPixelPt& pt, CMapPt& p) const {
  if (m_scale == 0.0 || !m_rcDraw.Contains(pt)) return false;
  p.m_x = static_cast<float>((pt.x - m_rcDraw.left) / m_scale) + m_origin.m_x;
  p.m_y = static_cast<float>((m_rcDraw.bottom - pt.y) / m_scale) + m_origin.m_y;
  return true;
}

CMapRect CMapView::ViewRect() const {
  const CMapPt size(static_cast<float>(m_rcDraw.Width() / m_scale), static_cast<float>(m_rcDraw.Height() / m_scale));
  return CMapRect(m_origin, m_origin + size);
}

double CMapView::SpanKm(const CMapPt& origin, double scale) const {
  if (scale == 0.0) return 0.0;
  const double w = m_rcDraw.Width() / scale;
  const double h = m_rcDraw.Height() / scale;
  const double phi = std::fabs(origin.m_y + 0.5 * h);  // latitude of the view's centre
  return std::fabs(std::cos(phi * kDegToRad) * m_semiMajorAxis * w * kDegToRad / 1000.0);
}

CMapPt CMapView::Centre() const {
  return CMapPt(static_cast<float>(m_origin.m_x + 0.5 * m_rcDraw.Width() / m_scale),
                static_cast<float>(m_origin.m_y + 0.5 * m_rcDraw.Height() / m_scale));
}

bool CMapView::WithinZoomLimits(const CMapPt& origin, double scale) const {
  const double span = m_rcData.m_max.m_x - m_rcData.m_min.m_x;
  const double w = m_rcDraw.Width() / scale, h = m_rcDraw.Height() / scale;
  return SpanKm(origin, scale) >= kMinSpanKm && !(kZoomOutLimit * span < w && kZoomOutLimit * span < h);
}

EViewChange CMapView::Resize(const CPixelRect& rect) {
  if (m_scale == 0.0 || m_rcDraw.IsEmpty() || rect.IsEmpty()) {
    m_rcDraw = rect;
    return Fit();
  }
  const CMapPt centre = Centre();
  m_rcDraw = rect;
  const CMapPt origin(static_cast<float>(centre.m_x - 0.5 * rect.Width() / m_scale),
                      static_cast<float>(centre.m_y - 0.5 * rect.Height() / m_scale));
  if (!WithinZoomLimits(origin, m_scale)) return Fit();
  m_origin = origin;
  return EViewChange::kChanged;
}

EViewChange CMapView::SetView(double scale, const CMapPt& centre) {
  if (scale == 0.0) return EViewChange::kNone;
  const double w = m_rcDraw.Width() / scale;
  const double h = m_rcDraw.Height() / scale;
  const CMapPt origin(static_cast<float>(centre.m_x - 0.5 * w), static_cast<float>(centre.m_y - 0.5 * h));
  if (SpanKm(origin, scale) < kMinSpanKm) {
    Message(kZoomLimitMessage);
    return EViewChange::kZoomLimit;
  }
  m_scale = scale;
  m_origin = origin;
  // Both view dimensions are held against the longitude span of the extent.
  const double span = m_rcData.m_max.m_x - m_rcData.m_min.m_x;
  if (kZoomOutLimit * span < w && kZoomOutLimit * span < h) {
    Message(kZoomLimitMessage);
    Fit();
    return EViewChange::kZoomLimitFitted;
  }
  return EViewChange::kChanged;
}

EViewChange CMapView::Fit() {
  // The height is divided by the longitude span as well.
  const double span = m_rcData.m_max.m_x - m_rcData.m_min.m_x;
  const double a = span == 0.0 ? 0.0 : m_rcDraw.Width() / span;
  const double b = span == 0.0 ? 0.0 : m_rcDraw.Height() / span;
  return SetView(std::min(a, b), m_rcData.Centre());
}

EViewChange CMapView::ZoomIn() {
  if (m_scale == 0.0) return EViewChange::kNone;
  return SetView(m_scale * kZoomStep, Centre());
}

EViewChange CMapView::ZoomOut() {
  if (m_scale == 0.0) return EViewChange::kNone;
  return SetView(m_scale / kZoomStep, Centre());
}

EViewChange CMapView::WheelZoom(const CPixelPt& cursor, int delta) {
  CMapPt m;
  if (!m_rcDraw.Contains(cursor) || !ClientToMap(cursor, m)) return EViewChange::kNone;
  const double s = delta > 0 ? m_scale * kZoomStep : m_scale / kZoomStep;
  if (s == 0.0) return EViewChange::kNone;
  const int cx = (m_rcDraw.left + m_rcDraw.right) / 2;
  const int cy = (m_rcDraw.top + m_rcDraw.bottom) / 2;
  // The map position under the cursor stays under it.
  const CMapPt centre(m.m_x - static_cast<float>((cursor.x - cx) / s), m.m_y + static_cast<float>((cursor.y - cy) / s));
  return SetView(s, centre);
}

bool CMapView::BeginDrag(const CPixelPt& pt) {
  if (!m_rcDraw.Contains(pt)) return false;
  m_ptDown = pt;
  m_originAtDown = m_origin;
  m_bDragging = true;
  return true;
}

EViewChange CMapView::DragTo(const CPixelPt& pt) {
  if (!m_bDragging || m_scale == 0.0) return EViewChange::kNone;
  // The map follows the mouse.
  const CMapPt delta(static_cast<float>((m_ptDown.x - pt.x) / m_scale),
                     static_cast<float>((pt.y - m_ptDown.y) / m_scale));
  const CMapPt origin = m_originAtDown + delta;
  const CMapPt size(static_cast<float>(m_rcDraw.Width() / m_scale), static_cast<float>(m_rcDraw.Height() / m_scale));
  // Any overlap with the navigable extent, even a touching edge, keeps the drag going.
  if (!m_rcData.Intersects(CMapRect(origin, origin + size))) {
    m_bDragging = false;
    Message(kPanLimitMessage);
    return EViewChange::kPanLimit;
  }
  m_origin = origin;
  return EViewChange::kChanged;
}

EViewChange CMapView::ShowMarker(bool inside, double latitude, double longitude) {
  m_bMarker = true;
  m_bMarkerInside = inside;
  m_marker = CMapPt(static_cast<float>(longitude), static_cast<float>(latitude));
  if (m_scale == 0.0) return EViewChange::kNone;  // no view to show it in
  if (ViewRect().Contains(m_marker)) return EViewChange::kChanged;
  // Re-centred at the same scale, even where that leaves the navigable extent.
  return SetView(m_scale, m_marker);
}

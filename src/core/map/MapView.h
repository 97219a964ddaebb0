#pragma once
// The geometry of the coast map window without the window: the drawing rectangle in
// client pixels, the navigable extent, the view (origin and scale), zoom and pan with
// their limits, and the position dot. The map window measures, paints and shows the
// messages this class raises through its message hook.
//
// Projection: plain equirectangular. One degree of longitude and one of latitude both
// take m_scale pixels, with no correction for latitude; north is up. m_origin is the map
// position at the lower-left corner of the drawing rectangle. A scale of 0 means there
// is no view yet: no pixel converts, zooming does nothing.

#include <functional>
#include <string>

#include "core/map/MapPt.h"
#include "core/map/MapRect.h"

// A point in client pixels.
struct CPixelPt {
  int x = 0;
  int y = 0;
};

// A rectangle in client pixels; it holds (x, y) when left <= x < right and top <= y < bottom.
struct CPixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(const CPixelPt& pt) const { return left <= pt.x && pt.x < right && top <= pt.y && pt.y < bottom; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // Whether the two share at least one pixel.
  bool Overlaps(const CPixelRect& other) const;
  // The common part (empty when they do not overlap).
  CPixelRect Intersect(const CPixelRect& other) const;
};

// What a change of the view came to.
enum class EViewChange {
  kNone,             // nothing to do (no view, or not dragging)
  kChanged,          // accepted; the drawing area needs a repaint
  kZoomLimit,        // refused: the view would span less than the zoom-in limit
  kZoomLimitFitted,  // the view grew past the zoom-out limit and was fitted instead
  kPanLimit,         // refused: the view would leave the navigable extent; the drag ended
};

class CMapView {
 public:
  static constexpr double kZoomStep = 1.5;
  static constexpr double kMinSpanKm = 10.0;                  // narrowest view, east-west
  static constexpr double kZoomOutLimit = 1.2;                // widest view, in longitude spans of the extent
  static constexpr double kExtentMargin = 0.05;               // padding around the coastline extent
  static constexpr double kDefaultSemiMajorAxis = 6378137.0;  // metres (GRS80)

  static constexpr const char* kZoomLimitMessage = "Limit of zoom reached";
  static constexpr const char* kPanLimitMessage = "Limit of pan";

  using MessageHook = std::function<void(const std::string&)>;
  // Receives the limit messages at the moment they arise (the window shows a message box).
  void SetMessageHook(MessageHook hook) { m_message = std::move(hook); }
  // Metres; the span of a view is measured on a sphere of this radius.
  void SetSemiMajorAxis(double metres) { m_semiMajorAxis = metres; }

  // The navigable extent: the coastline extent padded on all four sides by 5 % of its
  // longitude span, then enlarged (without padding) by the grid's corners when a grid is
  // loaded.
  static CMapRect NavigableExtent(const CMapRect& coastExtent, bool gridLoaded, double minLat, double minLon,
                                  double maxLat, double maxLon);

  void SetDrawRect(const CPixelRect& rect) { m_rcDraw = rect; }
  // A new drawing rectangle for a view that keeps its centre and scale, so that
  // resizing the window neither zooms nor pans. Without a view, or when the kept view
  // would pass a zoom limit at the new size, the extent is fitted instead (and the kept
  // view's limit raises no message).
  EViewChange Resize(const CPixelRect& rect);
  const CPixelRect& GetDrawRect() const { return m_rcDraw; }
  void SetDataRect(const CMapRect& rect) { m_rcData = rect; }
  const CMapRect& GetDataRect() const { return m_rcData; }
  const CMapPt& GetOrigin() const { return m_origin; }
  double GetScale() const { return m_scale; }
  bool HasView() const { return m_scale != 0.0; }

  // Map position to client pixel (rounded half up, toward zero after the offset).
  CPixelPt MapToClient(const CMapPt& p) const;
  // Client pixel to map position; false without a view or outside the drawing rectangle.
  bool ClientToMap(const CPixelPt& pt, CMapPt& p) const;
  // The map rectangle the drawing rectangle shows (only meaningful with a view).
  CMapRect ViewRect() const;
  // East-west width in kilometres of a view with this origin and scale at the latitude
  // of its centre; 0 without a scale.
  double SpanKm(const CMapPt& origin, double scale) const;

  // Every change of zoom goes through here: a view of `scale` pixels per degree centred
  // on `centre`, subject to the zoom-in and zoom-out limits.
  EViewChange SetView(double scale, const CMapPt& centre);
  // The whole navigable extent, its longitude span fitted to the width or the height.
  EViewChange Fit();
  EViewChange ZoomIn();
  EViewChange ZoomOut();
  // One wheel step at `cursor` (a positive delta zooms in, anything else out), keeping
  // the map position under the cursor in place. kNone outside the drawing rectangle.
  EViewChange WheelZoom(const CPixelPt& cursor, int delta);

  // Pan drag: starts on a press inside the drawing rectangle (true), follows the mouse,
  // and ends on release or at the pan limit.
  bool BeginDrag(const CPixelPt& pt);
  EViewChange DragTo(const CPixelPt& pt);
  void EndDrag() { m_bDragging = false; }
  bool IsDragging() const { return m_bDragging; }

  // The position dot. ShowMarker re-centres the view on it at the same scale when it
  // lies outside the view (edges count as inside); otherwise it only needs a repaint.
  EViewChange ShowMarker(bool inside, double latitude, double longitude);
  void HideMarker() { m_bMarker = false; }
  bool HasMarker() const { return m_bMarker; }
  bool IsMarkerInside() const { return m_bMarkerInside; }
  const CMapPt& GetMarker() const { return m_marker; }

 private:
  void Message(const char* text) const;
  // The map position at the centre of the drawing rectangle.
  CMapPt Centre() const;
  // Whether a view of `scale` with this origin passes both zoom limits.
  bool WithinZoomLimits(const CMapPt& origin, double scale) const;

  CPixelRect m_rcDraw;
  CMapRect m_rcData;
  CMapPt m_origin;
  double m_scale = 0.0;  // pixels per degree
  double m_semiMajorAxis = kDefaultSemiMajorAxis;

  CPixelPt m_ptDown;
  CMapPt m_originAtDown;
  bool m_bDragging = false;

  bool m_bMarker = false;
  bool m_bMarkerInside = false;
  CMapPt m_marker;

  MessageHook m_message;
};

#pragma once
// The coast map window. It draws the coastlines and towns of the coast map model in a
// plain longitude/latitude projection, zooms and pans, reports the position under the
// cursor and whether the grid covers it, hands a position to its owner on a double right
// click and shows the owner's last transformed position as a green or red dot. Under
// the coastlines it can draw the loaded grid's coverage and separation (CMapLayers),
// switched in its "Layers" menu, which also saves the map as a picture. With the
// separation on, the line below the position gives the separation under the cursor
// (where the hint is otherwise), so that both fit the window at its first size.
//
// Resizing the window keeps the view's centre and scale; every change of the view
// brings the status up to date for where the cursor is now.
//
// The window is modeless and owned by the point transformation page, which creates it,
// calls ShowCoastMap and deletes it with itself; the user cannot close it. The geometry
// lives in CMapView; this class measures, paints and shows messages.

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <functional>
#include <vector>

#include "core/map/MapView.h"
#include "core/map/WheelSteps.h"
#include "gui/map/MapLayers.h"

class CGridInt;
class CMapLayersMenu;
class CMapOwner;
class QLabel;
class QPainter;
class QPushButton;
class QToolButton;

class CDlgMap : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kPlacementSection = "CDlgMap";
  static constexpr const char* kLoadFailedMessage = "Cannot load coast map data";

  // Shows one message and returns when the user has read it.
  using MessageHook = std::function<void(const QString&)>;
  // Asks where to save the map, proposing a path; "" cancels.
  using SaveNameHook = std::function<QString(const QString& proposed)>;
  static constexpr const char* kSaveFolderKey = "Map folder";

  // `page` receives SetPosition; `grid` answers whether it covers a position. Neither
  // is owned; both must outlive the window. The map is always a window of its own;
  // `parent` (optional) only ties it to the page's window, so that it stays usable
  // beside a modal main window and opens beside it the first time. (Deleting the map
  // before the parent, e.g. from a std::unique_ptr member of the page, is safe.)
  CDlgMap(CMapOwner* page, const CGridInt* grid, QWidget* parent = nullptr);
  ~CDlgMap() override;

  // Replaces the standard message box (tests record the messages instead).
  void SetMessageHook(MessageHook hook) { m_message = std::move(hook); }
  // Replaces the file dialog of "Save map as PNG..." (tests answer it themselves).
  void SetSaveNameHook(SaveNameHook hook) { m_saveName = std::move(hook); }

  // Makes sure the coast data are loaded, then sets the window up and shows it. False
  // (after "Cannot load coast map data") when there is no coast data with a line; the
  // page then deletes the window and works without a map.
  bool ShowCoastMap();
  // The page's last transformed position: green when the grid covers it, red otherwise.
  void ShowMarker(bool inside, double latitude, double longitude);
  void HideMarker();

  void Fit();
  void ZoomIn();
  void ZoomOut();

  // Composes the whole scene in client coordinates: sea, land, grid layers,
  // coastlines, towns, dot, legend.
  void PaintScene(QPainter& painter);
  // Writes the drawing area as it is painted now, legend included, as a PNG file; false
  // when the file cannot be written.
  bool SaveMapImage(const QString& path);
  // Asks for a file name, proposing one in the folder last saved to, saves the map there
  // and says where it went.
  void SaveMapAs();

  const CMapView& View() const { return m_view; }
  CMapLayers& Layers() { return m_layers; }
  CMapLayersMenu* LayersMenu() const { return m_layersMenu; }
  QRect DrawRect() const;
  QString PositionText() const;
  QString GridStateText() const;
  QString SpanText() const;
  // The separation under the cursor as the line below the position shows it, and in
  // full (its tooltip); "" when the hint is shown instead.
  QString SeparationStatusText() const;
  QString SeparationStatusToolTip() const;
  // Where the legend was painted last (empty when no layer is on).
  QRect LegendBox() const { return m_legendBox; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;  // the legend's tooltip

 public slots:
  // Enter and Escape (and closing from the window frame) do nothing: the page decides
  // when the map goes.
  void accept() override {}
  void reject() override {}

 private:
  CPixelRect MeasureDrawRect() const;
  void LayoutDrawRect();
  void Apply(EViewChange change);
  // The status for the cursor at `pt`; the map takes the focus only from a mouse move.
  void UpdateStatus(const CPixelPt& pt, bool takeFocus);
  // The status for where the cursor is now, after the view changed under it.
  void RefreshStatus();
  void ShowSeparationStatus(const QString& shortText, const QString& fullText);
  void PrepareTowns();
  void DrawDot(QPainter& painter, const CPixelPt& centre, const QColor& colour) const;
  void ShowMessage(const QString& text);
  QString ProposedImagePath() const;
  // The position line and the separation line reach the window's right edge.
  void LayoutPosition();

  CMapOwner* m_pPtPage;
  const CGridInt* m_pGrid;
  CMapView m_view;
  CWheelSteps m_wheelSteps;
  QFont m_font;
  bool m_created = false;
  MessageHook m_message;
  SaveNameHook m_saveName;
  CMapLayers m_layers;
  QRect m_legendBox;

  // Town names, their measured widths and outlines in m_font, in file order, made once
  // per window.
  std::vector<QString> m_townNames;
  std::vector<int> m_townWidths;
  std::vector<QPainterPath> m_townPaths;
  int m_townHeight = 0;
  int m_townAscent = 0;

  QImage m_buffer;  // the back buffer, client-sized

  QPushButton* m_btnFit;
  QPushButton* m_btnZoomIn;
  QPushButton* m_btnZoomOut;
  QLabel* m_stSpan;
  QLabel* m_stPosition;
  QLabel* m_stGridSwatch;
  QLabel* m_stGridState;
  QLabel* m_stHint;
  QLabel* m_stSeparation;
  QToolButton* m_btnLayers;
  CMapLayersMenu* m_layersMenu;
};

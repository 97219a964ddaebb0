#pragma once
// The point transformation page: a typed latitude, longitude and height in a chosen
// vertical reference, listed at once in every reference of the factory with each
// surface's separation from the ellipsoid, largest separation first. Every change of an
// input recomputes; there is no button. The reference list and the results carry a
// tooltip that says which ellipsoid each of the two ellipsoid names means and how far
// apart the two lie at the position typed.
//
// The coast map window lives exactly as long as the page: the page creates it while it
// is set up and deletes it with itself. A double right click on the map calls
// SetPosition; each recomputation hides the map's dot and, once the position has been
// tested against the grid, shows it green (inside) or red (outside).
//
// The inputs and the column widths are kept in the profile section "Point Transform":
// read when the page is created, written when it is destroyed.

#include <QString>
#include <array>
#include <memory>

#include "core/map/MapOwner.h"
#include "core/trans/PointTransform.h"
#include "gui/map/DlgMap.h"
#include "gui/pages/PageBase.h"

class CGridInt;
class CTransBase;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

class CDlgPtTransform : public CPageBase, public CMapOwner {
  Q_OBJECT

 public:
  static constexpr const char* kSection = "Point Transform";
  static constexpr const char* kResultsCaption = "Transformation results:";
  static constexpr const char* kNoGridStatus = "WARNING, no grid file loaded ";
  static constexpr int kColumnCount = 3;
  using ColumnWidths = std::array<int, kColumnCount>;

  // The results list's column widths when none are stored: a third of the list's width
  // less one pixel each while every column's texts fit in that (`needed`, in pixels);
  // otherwise the same total, each column what it needs and an equal share of the rest.
  static ColumnWidths ShareColumnWidths(int listWidth, ColumnWidths needed);

  // `grid` is the main window's grid model (not owned; it outlives the page).
  // `mapMessages` receives the coast map's messages instead of a message box (tests).
  explicit CDlgPtTransform(CGridInt* grid, QWidget* parent = nullptr, CDlgMap::MessageHook mapMessages = {});
  ~CDlgPtTransform() override;

  // The from reference becomes the combobox's selected entry; then recomputes.
  void SelectFromReference();
  // Checks the three inputs and rebuilds the results list (nothing while SetPosition
  // writes the edits).
  void UpdateResults();
  // A position picked on the map: both edits written with six decimals, the height
  // left as it is, and exactly one recomputation.
  void SetPosition(double latitude, double longitude) override;

  // The coast map window, or null when the coast map data could not be loaded.
  CDlgMap* Map() const { return m_pMap.get(); }
  QLineEdit* LatitudeEdit() const { return m_edLat; }
  QLineEdit* LongitudeEdit() const { return m_edLon; }
  QLineEdit* HeightEdit() const { return m_edHt; }
  QComboBox* FromCombo() const { return m_cbFrom; }
  QTableWidget* ResultsList() const { return m_list; }
  QLabel* GridStatus() const { return m_stGrid; }
  QLabel* LatitudeMessage() const { return m_stLatMsg; }
  QLabel* LongitudeMessage() const { return m_stLonMsg; }
  QLabel* HeightMessage() const { return m_stHtMsg; }
  QLabel* ResultsCaption() const { return m_stResults; }

 signals:
  // Emitted after every recomputation that ran (not after the suppressed ones).
  void ResultsUpdated();

 protected:
  // The sign convention changed: every separation changes sign.
  void OnRefresh() override { UpdateResults(); }

 private:
  void CreateControls();
  void CreateMap(CDlgMap::MessageHook mapMessages);
  ColumnWidths NeededColumnWidths() const;
  void SetUpColumns();
  void FillResults(const CPointTransform& point);
  void WriteSettings();

  CGridInt* m_pGrid;                    // the main window's grid model, not owned
  const CTransBase* m_pFrom = nullptr;  // a reference of the factory's list, or none
  std::unique_ptr<CDlgMap> m_pMap;      // none when the coast map could not be loaded
  bool m_bUpdating = false;             // SetPosition is writing the edits

  QComboBox* m_cbFrom = nullptr;
  QLabel* m_stGrid = nullptr;
  QTableWidget* m_list = nullptr;
  QString m_strLat, m_strLon, m_strHt;
  QLabel* m_stLatMsg = nullptr;
  QLabel* m_stLonMsg = nullptr;
  QLabel* m_stHtMsg = nullptr;
  QLabel* m_stResults = nullptr;
  QLineEdit* m_edLat = nullptr;
  QLineEdit* m_edLon = nullptr;
  QLineEdit* m_edHt = nullptr;

  CPointTransform m_point;  // reused, so a keystroke does not allocate the rows anew
};

#include "gui/pages/DlgPtTransform.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <string>

#include "core/common/PathUtil.h"
#include "core/common/Profile.h"
#include "core/grid/GridInt.h"
#include "core/trans/Gda2020Helmert.h"
#include "core/trans/TransFactory.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/FitText.h"
#include "gui/qt/MessageBox.h"

namespace {

constexpr const char* kFromKey = "From";
constexpr const char* kLatKey = "Lat";
constexpr const char* kLonKey = "Lon";
constexpr const char* kHtKey = "Ht";

struct CColumn {
  const char* header;
  Qt::Alignment alignment;
};
constexpr CColumn kColumns[CDlgPtTransform::kColumnCount] = {
    {"Vertical reference", Qt::AlignLeft | Qt::AlignVCenter},
    {"Ellipsoid (GDA94/WGS84)(m)", Qt::AlignRight | Qt::AlignVCenter},
    {"Height/Depth (m)", Qt::AlignRight | Qt::AlignVCenter},
};

// "Col 1" to "Col 3".
std::string ColumnKey(int column) { return "Col " + std::to_string(column + 1); }

std::string ReadString(const char* key) {
  CProfile* profile = GetProfile();
  return profile ? profile->GetString(CDlgPtTransform::kSection, key, "") : std::string();
}

// The wait cursor for the lifetime of the guard.
class CWaitCursor {
 public:
  CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// The normal arrow while a message waits for the user, inside a CWaitCursor.
class CWaitCursorPause {
 public:
  CWaitCursorPause() : m_paused(QApplication::overrideCursor() != nullptr) {
    if (m_paused) QApplication::restoreOverrideCursor();
  }
  ~CWaitCursorPause() {
    if (m_paused) QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  CWaitCursorPause(const CWaitCursorPause&) = delete;
  CWaitCursorPause& operator=(const CWaitCursorPause&) = delete;

 private:
  bool m_paused;
};

QLabel* MakeLabel(QWidget* parent, const CDialogUnits& du, const char* text, QRect units) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setGeometry(du.Rect(units.x(), units.y(), units.width(), units.height()));
  return label;
}

// A field label, widened to its text where the font needs more than its units but never
// reaching the edit that it names.
void MakeFieldLabel(QWidget* parent, const CDialogUnits& du, const char* text, QRect units, int editLeft) {
  WidenToContents(MakeLabel(parent, du, text, units), du.X(editLeft) - 2);
}

QLineEdit* MakeEdit(QWidget* parent, const CDialogUnits& du, const char* name, QRect units) {
  auto* edit = new QLineEdit(parent);  // any text may be typed; the checks say what is wrong
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(du.Rect(units.x(), units.y(), units.width(), units.height()));
  return edit;
}

// Which ellipsoid each of the two ellipsoid names means, and how far apart they lie at
// the position typed (or around Australia, before a position is valid).
QString EllipsoidsTip(bool hasPosition, double latitude, double longitude) {
  QString where = QStringLiteral("Around Australia the GDA2020 ellipsoid lies 0.06 to 0.12 m above the GDA94 one");
  QString lower = QStringLiteral("0.06 to 0.12 m");
  if (hasPosition) {
    lower = QString::asprintf("%.3f m", CGda2020Helmert::EllipsoidHeight(latitude, longitude));
    where = QString::asprintf("At %.6f, %.6f the GDA2020 ellipsoid lies ", latitude, longitude) + lower +
            QStringLiteral(" above the GDA94 one");
  }
  return QStringLiteral(
             "Ellipsoid (GDA94/WGS84): heights above the GDA94 ellipsoid, as GNSS gave them in GDA94 (or "
             "WGS84).\nEllipsoid (GDA2020): heights above the GDA2020 ellipsoid, as today's GNSS, CORS and AUSPOS "
             "give them.\n") +
         where + QStringLiteral(": a point's GDA2020 ellipsoidal height is ") + lower +
         QStringLiteral(" lower than its GDA94 one.");
}

QTableWidgetItem* MakeCell(const QString& text, Qt::Alignment alignment) {
  auto* cell = new QTableWidgetItem(text);
  cell->setTextAlignment(alignment);
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return cell;
}

}  // namespace

CDlgPtTransform::CDlgPtTransform(CGridInt* grid, QWidget* parent, CDlgMap::MessageHook mapMessages)
    : CPageBase(parent), m_pGrid(grid) {
  const CWaitCursor wait;
  CreateControls();
  CreateMap(std::move(mapMessages));

  if (m_pGrid && m_pGrid->IsLoaded())
    m_stGrid->setText(QStringLiteral("Grid file: ") + QString::fromStdString(GetFileNamePart(m_pGrid->GetFilePath())));
  else
    m_stGrid->setText(QString::fromLatin1(kNoGridStatus));

  for (const std::string& name : CTransFactory::Instance().GetNames()) m_cbFrom->addItem(QString::fromStdString(name));
  WidenToContents(m_cbFrom, m_list->x() + m_list->width());  // its row is free up to the list's right edge
  const int stored =
      m_cbFrom->findText(QString::fromStdString(ReadString(kFromKey)), Qt::MatchFixedString | Qt::MatchCaseSensitive);
  m_cbFrom->setCurrentIndex(stored >= 0 ? stored : 0);
  SelectFromReference();
  // Only now do selection changes recompute, so the restored choice is not applied twice.
  connect(m_cbFrom, &QComboBox::currentIndexChanged, this, &CDlgPtTransform::SelectFromReference);

  connect(m_edLat, &QLineEdit::textChanged, this, &CDlgPtTransform::UpdateResults);
  connect(m_edLon, &QLineEdit::textChanged, this, &CDlgPtTransform::UpdateResults);
  connect(m_edHt, &QLineEdit::textChanged, this, &CDlgPtTransform::UpdateResults);
  // Each edit's change recomputes, and a recomputation copies all three edits into the
  // page's strings: the stored texts are kept apart until all three are in their edits.
  const QString lat = QString::fromStdString(ReadString(kLatKey));
  const QString lon = QString::fromStdString(ReadString(kLonKey));
  const QString height = QString::fromStdString(ReadString(kHtKey));
  m_edLat->setText(lat);
  m_edLon->setText(lon);
  m_edHt->setText(height);

  SetUpColumns();
  UpdateResults();
}

CDlgPtTransform::~CDlgPtTransform() {
  // The map goes first, so that nothing it does while closing reaches a half-gone page.
  m_pMap.reset();
  WriteSettings();
}

void CDlgPtTransform::CreateControls() {
  const CDialogUnits du(font());
  resize(du.X(305), du.Y(252));

  m_stGrid = MakeLabel(this, du, "", QRect(7, 2, 291, 10));
  m_stGrid->setObjectName(QStringLiteral("gridStatus"));

  MakeFieldLabel(this, du, "Latitude (Dec. Deg.):", QRect(7, 15, 70, 9), 87);
  m_edLat = MakeEdit(this, du, "latitude", QRect(87, 13, 100, 12));
  m_stLatMsg = MakeLabel(this, du, "", QRect(190, 14, 97, 10));

  MakeFieldLabel(this, du, "Longitude (Dec. Deg.):", QRect(7, 28, 78, 9), 87);
  m_edLon = MakeEdit(this, du, "longitude", QRect(87, 26, 100, 12));
  m_stLonMsg = MakeLabel(this, du, "", QRect(190, 27, 103, 10));

  MakeFieldLabel(this, du, "Height/Depth (m):", QRect(7, 41, 74, 9), 87);
  m_edHt = MakeEdit(this, du, "height", QRect(87, 39, 100, 12));
  m_stHtMsg = MakeLabel(this, du, "", QRect(190, 40, 108, 10));

  MakeFieldLabel(this, du, "Vertical reference:", QRect(7, 54, 73, 9), 87);
  m_cbFrom = new QComboBox(this);
  m_cbFrom->setObjectName(QStringLiteral("from"));
  m_cbFrom->setEditable(false);
  m_cbFrom->setGeometry(du.Rect(87, 52, 101, 14));

  m_stResults = MakeLabel(this, du, "", QRect(7, 66, 291, 10));
  m_stResults->setObjectName(QStringLiteral("resultsCaption"));

  m_list = new QTableWidget(0, kColumnCount, this);
  m_list->setObjectName(QStringLiteral("results"));
  m_list->setGeometry(du.Rect(7, 78, 291, 169));
  m_list->setShowGrid(true);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setSortingEnabled(false);
  m_list->setWordWrap(false);
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  m_list->horizontalHeader()->setSectionsClickable(false);
  m_list->horizontalHeader()->setHighlightSections(false);
  m_list->horizontalHeader()->setStretchLastSection(false);
  for (int column = 0; column < kColumnCount; ++column) {
    auto* header = new QTableWidgetItem(QString::fromLatin1(kColumns[column].header));
    header->setTextAlignment(kColumns[column].alignment);
    m_list->setHorizontalHeaderItem(column, header);
  }
}

void CDlgPtTransform::CreateMap(CDlgMap::MessageHook mapMessages) {
  m_pMap = std::make_unique<CDlgMap>(this, m_pGrid, this);
  // The map's message waits for the user: show the arrow over it, not the wait cursor.
  m_pMap->SetMessageHook([this, hook = std::move(mapMessages)](const QString& text) {
    const CWaitCursorPause pause;
    if (hook) {
      hook(text);
      return;
    }
    ShowMessageBox(this, text);
  });
  if (!m_pMap->ShowCoastMap()) m_pMap.reset();  // the page works without a map
}

CDlgPtTransform::ColumnWidths CDlgPtTransform::ShareColumnWidths(int listWidth, ColumnWidths needed) {
  const int third = listWidth / 3 - 1;
  if (std::all_of(needed.begin(), needed.end(), [third](int width) { return width <= third; }))
    return {third, third, third};
  // A font too wide for equal thirds: the same total, each column what it needs and an
  // equal share of the rest (the first columns take the pixels left over).
  int spare = kColumnCount * third;
  for (int width : needed) spare -= width;
  spare = std::max(0, spare);
  for (int column = 0; column < kColumnCount; ++column)
    needed[column] += spare / kColumnCount + (column < spare % kColumnCount ? 1 : 0);
  return needed;
}

CDlgPtTransform::ColumnWidths CDlgPtTransform::NeededColumnWidths() const {
  // Each column's header, and in the first column every reference name with the margins
  // the cells draw it in.
  ColumnWidths needed{};
  for (int column = 0; column < kColumnCount; ++column)
    needed[column] = m_list->horizontalHeader()->sectionSizeHint(column);
  const int cellMargins = 2 * (m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1);
  for (const std::string& name : CTransFactory::Instance().GetNames())
    needed[0] =
        std::max(needed[0], m_list->fontMetrics().horizontalAdvance(QString::fromStdString(name)) + cellMargins);
  return needed;
}

void CDlgPtTransform::SetUpColumns() {
  const ColumnWidths defaults = ShareColumnWidths(m_list->width(), NeededColumnWidths());
  CProfile* profile = GetProfile();
  for (int column = 0; column < kColumnCount; ++column) {
    const int width = profile ? profile->GetInt(kSection, ColumnKey(column), defaults[column]) : defaults[column];
    m_list->setColumnWidth(column, std::max(0, width));  // a damaged negative width hides the column
  }
}

void CDlgPtTransform::SelectFromReference() {
  m_pFrom = CTransFactory::Instance().Find(m_cbFrom->currentText().toStdString());
  UpdateResults();
}

void CDlgPtTransform::UpdateResults() {
  if (m_bUpdating) return;
  m_stLatMsg->clear();
  m_stLonMsg->clear();
  m_stHtMsg->clear();
  m_stResults->clear();
  if (m_pMap) m_pMap->HideMarker();
  m_list->setRowCount(0);

  m_strLat = m_edLat->text();
  m_strLon = m_edLon->text();
  m_strHt = m_edHt->text();
  using Outcome = CPointTransform::Outcome;
  const Outcome outcome =
      m_point.Compute(m_strLat.toStdString(), m_strLon.toStdString(), m_strHt.toStdString(), m_pFrom, m_pGrid);
  const QString message = QString::fromLatin1(CPointTransform::GetMessage(outcome));
  const bool hasPosition = outcome == Outcome::Done || outcome == Outcome::Outside || outcome == Outcome::BadHeight;
  const QString tip = EllipsoidsTip(hasPosition, m_point.GetLatitude(), m_point.GetLongitude());
  m_cbFrom->setToolTip(tip);
  m_list->setToolTip(tip);
  switch (outcome) {
    case Outcome::BadLatitude:
      m_stLatMsg->setText(message);
      break;
    case Outcome::BadLongitude:
      m_stLonMsg->setText(message);
      break;
    case Outcome::BadHeight:
      m_stHtMsg->setText(message);
      break;
    case Outcome::Outside:
      m_stResults->setText(message);
      if (m_pMap) m_pMap->ShowMarker(false, m_point.GetLatitude(), m_point.GetLongitude());
      break;
    case Outcome::NoReference:  // only with an empty reference list: nothing to show
      break;
    case Outcome::Done:
      FillResults(m_point);
      m_stResults->setText(QString::fromLatin1(kResultsCaption));
      if (m_pMap) m_pMap->ShowMarker(true, m_point.GetLatitude(), m_point.GetLongitude());
      break;
  }
  emit ResultsUpdated();
}

void CDlgPtTransform::FillResults(const CPointTransform& point) {
  const auto& rows = point.GetRows();  // largest separation first
  m_list->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const CPointRow& row = rows[i];
    m_list->setItem(i, 0, MakeCell(QString::fromStdString(row.m_name), kColumns[0].alignment));
    m_list->setItem(i, 1, MakeCell(QString::asprintf("%.2f", row.m_separation), kColumns[1].alignment));
    m_list->setItem(i, 2, MakeCell(QString::asprintf("%.2f", row.m_height), kColumns[2].alignment));
  }
}

void CDlgPtTransform::SetPosition(double latitude, double longitude) {
  m_bUpdating = true;
  m_edLat->setText(QString::asprintf("%.6f", latitude));
  m_edLon->setText(QString::asprintf("%.6f", longitude));
  m_bUpdating = false;
  UpdateResults();
}

void CDlgPtTransform::WriteSettings() {
  CProfile* profile = GetProfile();
  if (!profile) return;
  profile->WriteString(kSection, kFromKey, m_cbFrom->currentText().toStdString());
  m_strLat = m_edLat->text();
  m_strLon = m_edLon->text();
  m_strHt = m_edHt->text();
  profile->WriteString(kSection, kLatKey, m_strLat.toStdString());
  profile->WriteString(kSection, kLonKey, m_strLon.toStdString());
  profile->WriteString(kSection, kHtKey, m_strHt.toStdString());
  for (int column = 0; column < kColumnCount; ++column)
    profile->WriteInt(kSection, ColumnKey(column), m_list->columnWidth(column));
}

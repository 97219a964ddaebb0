#include "gui/app/MarevertDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/common/DeferredProfile.h"
#include "core/common/PathUtil.h"
#include "core/common/Profile.h"
#include "core/files/FileFactory.h"
#include "core/map/MapData.h"
#include "core/trans/CoordConv.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"
#include "gui/app/MarevertPages.h"
#include "gui/pages/PageBase.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/FitText.h"
#include "gui/qt/ProgramIdentity.h"
#include "gui/qt/WindowPlacement.h"
#include "gui/windows/DlgDisclaimer.h"

namespace {
const char* const kPlacementSection = "CMarevertDlg";
const char* const kGridSection = "Grid file";
const char* const kGridKey = "Current";
const char* const kSignSection = "Vertical datum";
const char* const kSignKey = "Selection";
const char* const kGridExtension = ".MRGGrid";
// Longest search pattern the folder search accepts, as the platform's path limit.
constexpr std::size_t kMaxPatternLength = 260;

bool RunDisclaimerDialog(QWidget* parent, const std::string& title, const std::string& file, bool singleButton) {
  CDlgDisclaimer dialog(title, file, singleButton, parent);
  dialog.exec();
  return dialog.IsAccepted();
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}
}  // namespace

CMarevertDlg::CMarevertDlg(QWidget* parent) : QDialog(parent), m_runDisclaimer(RunDisclaimerDialog) {
  setWindowTitle(QStringLiteral("Marevert"));
  // Caption, window menu and close box; no minimise or maximise box.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(ProgramIcon());

  const CDialogUnits du(font());
  setFixedSize(du.X(319), du.Y(313));

  auto* label = new QLabel(QStringLiteral("Relative to the vertical reference"), this);
  label->setGeometry(du.Rect(8, 7, 112, 10));
  WidenToContents(label);
  m_cbSign = new QComboBox(this);
  m_cbSign->setObjectName(QStringLiteral("sign"));
  // Fonts wider than the one the layout was drawn for would run the label under the
  // combobox; the combobox then starts after the label and keeps its right edge.
  QRect combo = du.Rect(120, 4, 192, 12);
  const int labelRight = label->x() + label->sizeHint().width() + du.X(2);
  if (labelRight > combo.left()) combo.setLeft(labelRight);
  m_cbSign->setGeometry(combo);

  // The tab control: a tab bar over a framed display area. Pages are children of the
  // main window placed over the display area, so a page can be destroyed and created
  // without the tab bar knowing.
  const QRect tabRect = du.Rect(7, 21, 305, 268);
  m_tab = new QTabBar(this);
  m_tab->setObjectName(QStringLiteral("tabs"));
  m_tab->setExpanding(false);
  m_tab->setDrawBase(false);
  for (const char* text : {"File Transformation", "Point Transformation", "Grid file", "About"})
    m_tab->addTab(QString::fromUtf8(text));
  const int tabHeight = m_tab->sizeHint().height();
  m_tab->setGeometry(tabRect.left(), tabRect.top(), tabRect.width(), tabHeight);
  m_tabFrame = new QFrame(this);
  m_tabFrame->setFrameShape(QFrame::StyledPanel);
  m_tabFrame->setGeometry(tabRect.left(), tabRect.top() + tabHeight, tabRect.width(), tabRect.height() - tabHeight);
  m_tabFrame->lower();

  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("close"));
  close->setGeometry(du.Rect(262, 292, 50, 14));
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

CMarevertDlg::~CMarevertDlg() {
  // A window destroyed while running (not through done) still writes its settings.
  if (m_running && !m_closed) OnClosing();
  delete m_pPage;
  m_pPage = nullptr;
  // The process-wide single instances, in this order.
  CCoordConv::Release();
  CTransFactory::Release();
  CFileFactory::Release();
  CMapData::Release();
}

bool CMarevertDlg::Initialise() {
  // Nothing reaches the profile before the disclaimer is accepted: the grid load's
  // progress window and the first page write into held values, which a declined start
  // drops.
  CDeferredProfile deferred(GetProfile());
  const CScopedProfile scoped(&deferred);

  // Page rectangle: the tab control's display area below the tab headers.
  m_rcPage = m_tabFrame->geometry().adjusted(2, 2, -2, -2);

  LoadStartupGrid();

  m_cbSign->addItem(QStringLiteral("Depths negative/Heights positive"));
  m_cbSign->addItem(QStringLiteral("Depths positive/Heights negative"));
  int selection = 0;
  if (CProfile* profile = GetProfile()) selection = profile->GetInt(kSignSection, kSignKey, 0);
  if (selection < 0 || selection > 1) selection = 0;
  m_cbSign->setCurrentIndex(selection);
  ApplySignConvention();
  connect(m_cbSign, &QComboBox::currentIndexChanged, this, &CMarevertDlg::ApplySignConvention);

  m_tab->setCurrentIndex(kPageFileTransform);
  ShowPage(kPageFileTransform);
  connect(m_tab, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0) ShowPage(index);
  });

  RestoreWindowPlacement(kPlacementSection, this, true);

  if (!m_runDisclaimer(this, "Marevert Disclaimer", "Licence.rtf", false)) {
    delete m_pPage;  // its settings go to the held values
    m_pPage = nullptr;
    if (m_exit) m_exit(1);
    return false;
  }
  deferred.Commit();
  m_running = true;
  return true;
}

int CMarevertDlg::Run() {
  if (!Initialise()) return 1;
  exec();
  return 0;
}

void CMarevertDlg::LoadStartupGrid() {
  std::string current;
  if (CProfile* profile = GetProfile()) current = profile->GetString(kGridSection, kGridKey, "");
  if (!current.empty()) m_grid.LoadFile(current);
  if (m_grid.IsLoaded()) return;

  std::string folder;
  if (!GetProgramFolder(folder)) return;
  if ((folder + "*" + kGridExtension).size() >= kMaxPatternLength) return;
  const std::string first = FindFirstGridFile(folder);
  if (!first.empty()) m_grid.LoadFile(first);  // only this one file is tried
}

std::string CMarevertDlg::FindFirstGridFile(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::filesystem::path& path = it->path();
    // The extension matches in any case, as the wildcard search of the platform did.
    if (!EqualsIgnoringCase(path.extension().string(), kGridExtension)) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    names.push_back(path.filename().string());
  }
  if (names.empty()) return std::string();
  // The listing order of the file system is arbitrary; name order makes "first" the same
  // on every machine.
  std::sort(names.begin(), names.end());
  return folder + names.front();
}

void CMarevertDlg::ShowPage(int index) {
  if (index < 0 || index >= kPageCount) return;
  if (m_pPage) {
    delete m_pPage;  // the page writes its own settings as it goes
    m_pPage = nullptr;
  }
  m_pPage = CreateMarevertPage(index, &m_grid, this);
  if (!m_pPage) return;
  m_pPage->setGeometry(m_rcPage);
  m_pPage->raise();
  m_pPage->show();
}

void CMarevertDlg::ApplySignConvention() {
  CTransBase::s_sign = m_cbSign->currentIndex() == 1 ? -1.0 : 1.0;
  if (m_pPage) QCoreApplication::postEvent(m_pPage, new QEvent(CPageBase::RefreshEventType()));
}

void CMarevertDlg::done(int result) {
  if (m_running && !m_closed) OnClosing();
  QDialog::done(result);
}

void CMarevertDlg::OnClosing() {
  m_closed = true;
  if (CProfile* profile = GetProfile()) {
    profile->WriteString(kGridSection, kGridKey, m_grid.GetFilePath());
    profile->WriteInt(kSignSection, kSignKey, m_cbSign->currentIndex());
  }
  delete m_pPage;
  m_pPage = nullptr;
  SaveWindowPlacement(kPlacementSection, this);
}

void CMarevertDlg::keyPressEvent(QKeyEvent* event) {
  // Enter is the dialog's default command, which this window ignores; Escape closes.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

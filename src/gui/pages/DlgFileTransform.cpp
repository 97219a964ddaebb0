#include "gui/pages/DlgFileTransform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <set>

#include "core/batch/BatchReferences.h"
#include "core/batch/FileProc.h"
#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/common/Profile.h"
#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/trans/CoordConv.h"
#include "core/trans/TransFactory.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/FitText.h"
#include "gui/qt/ListBoxExtent.h"
#include "gui/qt/MessageBox.h"

namespace {

constexpr int kPathRole = Qt::UserRole;  // item data: the file's full path

// A list line: the file name part shown, the full path as item data. Lines sort by the
// shown text ignoring case, as a sorted list box does, then by exact text.
class CFileItem : public QListWidgetItem {
 public:
  explicit CFileItem(const std::string& path) : QListWidgetItem(QString::fromStdString(GetFileNamePart(path))) {
    setData(kPathRole, QString::fromStdString(path));
  }
  bool operator<(const QListWidgetItem& other) const override {
    const int order = text().compare(other.text(), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : text() < other.text();
  }
};

QStringList ChooseFiles(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("Select files to process"), folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(
      {QStringLiteral("Supported (*.txt *.xyz *.dat *.asc *.las *.htf)"),
       QStringLiteral("ASCII xyz (*.txt *.xyz *.dat)"), QStringLiteral("ESRI ASCII Raster (*.asc *.txt)"),
       QStringLiteral("Common Lidar Data Exchange (*.las)"), QStringLiteral("Hydrographic Transfer Format (*.htf)"),
       QStringLiteral("Rasters (*.tif *.tiff *.bag *.nc *.img *.vrt)"), QStringLiteral("All Files (*)")});
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString ProfileString(const char* key) {
  CProfile* profile = GetProfile();
  return profile ? QString::fromStdString(profile->GetString(CDlgFileTransform::kSection, key, "")) : QString();
}

// Selects the item whose text equals `text`, else the first item.
void SelectText(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  combo->setCurrentIndex(index >= 0 ? index : 0);
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QRect& rect) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setGeometry(rect.x(), rect.y(), rect.width(), combo->sizeHint().height());
  return combo;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& rect) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(rect);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(rect);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

CDlgFileTransform::CDlgFileTransform(CGridInt* grid, QWidget* parent)
    : CPageBase(parent),
      m_pGrid(grid),
      m_chooseFiles(ChooseFiles),
      m_messageBox([](QWidget* parent, const QString& text) { ShowMessageBox(parent, text); }) {
  const CDialogUnits du(font());
  resize(du.X(305), du.Y(254));

  m_gridLine = MakeLabel(this, QString(), du.Rect(8, 7, 286, 10));
  m_gridLine->setObjectName(QStringLiteral("gridLine"));
  auto* add = MakeButton(this, "addFiles", QStringLiteral("Add files"), du.Rect(8, 21, 50, 14));
  m_remove = MakeButton(this, "remove", QStringLiteral("Remove"), du.Rect(8, 37, 50, 14));
  m_removeAll = MakeButton(this, "removeAll", QStringLiteral("Remove all"), du.Rect(8, 53, 50, 14));

  m_files = new QListWidget(this);
  m_files->setObjectName(QStringLiteral("files"));
  m_files->setGeometry(du.Rect(64, 21, 230, 136));
  m_files->setSelectionMode(QAbstractItemView::MultiSelection);
  m_files->setSortingEnabled(true);
  m_files->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_files->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  QLabel* zoneLabel = MakeLabel(this, QStringLiteral("MGA/WGS84 UTM Zone:"), du.Rect(8, 163, 102, 9));
  m_zone = MakeCombo(this, "zone", du.Rect(125, 161, 119, 30));
  QLabel* inputLabel = MakeLabel(this, QStringLiteral("Vertical reference of input data:"), du.Rect(8, 178, 110, 9));
  m_input = MakeCombo(this, "inputRef", du.Rect(125, 176, 119, 30));
  QLabel* outputLabel = MakeLabel(this, QStringLiteral("Vertical reference of output data:"), du.Rect(8, 193, 110, 9));
  m_output = MakeCombo(this, "outputRef", du.Rect(125, 191, 119, 30));
  PlaceAfterLabels({zoneLabel, inputLabel, outputLabel}, {m_zone, m_input, m_output}, du.X(2));

  m_useShift = new QCheckBox(QStringLiteral("Apply block shift (m):"), this);
  m_useShift->setObjectName(QStringLiteral("useBlockShift"));
  m_useShift->setGeometry(du.Rect(8, 210, 84, 10));
  m_shift = new QLineEdit(this);
  m_shift->setObjectName(QStringLiteral("blockShift"));
  m_shift->setGeometry(du.Rect(94, 209, 50, 12));
  WidenToContents(m_useShift, m_shift->x() - du.X(1));
  m_hint = MakeLabel(this, QString(), du.Rect(148, 210, 146, 9));
  m_hint->setObjectName(QStringLiteral("blockShiftHint"));
  auto* process = MakeButton(this, "process", QStringLiteral("Process"), du.Rect(127, 233, 50, 14));

  // Grid file line.
  if (m_pGrid == nullptr || !m_pGrid->IsLoaded())
    m_gridLine->setText(QStringLiteral("WARNING, no grid file loaded "));
  else
    m_gridLine->setText(QStringLiteral("Grid file: ") +
                        QString::fromStdString(GetFileNamePart(m_pGrid->GetFilePath())));

  for (int zone = CCoordConv::kFirstZone; zone <= CCoordConv::kLastZone; ++zone) m_zone->addItem(QString::number(zone));
  for (const std::string& name : CTransFactory::Instance().GetNames()) {
    m_input->addItem(QString::fromStdString(name));
    m_output->addItem(QString::fromStdString(name));
  }
  Restore();

  connect(add, &QPushButton::clicked, this, &CDlgFileTransform::OnAddFiles);
  connect(m_remove, &QPushButton::clicked, this, &CDlgFileTransform::OnRemove);
  connect(m_removeAll, &QPushButton::clicked, this, &CDlgFileTransform::OnRemoveAll);
  connect(process, &QPushButton::clicked, this, &CDlgFileTransform::OnProcess);
  connect(m_useShift, &QCheckBox::clicked, this, &CDlgFileTransform::UpdateBlockShiftControls);
  connect(m_shift, &QLineEdit::textChanged, this, &CDlgFileTransform::ValidateBlockShift);
  connect(m_files, &QListWidget::itemSelectionChanged, this, &CDlgFileTransform::UpdateFileButtons);

  UpdateFileButtons();
  ValidateBlockShift();
  UpdateBlockShiftControls();
}

CDlgFileTransform::~CDlgFileTransform() {
  Save();
  OnRemoveAll();
}

void CDlgFileTransform::Restore() {
  SelectText(m_zone, ProfileString("Zone"));
  SelectText(m_input, ProfileString("From"));
  SelectText(m_output, ProfileString("To"));
  CProfile* profile = GetProfile();
  m_useShift->setChecked(profile != nullptr && profile->GetInt(kSection, "Use Offset", 0) == 1);
  m_shift->setText(ProfileString("Offset"));
}

void CDlgFileTransform::Save() {
  CProfile* profile = GetProfile();
  if (profile == nullptr) return;
  profile->WriteString(kSection, "Zone", m_zone->currentText().toStdString());
  profile->WriteString(kSection, "From", m_input->currentText().toStdString());
  profile->WriteString(kSection, "To", m_output->currentText().toStdString());
  profile->WriteInt(kSection, "Use Offset", m_useShift->isChecked() ? 1 : 0);
  profile->WriteString(kSection, "Offset", m_shift->text().toStdString());
}

void CDlgFileTransform::UpdateFileButtons() {
  m_remove->setEnabled(!m_files->selectedItems().isEmpty());
  m_removeAll->setEnabled(m_files->count() > 0);
}

void CDlgFileTransform::UpdateBlockShiftControls() {
  const bool blockShift = m_useShift->isChecked();
  m_input->setEnabled(!blockShift);
  m_output->setEnabled(!blockShift);
  m_shift->setEnabled(blockShift);
  m_hint->setEnabled(blockShift);
}

void CDlgFileTransform::ValidateBlockShift() {
  m_hint->clear();
  if (!IsNumberText(m_shift->text().toStdString())) m_hint->setText(QStringLiteral("* Enter a number"));
}

std::vector<std::string> CDlgFileTransform::GetFilePaths() const {
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(m_files->count()));
  for (int i = 0; i < m_files->count(); ++i)
    paths.push_back(m_files->item(i)->data(kPathRole).toString().toStdString());
  return paths;
}

void CDlgFileTransform::OnAddFiles() {
  const QStringList chosen = m_chooseFiles(this, ProfileString("Path"));
  if (chosen.isEmpty()) return;

  // The listed paths and the chosen ones, without exact duplicates.
  std::set<std::string> paths;
  for (const std::string& path : GetFilePaths()) paths.insert(path);
  m_files->clear();
  for (const QString& path : chosen) paths.insert(path.toStdString());

  if (CProfile* profile = GetProfile()) profile->WriteString(kSection, "Path", GetFolderPart(*paths.begin()));
  for (const std::string& path : paths) m_files->addItem(new CFileItem(path));
  FitListBoxExtent(m_files);
  UpdateFileButtons();
}

void CDlgFileTransform::OnRemove() {
  // Deleting from the back keeps the rows still to delete where they are.
  const QList<QListWidgetItem*> selected = m_files->selectedItems();
  std::vector<int> rows;
  for (QListWidgetItem* item : selected) rows.push_back(m_files->row(item));
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) delete m_files->takeItem(row);
  FitListBoxExtent(m_files);
  UpdateFileButtons();
}

void CDlgFileTransform::OnRemoveAll() {
  m_files->clear();
  UpdateFileButtons();
}

void CDlgFileTransform::OnProcess() {
  const bool blockShift = m_useShift->isChecked();
  CBatchReferences references;
  const std::string refused =
      blockShift ? references.SetBlockShiftText(m_shift->text().toStdString())
                 : references.SetListed(m_input->currentText().toStdString(), m_output->currentText().toStdString());
  if (!refused.empty()) {
    m_messageBox(this, QString::fromStdString(refused));
    return;
  }
  if (!blockShift && (m_pGrid == nullptr || !m_pGrid->IsLoaded())) {
    m_messageBox(this, QStringLiteral("No grid file available\nGo to the 'Grid file' tab to load a grid file"));
    return;
  }
  if (m_files->count() == 0) {
    m_messageBox(this, QStringLiteral("No files for transformation\nUse the 'Add files' button"));
    return;
  }

  const std::vector<std::string> paths = GetFilePaths();
  const int zone = ClassicAtoi(m_zone->currentText().toStdString().c_str());
  CFileProc job(m_pGrid, &paths, references.Input(), references.Output(), zone);
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Processing files ...", true);
}

#include "gui/pages/DlgGridFile.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransSurface.h"
#include "gui/pages/DlgGridExport.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/ListBoxExtent.h"
#ifdef MAREVERT_WITH_GDAL
#include "gdal/GridExport.h"
#endif

namespace {
QString ChooseGridFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Open"), QString(),
                     QStringLiteral("Grid files (*.MRGGrid);;All Files (*.*)"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("MRGGrid"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

std::optional<CShiftGridDefinition> ChooseExport(QWidget* parent, double sign) {
  CDlgGridExport dialog(sign, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.GetDefinition();
}

QString ChooseExportFile(QWidget* parent, const QString& suggested) {
  const QString geoTiff = QStringLiteral("GeoTIFF for PROJ (*.tif)"), gtx = QStringLiteral("GTX (*.gtx)");
  QFileDialog dialog(parent, QStringLiteral("Export for PROJ"), suggested, geoTiff + QStringLiteral(";;") + gtx);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("tif"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, gtx](const QString& filter) {
    dialog.setDefaultSuffix(filter == gtx ? QStringLiteral("gtx") : QStringLiteral("tif"));
  });
  // The file dialog asks before replacing an existing file (its default behaviour).
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

// The summary in a message box whose text can be selected, with a button that copies
// the pipeline.
void ShowExportSummary(QWidget* parent, const std::vector<std::string>& summary, const std::string& pipeline) {
  QStringList lines;
  for (const std::string& line : summary) lines << QString::fromStdString(line);
  QMessageBox box(QMessageBox::Information, QStringLiteral("Export for PROJ"), lines.join(QLatin1Char('\n')),
                  QMessageBox::Ok, parent);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  QPushButton* copy = box.addButton(QStringLiteral("Copy pipeline"), QMessageBox::ActionRole);
  box.exec();
  if (box.clickedButton() == copy) QApplication::clipboard()->setText(QString::fromStdString(pipeline));
}

// A file name for the export: "LAT_to_AHD.tif", or "AHD.tif" for one surface; the
// GDA2020 ellipsoid shows ("LAT_to_Ellipsoid_GDA2020.tif", "AHD_GDA2020.tif" for AHD
// above it).
QString SuggestedName(const CShiftGridDefinition& definition) {
  const auto word = [](const std::string& name) {
    if (name == CTrans_Ellipsoid_GDA2020().GetName()) return QStringLiteral("Ellipsoid_GDA2020");
    return QString::fromStdString(name.substr(0, name.find(' ')));
  };
  if (!definition.GetSurfaceName().empty())
    return word(definition.GetSurfaceName()) +
           (definition.InvolvesGda2020() ? QStringLiteral("_GDA2020.tif") : QStringLiteral(".tif"));
  return word(definition.GetFromName()) + QStringLiteral("_to_") + word(definition.GetToName()) +
         QStringLiteral(".tif");
}
}  // namespace

CDlgGridFile::CDlgGridFile(CGridInt* grid, QWidget* parent)
    : CPageBase(parent),
      m_pGrid(grid),
      m_chooseFile(ChooseGridFile),
      m_export{ChooseExport, ChooseExportFile, ShowExportSummary} {
  const CDialogUnits du(font());
  resize(du.X(305), du.Y(198));

  auto* load = new QPushButton(QStringLiteral("Load"), this);
  load->setObjectName(QStringLiteral("load"));
  load->setGeometry(du.Rect(7, 7, 50, 14));
  load->setAutoDefault(false);
  auto* label = new QLabel(QStringLiteral("Current grid file details"), this);
  label->setGeometry(du.Rect(7, 28, 79, 8));
  label->adjustSize();  // the label's width in units is narrow for some fonts

  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("details"));
  m_list->setGeometry(du.Rect(7, 39, 291, 137));
  m_list->setSelectionMode(QAbstractItemView::NoSelection);
  m_list->setSortingEnabled(false);
  m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  connect(load, &QPushButton::clicked, this, &CDlgGridFile::OnLoad);
#ifdef MAREVERT_WITH_GDAL
  m_exportButton = new QPushButton(QStringLiteral("Export for PROJ..."), this);
  m_exportButton->setObjectName(QStringLiteral("export"));
  m_exportButton->setGeometry(du.Rect(62, 7, 80, 14));
  m_exportButton->setAutoDefault(false);
  connect(m_exportButton, &QPushButton::clicked, this, &CDlgGridFile::OnExport);
#endif
  LoadDetails();
}

void CDlgGridFile::LoadDetails() {
  m_list->clear();
  for (const std::string& line : m_pGrid->GetDetails()) m_list->addItem(QString::fromStdString(line));
  FitListBoxExtent(m_list);
  if (m_exportButton) m_exportButton->setEnabled(m_pGrid->IsLoaded());
}

void CDlgGridFile::OnLoad() {
  const QString path = m_chooseFile(this);
  if (path.isEmpty()) return;
  m_pGrid->LoadFile(path.toStdString());
  LoadDetails();
}

void CDlgGridFile::OnExport() {
#ifdef MAREVERT_WITH_GDAL
  if (!m_pGrid->IsLoaded()) return;
  const std::optional<CShiftGridDefinition> definition = m_export.chooseDefinition(this, CTransBase::s_sign);
  if (!definition) return;
  const QString chosen = m_export.chooseFile(this, SuggestedName(*definition));
  if (chosen.isEmpty()) return;
  const std::string path = chosen.toStdString();
  const std::optional<CGridExport::Format> format = CGridExport::FormatFromPath(path);
  if (!format) {
    GetMessenger().ShowMessage("Give the file the extension .tif (GeoTIFF) or .gtx (GTX):\n" + path);
    return;
  }
  CGridExport job(*m_pGrid, *definition, path, *format);
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Exporting grid for PROJ", true);
  if (job.OutputWritten()) m_export.showSummary(this, job.GetSummary(), definition->GetPipeline(path));
#endif
}

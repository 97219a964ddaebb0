#include "ui/DlgGridFile.h"

#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "common/DialogUnits.h"
#include "common/ListBoxExtent.h"
#include "grid/GridInt.h"

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
}  // namespace

CDlgGridFile::CDlgGridFile(CGridInt* grid, QWidget* parent)
    : CPageBase(parent), m_pGrid(grid), m_chooseFile(ChooseGridFile) {
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
  LoadDetails();
}

void CDlgGridFile::LoadDetails() {
  m_list->clear();
  for (const std::string& line : m_pGrid->GetDetails()) m_list->addItem(QString::fromStdString(line));
  FitListBoxExtent(m_list);
}

void CDlgGridFile::OnLoad() {
  const QString path = m_chooseFile(this);
  if (path.isEmpty()) return;
  m_pGrid->LoadFile(path.toStdString());
  LoadDetails();
}

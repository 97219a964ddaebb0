#include "gui/pages/DlgGridExport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"

namespace {

// A combo box of the listed references in factory order, `selected` chosen; without
// the ellipsoid when `surfacesOnly`.
QComboBox* ReferenceBox(const char* name, const char* selected, bool surfacesOnly, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  const CTransFactory& factory = CTransFactory::Instance();
  for (std::size_t i = 0; i < factory.GetCount(); ++i) {
    const CTransBase* ref = factory.GetAt(i);
    if (surfacesOnly && ref->GetSurfaceRead() == CDataPt::kEllipsoid) continue;
    box->addItem(QString::fromStdString(ref->GetName()));
  }
  box->setCurrentText(QString::fromLatin1(selected));
  return box;
}

const CTransBase& Reference(const QComboBox* box) {
  return *CTransFactory::Instance().Find(box->currentText().toStdString());
}

}  // namespace

CDlgGridExport::CDlgGridExport(double sign, QWidget* parent) : QDialog(parent), m_sign(sign) {
  setWindowTitle(QStringLiteral("Export for PROJ"));
  auto* layout = new QVBoxLayout(this);

  auto* choices = new QGridLayout;
  m_between = new QRadioButton(QStringLiteral("Offset between two references"), this);
  m_between->setObjectName(QStringLiteral("between"));
  m_between->setChecked(true);
  m_from = ReferenceBox("from", "LAT", false, this);
  m_to = ReferenceBox("to", "AHD", false, this);
  m_surface = new QRadioButton(QStringLiteral("Height of one surface above the ellipsoid"), this);
  m_surface->setObjectName(QStringLiteral("surface"));
  m_surfaceBox = ReferenceBox("surfaceName", "AHD", true, this);
  choices->addWidget(m_between, 0, 0, 1, 4);
  choices->addWidget(new QLabel(QStringLiteral("From:"), this), 1, 0);
  choices->addWidget(m_from, 1, 1);
  choices->addWidget(new QLabel(QStringLiteral("To:"), this), 1, 2);
  choices->addWidget(m_to, 1, 3);
  choices->addWidget(m_surface, 2, 0, 1, 4);
  choices->addWidget(new QLabel(QStringLiteral("Surface:"), this), 3, 0);
  choices->addWidget(m_surfaceBox, 3, 1);
  layout->addLayout(choices);

  auto* convention =
      new QLabel(sign < 0 ? QStringLiteral("Values are depths, positive down (the main window's choice).")
                          : QStringLiteral("Values are heights, positive up (the main window's choice)."),
                 this);
  convention->setObjectName(QStringLiteral("convention"));
  layout->addWidget(convention);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  const auto enable = [this] {
    m_from->setEnabled(m_between->isChecked());
    m_to->setEnabled(m_between->isChecked());
    m_surfaceBox->setEnabled(m_surface->isChecked());
  };
  connect(m_between, &QRadioButton::toggled, this, enable);
  enable();
}

CShiftGridDefinition CDlgGridExport::GetDefinition() const {
  if (m_surface->isChecked()) return CShiftGridDefinition::Surface(Reference(m_surfaceBox), m_sign);
  return CShiftGridDefinition::Between(Reference(m_from), Reference(m_to), m_sign);
}

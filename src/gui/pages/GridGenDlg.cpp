#include "gui/pages/GridGenDlg.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/common/PathUtil.h"
#include "core/grid/GridGenLimits.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/FitText.h"
#include "gui/qt/MessageBox.h"

namespace {
QString DefaultOpen(QWidget* parent, const QString& caption, const QString& filter) {
  QFileDialog dialog(parent, caption, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

QString DefaultSave(QWidget* parent, const QString& caption, const QString& filter) {
  QFileDialog dialog(parent, caption, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("MRGGrid"));
  // The file dialog asks before replacing an existing file (its default behaviour).
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

void DefaultMessage(QWidget* parent, const QString& text) { ShowMessageBox(parent, text, QMessageBox::Warning); }
}  // namespace

CGridGenDlg::CGridGenDlg(QWidget* parent)
    : QDialog(parent), m_openChooser(DefaultOpen), m_saveChooser(DefaultSave), m_showMessage(DefaultMessage) {
  setWindowTitle(QStringLiteral("Grid generation settings"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  CGridGenLimits::SetToday(m_settings);

  const CDialogUnits du(font());
  setFixedSize(du.X(266), du.Y(114));

  auto label = [&](const QString& text, int x, int y, int w, int h) {
    auto* l = new QLabel(text, this);
    l->setGeometry(du.Rect(x, y, w, h));
    return l;
  };
  auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  auto edit = [&](const QString& name, int value, int x, int y) {
    auto* e = new QLineEdit(QString::number(value), this);
    e->setObjectName(name);
    e->setValidator(digits);
    e->setGeometry(du.Rect(x, y, 46, 12));
    return e;
  };

  m_btnInput = new QPushButton(QStringLiteral("Input file"), this);
  m_btnInput->setGeometry(du.Rect(7, 7, 60, 13));
  m_btnInput->setAutoDefault(false);
  m_btnInput->setObjectName(QStringLiteral("inputFile"));
  m_stInput = label(QString(), 71, 10, 188, 11);
  m_stInput->setObjectName(QStringLiteral("inputName"));
  m_btnOutput = new QPushButton(QStringLiteral("Output file"), this);
  m_btnOutput->setGeometry(du.Rect(7, 25, 60, 13));
  m_btnOutput->setAutoDefault(false);
  m_btnOutput->setObjectName(QStringLiteral("outputFile"));
  m_stOutput = label(QString(), 71, 28, 188, 11);
  m_stOutput->setObjectName(QStringLiteral("outputName"));

  QLabel* day = label(QStringLiteral("Day:"), 7, 46, 18, 8);
  m_editDay = edit(QStringLiteral("day"), m_settings.day, 37, 42);
  QLabel* month = label(QStringLiteral("Month:"), 7, 60, 26, 8);
  m_editMonth = edit(QStringLiteral("month"), m_settings.month, 37, 57);
  QLabel* year = label(QStringLiteral("Year:"), 7, 74, 21, 8);
  m_editYear = edit(QStringLiteral("year"), m_settings.year, 37, 72);
  QLabel* major = label(QStringLiteral("Major version:"), 119, 45, 51, 8);
  m_editMajor = edit(QStringLiteral("major"), m_settings.majorVersion, 187, 42);
  QLabel* minor = label(QStringLiteral("Minor version:"), 119, 60, 51, 8);
  m_editMinor = edit(QStringLiteral("minor"), m_settings.minorVersion, 187, 57);
  QLabel* gridSize = label(QStringLiteral("Grid size (seconds):"), 119, 74, 66, 8);
  m_editGridSize = new QLineEdit(QStringLiteral("60"), this);
  m_editGridSize->setObjectName(QStringLiteral("gridSize"));
  m_editGridSize->setValidator(digits);
  m_editGridSize->setGeometry(du.Rect(187, 72, 46, 12));
  PlaceAfterLabels({day, month, year}, {m_editDay, m_editMonth, m_editYear}, du.X(2));
  PlaceAfterLabels({major, minor, gridSize}, {m_editMajor, m_editMinor, m_editGridSize}, du.X(2));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(du.Rect(75, 93, 50, 14));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setGeometry(du.Rect(139, 93, 50, 14));
  cancel->setAutoDefault(false);

  connect(m_btnInput, &QPushButton::clicked, this, &CGridGenDlg::OnInputFile);
  connect(m_btnOutput, &QPushButton::clicked, this, &CGridGenDlg::OnOutputFile);
  connect(ok, &QPushButton::clicked, this, &CGridGenDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CGridGenDlg::reject);
}

void CGridGenDlg::OnInputFile() {
  const QString path =
      m_openChooser(this, QStringLiteral("Input file"), QStringLiteral("Text grid files (*.txt);;All Files (*)"));
  if (path.isEmpty()) return;
  m_settings.inputPath = path.toStdString();
  m_stInput->setText(QString::fromStdString(GetFileNamePart(m_settings.inputPath)));
}

void CGridGenDlg::OnOutputFile() {
  const QString path =
      m_saveChooser(this, QStringLiteral("Output file"), QStringLiteral("Grid files (*.MRGGrid);;All Files (*)"));
  if (path.isEmpty()) return;
  m_settings.outputPath = path.toStdString();
  m_stOutput->setText(QString::fromStdString(GetFileNamePart(m_settings.outputPath)));
}

void CGridGenDlg::Fail(QLineEdit* edit, const QString& message) {
  m_showMessage(this, message);
  edit->setFocus();
  edit->selectAll();
}

bool CGridGenDlg::Validate() {
  // In the order of CGridGenLimits::Field.
  QLineEdit* const edits[] = {m_editDay, m_editMonth, m_editYear, m_editMajor, m_editMinor, m_editGridSize};
  CGridGenLimits::Texts texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = edits[i]->text().toStdString();
  const std::optional<CGridGenLimits::Refusal> refusal = CGridGenLimits::Take(texts, m_settings);
  if (!refusal) return true;
  Fail(edits[static_cast<std::size_t>(refusal->field)], QString::fromStdString(refusal->message));
  return false;
}

void CGridGenDlg::accept() {
  if (Validate()) QDialog::accept();
}

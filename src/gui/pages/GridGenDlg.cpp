#include "gui/pages/GridGenDlg.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <ctime>

#include "core/common/PathUtil.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/FitText.h"
#include "gui/qt/MessageBox.h"

namespace {
// Bounds of the checked fields.
constexpr int kDayMin = 1, kDayMax = 31;
constexpr int kMonthMin = 1, kMonthMax = 12;
constexpr int kYearMin = 1970, kYearMax = 3000;
constexpr double kGridSizeMin = 1e-7, kGridSizeMax = 10000000.0;  // seconds of arc

QString FormatBound(double value) { return QString::number(value, 'g', 15); }

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

  // Today's local date; 0/0/0 when the platform cannot tell.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now != static_cast<std::time_t>(-1) && localtime_r(&now, &local) != nullptr) {
    m_day = local.tm_mday;
    m_month = local.tm_mon + 1;
    m_year = local.tm_year + 1900;
  }

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
  m_editDay = edit(QStringLiteral("day"), m_day, 37, 42);
  QLabel* month = label(QStringLiteral("Month:"), 7, 60, 26, 8);
  m_editMonth = edit(QStringLiteral("month"), m_month, 37, 57);
  QLabel* year = label(QStringLiteral("Year:"), 7, 74, 21, 8);
  m_editYear = edit(QStringLiteral("year"), m_year, 37, 72);
  QLabel* major = label(QStringLiteral("Major version:"), 119, 45, 51, 8);
  m_editMajor = edit(QStringLiteral("major"), m_major, 187, 42);
  QLabel* minor = label(QStringLiteral("Minor version:"), 119, 60, 51, 8);
  m_editMinor = edit(QStringLiteral("minor"), m_minor, 187, 57);
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
  m_inputPath = path.toStdString();
  m_stInput->setText(QString::fromStdString(GetFileNamePart(m_inputPath)));
}

void CGridGenDlg::OnOutputFile() {
  const QString path =
      m_saveChooser(this, QStringLiteral("Output file"), QStringLiteral("Grid files (*.MRGGrid);;All Files (*)"));
  if (path.isEmpty()) return;
  m_outputPath = path.toStdString();
  m_stOutput->setText(QString::fromStdString(GetFileNamePart(m_outputPath)));
}

void CGridGenDlg::Fail(QLineEdit* edit, const QString& message) {
  m_showMessage(this, message);
  edit->setFocus();
  edit->selectAll();
}

bool CGridGenDlg::TakeInt(QLineEdit* edit, int& value, bool ranged, int low, int high) {
  bool ok = false;
  const int parsed = edit->text().trimmed().toInt(&ok);  // fails on empty text and on overflow
  if (!ok) {
    Fail(edit, QStringLiteral("Enter an integer."));
    return false;
  }
  if (ranged && (parsed < low || parsed > high)) {
    Fail(edit, QStringLiteral("Enter an integer between %1 and %2.").arg(low).arg(high));
    return false;
  }
  value = parsed;
  return true;
}

bool CGridGenDlg::TakeDouble(QLineEdit* edit, double& value, double low, double high) {
  bool ok = false;
  const double parsed = edit->text().trimmed().toDouble(&ok);
  if (!ok) {
    Fail(edit, QStringLiteral("Enter a number."));
    return false;
  }
  if (!(parsed >= low && parsed <= high)) {
    Fail(edit, QStringLiteral("Enter a number between %1 and %2.").arg(FormatBound(low), FormatBound(high)));
    return false;
  }
  value = parsed;
  return true;
}

bool CGridGenDlg::Validate() {
  // Fields are taken one by one, so a later failure keeps the earlier values taken.
  return TakeInt(m_editDay, m_day, true, kDayMin, kDayMax) &&
         TakeInt(m_editMonth, m_month, true, kMonthMin, kMonthMax) &&
         TakeInt(m_editYear, m_year, true, kYearMin, kYearMax) && TakeInt(m_editMajor, m_major, false, 0, 0) &&
         TakeInt(m_editMinor, m_minor, false, 0, 0) &&
         TakeDouble(m_editGridSize, m_gridSize, kGridSizeMin, kGridSizeMax);
}

void CGridGenDlg::accept() {
  if (Validate()) QDialog::accept();
}

#include "gui/qt/MessageBox.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

#include "gui/qt/ProgramIdentity.h"

namespace {
// Title bars hold the window icon and up to three buttons beside the title, each about
// two text lines wide. A box sized to a short text alone gets its title cut ("m…ert").
constexpr int kTitleBarLines = 8;
}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
  const QString title = QString::fromLatin1(kProgramDisplayName);
  auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, parent);
  // Title bars commonly use a bold face.
  QFont titleFont = box->font();
  titleFont.setBold(true);
  const QFontMetrics metrics(titleFont);
  const int width = metrics.horizontalAdvance(title) + kTitleBarLines * metrics.height();
  // The box sizes itself to its layout when shown; a spacer across the layout's columns
  // sets the least width.
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
  return box;
}

void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
  MakeMessageBox(parent, text, icon)->exec();
}

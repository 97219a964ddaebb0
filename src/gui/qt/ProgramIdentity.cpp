#include "gui/qt/ProgramIdentity.h"

#include <QPixmap>
#include <string>

#include "core/common/PathUtil.h"

QIcon ProgramIcon() {
  std::string folder;
  if (!GetProgramFolder(folder)) return QIcon();
  const QPixmap pixmap(QString::fromStdString(folder + "marevert.png"));
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

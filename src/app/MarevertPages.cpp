#include "app/MarevertPages.h"

#include "ui/DlgAbout.h"
#include "ui/DlgFileTransform.h"
#include "ui/DlgGridFile.h"
#include "ui/PageBase.h"

namespace {
CPageBase* CreateFileTransformPage(CGridInt* grid, QWidget* parent) { return new CDlgFileTransform(grid, parent); }

// The point transformation page is not part of the program yet; its tab shows an empty
// page until CDlgPtTransform is plugged in here.

CPageBase* CreatePointTransformPage(CGridInt* /*grid*/, QWidget* parent) {
  auto* page = new CPageBase(parent);
  page->setObjectName(QStringLiteral("pointTransformPlaceholder"));
  return page;
}

CPageBase* CreateGridFilePage(CGridInt* grid, QWidget* parent) { return new CDlgGridFile(grid, parent); }

CPageBase* CreateAboutPage(CGridInt* /*grid*/, QWidget* parent) { return new CDlgAbout(parent); }
}  // namespace

CPageBase* CreateMarevertPage(int index, CGridInt* grid, QWidget* parent) {
  switch (index) {
    case kPageFileTransform:
      return CreateFileTransformPage(grid, parent);
    case kPagePointTransform:
      return CreatePointTransformPage(grid, parent);
    case kPageGridFile:
      return CreateGridFilePage(grid, parent);
    case kPageAbout:
      return CreateAboutPage(grid, parent);
    default:
      return nullptr;
  }
}

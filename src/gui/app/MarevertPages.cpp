#include "gui/app/MarevertPages.h"

#include "gui/pages/DlgAbout.h"
#include "gui/pages/DlgFileTransform.h"
#include "gui/pages/DlgGridFile.h"
#include "gui/pages/DlgPtTransform.h"
#include "gui/pages/PageBase.h"

namespace {
CPageBase* CreateFileTransformPage(CGridInt* grid, QWidget* parent) { return new CDlgFileTransform(grid, parent); }

CPageBase* CreatePointTransformPage(CGridInt* grid, QWidget* parent) { return new CDlgPtTransform(grid, parent); }

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

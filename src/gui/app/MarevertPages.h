#pragma once
// Makes the page of each main window tab. Each page is created when its tab is chosen
// and destroyed when another is chosen; the pages that work on the grid receive the
// main window's grid model.

class CGridInt;
class CPageBase;
class QWidget;

// Tab indexes, also the page numbers of CMarevertDlg::ShowPage.
enum EMarevertPage {
  kPageFileTransform = 0,
  kPagePointTransform = 1,
  kPageGridFile = 2,
  kPageAbout = 3,
  kPageCount = 4
};

// The page for `index` (0 to 3) as a child of `parent`; null for any other index.
CPageBase* CreateMarevertPage(int index, CGridInt* grid, QWidget* parent);

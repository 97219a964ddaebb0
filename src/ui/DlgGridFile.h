#pragma once
// The grid file page: the details of the grid the main window's grid model holds, and
// "Load" to read another grid file into that same model.

#include <QString>
#include <functional>

#include "ui/PageBase.h"

class CGridInt;
class QListWidget;

class CDlgGridFile : public CPageBase {
  Q_OBJECT

 public:
  // Asks for the grid file to load: the chosen full path, or "" when cancelled.
  using FileChooser = std::function<QString(QWidget*)>;

  explicit CDlgGridFile(CGridInt* grid, QWidget* parent = nullptr);

  // Refills the details list from the grid model.
  void LoadDetails();
  // What "Load" does: ask for a file, load it into the grid model, show the details.
  void OnLoad();

  void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
  QListWidget* DetailsList() const { return m_list; }

 private:
  CGridInt* m_pGrid;  // the main window's grid model, not owned
  QListWidget* m_list;
  FileChooser m_chooseFile;
};

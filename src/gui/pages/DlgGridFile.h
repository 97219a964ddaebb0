#pragma once
// The grid file page: the details of the grid the main window's grid model holds,
// "Load" to read another grid file into that same model, and (in a build with GDAL)
// "Export for PROJ..." to write one of its separations as a grid for PROJ.

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/trans/ShiftGridDefinition.h"
#include "gui/pages/PageBase.h"

class CGridInt;
class QListWidget;
class QPushButton;

class CDlgGridFile : public CPageBase {
  Q_OBJECT

 public:
  // Asks for the grid file to load: the chosen full path, or "" when cancelled.
  using FileChooser = std::function<QString(QWidget*)>;

  // The steps of "Export for PROJ..." that ask or show something; tests replace them.
  struct ExportHooks {
    // What to export, or none when cancelled (default: CDlgGridExport).
    std::function<std::optional<CShiftGridDefinition>(QWidget*, double sign)> chooseDefinition;
    // The file to write, or "" when cancelled; `suggested` is a file name.
    std::function<QString(QWidget*, const QString& suggested)> chooseFile;
    // The export's summary and the PROJ pipeline (default: a message box that can copy it).
    std::function<void(QWidget*, const std::vector<std::string>& summary, const std::string& pipeline)> showSummary;
  };

  explicit CDlgGridFile(CGridInt* grid, QWidget* parent = nullptr);

  // Refills the details list from the grid model.
  void LoadDetails();
  // What "Load" does: ask for a file, load it into the grid model, show the details.
  void OnLoad();

  // What "Export for PROJ..." does: ask what to export and where, run the export job
  // under the progress window, show what was written.
  void OnExport();

  void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
  void SetExportHooks(ExportHooks hooks) { m_export = std::move(hooks); }
  QListWidget* DetailsList() const { return m_list; }
  // Null in a build without GDAL.
  QPushButton* ExportButton() const { return m_exportButton; }

 private:
  CGridInt* m_pGrid;  // the main window's grid model, not owned
  QListWidget* m_list;
  QPushButton* m_exportButton = nullptr;
  FileChooser m_chooseFile;
  ExportHooks m_export;
};

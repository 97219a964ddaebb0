#pragma once
// The file transformation page: a list of survey files, the MGA/UTM zone for files in
// eastings and northings, the vertical references of the input and output data (or a
// constant block shift instead), and "Process", which runs the batch job under the
// progress window. Zone, references, mode and shift are kept in the profile section
// "File Transform"; the file list lives only as long as the page.

#include <QString>
#include <QStringList>
#include <functional>

#include "gui/pages/PageBase.h"

class CGridInt;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CDlgFileTransform : public CPageBase {
  Q_OBJECT

 public:
  // Asks for the files to add, starting in `folder`: the chosen full paths, or an empty
  // list when the user cancels.
  using FilesChooser = std::function<QStringList(QWidget* parent, const QString& folder)>;
  // Shows a message box with an OK button.
  using MessageBox = std::function<void(QWidget* parent, const QString& text)>;

  static constexpr const char* kSection = "File Transform";

  explicit CDlgFileTransform(CGridInt* grid, QWidget* parent = nullptr);
  ~CDlgFileTransform() override;

  void OnAddFiles();
  void OnRemove();
  void OnRemoveAll();
  void OnProcess();
  void UpdateFileButtons();
  void UpdateBlockShiftControls();
  void ValidateBlockShift();

  // The full paths of the listed files, in list order.
  std::vector<std::string> GetFilePaths() const;

  void SetFilesChooser(FilesChooser chooser) { m_chooseFiles = std::move(chooser); }
  void SetMessageBox(MessageBox messageBox) { m_messageBox = std::move(messageBox); }

  QListWidget* FileList() const { return m_files; }
  QComboBox* ZoneCombo() const { return m_zone; }
  QComboBox* InputCombo() const { return m_input; }
  QComboBox* OutputCombo() const { return m_output; }
  QCheckBox* BlockShiftCheck() const { return m_useShift; }
  QLineEdit* BlockShiftEdit() const { return m_shift; }
  QLabel* BlockShiftHint() const { return m_hint; }
  QLabel* GridLine() const { return m_gridLine; }
  QPushButton* RemoveButton() const { return m_remove; }
  QPushButton* RemoveAllButton() const { return m_removeAll; }

 private:
  void Restore();
  void Save();

  CGridInt* m_pGrid;  // the main window's grid model, not owned
  QLabel* m_gridLine;
  QPushButton* m_remove;
  QPushButton* m_removeAll;
  QListWidget* m_files;
  QComboBox* m_zone;
  QComboBox* m_input;
  QComboBox* m_output;
  QCheckBox* m_useShift;
  QLineEdit* m_shift;
  QLabel* m_hint;
  FilesChooser m_chooseFiles;
  MessageBox m_messageBox;
};

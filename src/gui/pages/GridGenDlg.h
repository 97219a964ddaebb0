#pragma once
// The settings of a grid generation run: input text grid, output binary grid, the
// issue date and version written into the header, and the lattice spacing. Shown
// modally by the "-grid" start-up mode; the generation job reads the settings from the
// dialog after it has been closed with OK.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "core/grid/GridProc.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CGridGenDlg : public QDialog {
  Q_OBJECT

 public:
  // (parent, caption, filter) -> chosen path, or "" when the user cancelled.
  using FileChooser = std::function<QString(QWidget*, const QString&, const QString&)>;
  // Shows a validation message (a message box by default).
  using MessageSink = std::function<void(QWidget*, const QString&)>;

  explicit CGridGenDlg(QWidget* parent = nullptr);

  // The settings taken, for the generation job.
  const CGridProc::Settings& GetSettings() const { return m_settings; }
  const std::string& GetInputPath() const { return m_settings.inputPath; }
  const std::string& GetOutputPath() const { return m_settings.outputPath; }
  int GetDay() const { return m_settings.day; }
  int GetMonth() const { return m_settings.month; }
  int GetYear() const { return m_settings.year; }
  int GetMajorVersion() const { return m_settings.majorVersion; }
  int GetMinorVersion() const { return m_settings.minorVersion; }
  double GetGridSizeSeconds() const { return m_settings.gridSizeSeconds; }

  // Replace the platform dialogs (tests, scripted runs).
  void SetOpenFileChooser(FileChooser chooser) { m_openChooser = std::move(chooser); }
  void SetSaveFileChooser(FileChooser chooser) { m_saveChooser = std::move(chooser); }
  void SetMessageSink(MessageSink sink) { m_showMessage = std::move(sink); }

  // Takes and checks the edit fields in order (CGridGenLimits); on the first failure
  // shows its message, focuses the field and answers false (the dialog stays open). The
  // fields before it keep the values taken.
  bool Validate();

  void accept() override;

 private:
  void OnInputFile();
  void OnOutputFile();
  void Fail(QLineEdit* edit, const QString& message);

  CGridProc::Settings m_settings;  // a grid size of 60 seconds at first

  QPushButton* m_btnInput;
  QLabel* m_stInput;
  QPushButton* m_btnOutput;
  QLabel* m_stOutput;
  QLineEdit* m_editDay;
  QLineEdit* m_editMonth;
  QLineEdit* m_editYear;
  QLineEdit* m_editMajor;
  QLineEdit* m_editMinor;
  QLineEdit* m_editGridSize;

  FileChooser m_openChooser;
  FileChooser m_saveChooser;
  MessageSink m_showMessage;
};

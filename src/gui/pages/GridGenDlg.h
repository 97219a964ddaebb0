#pragma once
// The settings of a grid generation run: input text grid, output binary grid, the
// issue date and version written into the header, and the lattice spacing. Shown
// modally by the "-grid" start-up mode; the generation job reads the settings from the
// dialog after it has been closed with OK.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

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

  const std::string& GetInputPath() const { return m_inputPath; }
  const std::string& GetOutputPath() const { return m_outputPath; }
  int GetDay() const { return m_day; }
  int GetMonth() const { return m_month; }
  int GetYear() const { return m_year; }
  int GetMajorVersion() const { return m_major; }
  int GetMinorVersion() const { return m_minor; }
  double GetGridSizeSeconds() const { return m_gridSize; }

  // Replace the platform dialogs (tests, scripted runs).
  void SetOpenFileChooser(FileChooser chooser) { m_openChooser = std::move(chooser); }
  void SetSaveFileChooser(FileChooser chooser) { m_saveChooser = std::move(chooser); }
  void SetMessageSink(MessageSink sink) { m_showMessage = std::move(sink); }

  // Takes and checks the edit fields in order; on the first failure shows its message,
  // focuses the field and answers false (the dialog stays open).
  bool Validate();

  void accept() override;

 private:
  void OnInputFile();
  void OnOutputFile();
  bool TakeInt(QLineEdit* edit, int& value, bool ranged, int low, int high);
  bool TakeDouble(QLineEdit* edit, double& value, double low, double high);
  void Fail(QLineEdit* edit, const QString& message);

  std::string m_inputPath;
  std::string m_outputPath;
  int m_day = 0, m_month = 0, m_year = 0;
  int m_major = 0, m_minor = 0;
  double m_gridSize = 60.0;  // seconds of arc

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

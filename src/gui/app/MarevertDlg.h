#pragma once
// The main window: owns the program's one grid model, chooses the sign convention,
// hosts the four pages in tabs (exactly one page exists at a time), shows the
// disclaimer at start-up and keeps its settings in the profile.

#include <QDialog>
#include <QRect>
#include <functional>
#include <string>

#include "core/grid/GridInt.h"

class CPageBase;
class QComboBox;
class QFrame;
class QTabBar;

class CMarevertDlg : public QDialog {
  Q_OBJECT

 public:
  // Shows the start-up disclaimer (title, document file, single-button mode) and
  // answers whether it was accepted.
  using DisclaimerRunner = std::function<bool(QWidget*, const std::string&, const std::string&, bool)>;
  // Ends the process with a status. Tests replace it; by default the status is handed
  // back from Run so that the program returns it from main.
  using ExitHook = std::function<void(int)>;

  explicit CMarevertDlg(QWidget* parent = nullptr);
  ~CMarevertDlg() override;

  // Initialises the window (grid, sign convention, first page, placement, disclaimer)
  // and runs it modally. Returns the process exit status: 1 when the disclaimer was
  // declined, else 0.
  int Run();

  // The start-up steps up to and including the disclaimer. False when the disclaimer
  // was declined: the first page is gone, the exit hook has been called with 1 and
  // nothing was written.
  bool Initialise();

  // Destroys the current page and shows the page of tab `index`; indexes above 3 do nothing.
  void ShowPage(int index);
  // Sets the sign factor from the combobox and posts the refresh event to the page.
  void ApplySignConvention();

  // The first "*.MRGGrid" file of `folder` in name order (folder + name), or "".
  static std::string FindFirstGridFile(const std::string& folder);

  void SetDisclaimerRunner(DisclaimerRunner runner) { m_runDisclaimer = std::move(runner); }
  void SetExitHook(ExitHook hook) { m_exit = std::move(hook); }

  CGridInt& Grid() { return m_grid; }
  CPageBase* CurrentPage() const { return m_pPage; }
  QRect PageRect() const { return m_rcPage; }
  QTabBar* TabBar() const { return m_tab; }
  QComboBox* SignCombo() const { return m_cbSign; }

  // Ends the window; the closing steps run once, before it hides.
  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void LoadStartupGrid();
  void OnClosing();

  CGridInt m_grid;
  CPageBase* m_pPage = nullptr;  // owned (a child widget, deleted by ShowPage and closing)
  QRect m_rcPage;                // client coordinates
  QTabBar* m_tab;
  QFrame* m_tabFrame;
  QComboBox* m_cbSign;

  DisclaimerRunner m_runDisclaimer;
  ExitHook m_exit;
  bool m_running = false;  // initialised and the disclaimer accepted
  bool m_closed = false;   // closing steps done
};

#pragma once
// The message list window: a resizable window listing text lines (a job's summary)
// with a Close button centred at the bottom. Its placement and size are remembered per
// title, so each kind of summary reopens where the user left it.

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

class CMessageDlg : public QDialog {
  Q_OBJECT

 public:
  // `lines` is not copied; it must stay alive while the window is shown.
  CMessageDlg(const std::string& title, const std::vector<std::string>* lines, QWidget* parent = nullptr);

  QListWidget* List() const { return m_list; }
  QPushButton* CloseButton() const { return m_close; }
  // The horizontal scroll extent set by the last layout, in pixels.
  int Extent() const { return m_extent; }

  void done(int result) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();

  std::string m_title;
  const std::vector<std::string>* m_lines;
  QListWidget* m_list;
  QPushButton* m_close;
  int m_extent = 0;
};

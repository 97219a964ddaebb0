#pragma once
// The document dialog: shows an RTF document kept in the program folder (the licence at
// start-up, the grid expiry notice) and asks the user to accept or decline it, or only
// to acknowledge it in single-button mode. It can be closed only with its buttons.
// Links in the document open with the desktop's default handler on a left press.

#include <QDialog>
#include <functional>
#include <string>

class QPushButton;
class QTextBrowser;

class CDlgDisclaimer : public QDialog {
  Q_OBJECT

 public:
  // Opens a link text; the default hands it to QDesktopServices.
  using CLinkOpener = std::function<void(const QString& link)>;

  CDlgDisclaimer(const std::string& title, const std::string& file, bool singleButton, QWidget* parent = nullptr);

  // True only when the dialog was closed with Accept.
  bool IsAccepted() const { return m_bAccepted; }

  QTextBrowser* View() const { return m_view; }
  QPushButton* AcceptButton() const { return m_btnAccept; }
  QPushButton* DeclineButton() const { return m_btnDecline; }

  // Replaces how links are opened (null restores the default); returns the previous one.
  static CLinkOpener SetLinkOpener(CLinkOpener opener);

  // The failure text shown when the document cannot be read.
  static const char* const kLoadFailedText;

 public slots:
  // Escape and the dialog's own accept/reject commands leave it open.
  void accept() override {}
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnAccept();
  void OnDecline();
  void LoadDocument();

  bool m_bAccepted = false;
  std::string m_title;
  std::string m_file;
  bool m_bSingleButton;
  QTextBrowser* m_view;
  QPushButton* m_btnAccept;
  QPushButton* m_btnDecline;
};

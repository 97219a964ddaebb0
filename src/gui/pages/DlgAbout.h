#pragma once
// The about page: version, credit line, the maker's and the sponsor's logos (read from
// beside the program at every paint) and four buttons that hand the feedback mail,
// the user manual, the project's web page and the grid extent folder to the desktop.
// When the desktop starts no program for one (no mail client, PDF viewer, browser or
// file manager), a message gives the address or path to open by hand.

#include <QRect>
#include <QSize>
#include <QUrl>
#include <functional>

#include "gui/pages/PageBase.h"

class QLabel;
class QPushButton;

class CDlgAbout : public CPageBase {
  Q_OBJECT

 public:
  // Hands a URL to the desktop (QDesktopServices::openUrl by default); false when no
  // program could be started for it.
  using UrlOpener = std::function<bool(const QUrl&)>;
  // Shows one message (the standard message box by default).
  using MessageBox = std::function<void(QWidget* parent, const QString& text)>;

  explicit CDlgAbout(QWidget* parent = nullptr);

  void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
  void SetMessageBox(MessageBox messageBox) { m_messageBox = std::move(messageBox); }

  // Where a logo of `image` size is drawn, given the version text's left edge, top edge
  // and width (page pixels). The first logo fills the upper band, the second the lower
  // one, each scaled to fit both the band height and the width with its aspect ratio
  // kept. An empty rectangle means that nothing is drawn.
  static QRect FirstLogoRect(int left, int top, int width, QSize image);
  static QRect SecondLogoRect(int left, int top, int width, QSize image);

  static QString FeedbackCaption();
  static QUrl FeedbackMailUrl();
  static QUrl ProjectWebPage();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnFeedback();
  void OnHelp();
  void OnGridDownload();
  void OnGridExtent();
  // Hands `url` to the desktop; when that fails, says what `what` is and where.
  void Open(const QUrl& url, const QString& what);

  QLabel* m_stVersion;
  QPushButton* m_btnFeedback;
  QLabel* m_stCredit;
  UrlOpener m_openUrl;
  MessageBox m_messageBox;
};

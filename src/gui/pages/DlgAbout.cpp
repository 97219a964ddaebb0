#include "gui/pages/DlgAbout.h"

#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "core/common/PathUtil.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/MessageBox.h"

#ifndef MAREVERT_VERSION
#define MAREVERT_VERSION "0.0.0"
#endif

namespace {
// Placeholder contact points of the project; replace them before a public release.
const char* const kFeedbackAddress1 = "feedback@marevert.example.org";
const char* const kFeedbackAddress2 = "support@marevert.example.org";
const char* const kProjectWebPage = "https://marevert.example.org/";
const char* const kCredit = "Developed by the Marevert team at Orvane, with support from Quindle.";

const char* const kMakerLogo = "Orvane_Logo_RGB.png";
const char* const kSponsorLogo = "Quindle_logo.png";
const char* const kManual = "Marevert_userManual.pdf";
const char* const kGridExtentFolder = "GridExtent";

// Scales `image` to fit `width` x `band` with its aspect ratio, top-left at (x, y).
QRect FitLogo(int x, int y, int width, int band, QSize image) {
  if (image.width() <= 0 || image.height() <= 0) return QRect();
  const double k = std::min(static_cast<double>(width) / image.width(), static_cast<double>(band) / image.height());
  const int w = static_cast<int>(image.width() * k);
  const int h = static_cast<int>(image.height() * k);
  // A page too small for the band gives a negative scale; draw nothing then.
  if (w <= 0 || h <= 0) return QRect();
  return QRect(x, y, w, h);
}

void DrawLogo(QPainter& painter, const QImage& image, const QRect& target) {
  if (target.isEmpty()) return;
  painter.drawImage(target, image);  // alpha is blended by the painter
  // A 1-pixel black frame around the logo, one pixel outside it.
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(target.adjusted(-1, -1, 0, 0));
}
}  // namespace

CDlgAbout::CDlgAbout(QWidget* parent)
    : CPageBase(parent),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_messageBox([](QWidget* parent, const QString& text) { ShowMessageBox(parent, text); }) {
  const CDialogUnits du(font());
  resize(du.X(305), du.Y(252));

  m_stVersion = new QLabel(QStringLiteral("Marevert version %1").arg(QStringLiteral(MAREVERT_VERSION)), this);
  m_stVersion->setObjectName(QStringLiteral("version"));
  m_stVersion->setGeometry(du.Rect(5, 112, 252, 10));

  m_btnFeedback = new QPushButton(FeedbackCaption(), this);
  m_btnFeedback->setObjectName(QStringLiteral("feedback"));
  m_btnFeedback->setGeometry(du.Rect(5, 138, 138, 34));

  m_stCredit = new QLabel(QString::fromUtf8(kCredit), this);
  m_stCredit->setObjectName(QStringLiteral("credit"));
  m_stCredit->setGeometry(du.Rect(5, 126, 252, 10));

  auto button = [&](const QString& name, const QString& text, int y) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setGeometry(du.Rect(5, y, 139, 16));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* help = button(QStringLiteral("help"), QStringLiteral("Help"), 176);
  QPushButton* download = button(QStringLiteral("download"), QStringLiteral("Download or create a grid file"), 196);
  QPushButton* extent = button(QStringLiteral("extent"), QStringLiteral("Link to supplied grid extent shapefile"), 216);
  m_btnFeedback->setAutoDefault(false);

  connect(m_btnFeedback, &QPushButton::clicked, this, &CDlgAbout::OnFeedback);
  connect(help, &QPushButton::clicked, this, &CDlgAbout::OnHelp);
  connect(download, &QPushButton::clicked, this, &CDlgAbout::OnGridDownload);
  connect(extent, &QPushButton::clicked, this, &CDlgAbout::OnGridExtent);
}

QString CDlgAbout::FeedbackCaption() {
  return QStringLiteral("Send feedback/question email\n(%1 or\n%2)")
      .arg(QString::fromUtf8(kFeedbackAddress1), QString::fromUtf8(kFeedbackAddress2));
}

QUrl CDlgAbout::FeedbackMailUrl() {
  return QUrl(QStringLiteral("mailto:%1; %2?subject=Marevert enquiry")
                  .arg(QString::fromUtf8(kFeedbackAddress1), QString::fromUtf8(kFeedbackAddress2)));
}

QUrl CDlgAbout::ProjectWebPage() { return QUrl(QString::fromUtf8(kProjectWebPage)); }

QRect CDlgAbout::FirstLogoRect(int left, int top, int width, QSize image) {
  const int band = top / 2 - 10;
  return FitLogo(left, 5, width, band, image);
}

QRect CDlgAbout::SecondLogoRect(int left, int top, int width, QSize image) {
  const int y = top / 2 + 5;
  const int band = top - y - 5;
  return FitLogo(left, y, width, band, image);
}

void CDlgAbout::paintEvent(QPaintEvent* event) {
  CPageBase::paintEvent(event);
  std::string folder;
  if (!GetProgramFolder(folder)) return;
  const QRect version = m_stVersion->geometry();
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // The logos are read at every paint, on purpose: replacing a file beside the program
  // shows at once. Each image is released before the next one is read.
  {
    const QImage logo(QString::fromStdString(folder + kMakerLogo));
    if (!logo.isNull())
      DrawLogo(painter, logo, FirstLogoRect(version.left(), version.top(), version.width(), logo.size()));
  }
  {
    const QImage logo(QString::fromStdString(folder + kSponsorLogo));
    if (!logo.isNull())
      DrawLogo(painter, logo, SecondLogoRect(version.left(), version.top(), version.width(), logo.size()));
  }
}

void CDlgAbout::Open(const QUrl& url, const QString& what) {
  if (m_openUrl(url)) return;
  // A mail address without its mailto: scheme, a file as a plain path.
  const QString target = url.isLocalFile()          ? url.toLocalFile()
                         : url.scheme() == "mailto" ? url.path(QUrl::FullyDecoded)
                                                    : url.toString();
  m_messageBox(this, QStringLiteral("No program could be started to open %1. Open it by hand:\n%2").arg(what, target));
}

void CDlgAbout::OnFeedback() { Open(FeedbackMailUrl(), QStringLiteral("an email to the feedback address")); }

void CDlgAbout::OnHelp() {
  std::string folder;
  if (GetProgramFolder(folder))
    Open(QUrl::fromLocalFile(QString::fromStdString(folder + kManual)), QStringLiteral("the user manual"));
}

void CDlgAbout::OnGridDownload() { Open(ProjectWebPage(), QStringLiteral("the project's web page")); }

void CDlgAbout::OnGridExtent() {
  std::string folder;
  if (GetProgramFolder(folder))
    Open(QUrl::fromLocalFile(QString::fromStdString(folder + kGridExtentFolder)),
         QStringLiteral("the grid extent shapefile's folder"));
}

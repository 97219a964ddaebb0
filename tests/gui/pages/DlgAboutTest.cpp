// The about page: logo placement, missing logos and what the four buttons hand on.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "gui/pages/DlgAbout.h"
#include "support/TestSupport.h"

namespace {

void WriteImage(const std::string& path, QSize size, QColor colour) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(colour);
  ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
}

TEST(DlgAboutLogoRect, WideLogoIsLimitedByWidthTallOneByItsBand) {
  // Version text at left 10, top 200, width 400: upper band 5..95 (90 high).
  EXPECT_EQ(CDlgAbout::FirstLogoRect(10, 200, 400, QSize(1000, 100)), QRect(10, 5, 400, 40));
  EXPECT_EQ(CDlgAbout::FirstLogoRect(10, 200, 400, QSize(100, 1000)), QRect(10, 5, 9, 90));
  // Lower band starts at top / 2 + 5 and ends 5 above the version text.
  EXPECT_EQ(CDlgAbout::SecondLogoRect(10, 200, 400, QSize(1000, 100)), QRect(10, 105, 400, 40));
  EXPECT_EQ(CDlgAbout::SecondLogoRect(10, 200, 400, QSize(100, 1000)), QRect(10, 105, 9, 90));
  // An odd top gives the extra pixel to the lower band.
  EXPECT_EQ(CDlgAbout::SecondLogoRect(0, 201, 1000, QSize(10, 10)), QRect(0, 105, 91, 91));
  EXPECT_EQ(CDlgAbout::FirstLogoRect(0, 201, 1000, QSize(10, 10)), QRect(0, 5, 90, 90));
}

TEST(DlgAboutLogoRect, DrawnSizeIsTruncatedAndAspectKept) {
  // k = min(300 / 7, 90 / 3) = 30 -> 210 x 90.
  EXPECT_EQ(CDlgAbout::FirstLogoRect(0, 200, 300, QSize(7, 3)), QRect(0, 5, 210, 90));
  // k = min(100 / 3, 90 / 3) = 30 -> 90 x 90; k = 100/3 for width 100 and 3x1 -> 100 x 33.
  EXPECT_EQ(CDlgAbout::FirstLogoRect(0, 200, 100, QSize(3, 1)), QRect(0, 5, 100, 33));
}

TEST(DlgAboutLogoRect, NoRoomOrEmptyImageDrawsNothing) {
  EXPECT_TRUE(CDlgAbout::FirstLogoRect(0, 10, 300, QSize(10, 10)).isEmpty());  // band -5
  EXPECT_TRUE(CDlgAbout::SecondLogoRect(0, 10, 300, QSize(10, 10)).isEmpty());
  EXPECT_TRUE(CDlgAbout::FirstLogoRect(0, 200, 300, QSize(0, 0)).isEmpty());
}

TEST(DlgAboutPage, PaintsWithoutLogosAndDrawsThoseThatExist) {
  CProgramFolder folder;
  CDlgAbout page;
  page.resize(600, 500);
  const QImage empty = page.grab().toImage();  // no logos at all: nothing drawn, no message
  const QRect version = page.findChild<QLabel*>("version")->geometry();
  const QRect first = CDlgAbout::FirstLogoRect(version.left(), version.top(), version.width(), QSize(200, 100));
  ASSERT_FALSE(first.isEmpty());
  EXPECT_EQ(empty.pixelColor(first.center()), empty.pixelColor(first.center() + QPoint(0, 1)));

  // Only the sponsor logo present: the maker's area stays empty, the sponsor's is drawn.
  WriteImage(folder.File("Quindle_logo.png"), QSize(100, 100), Qt::red);
  const QImage one = page.grab().toImage();
  const QRect second = CDlgAbout::SecondLogoRect(version.left(), version.top(), version.width(), QSize(100, 100));
  EXPECT_EQ(one.pixelColor(second.center()), QColor(Qt::red));
  EXPECT_EQ(one.pixelColor(second.topLeft() - QPoint(1, 1)), QColor(Qt::black));  // frame
  EXPECT_EQ(one.pixelColor(second.bottomRight() + QPoint(1, 1)), QColor(Qt::black));
  EXPECT_NE(one.pixelColor(first.center()), QColor(Qt::red));

  // The maker logo appears on the next paint, read from disk again.
  WriteImage(folder.File("Orvane_Logo_RGB.png"), QSize(200, 100), Qt::blue);
  const QImage both = page.grab().toImage();
  EXPECT_EQ(both.pixelColor(first.center()), QColor(Qt::blue));
  EXPECT_EQ(both.pixelColor(first.topLeft() - QPoint(1, 1)), QColor(Qt::black));
}

TEST(DlgAboutPage, UnreadableLogoIsSkipped) {
  CProgramFolder folder;
  WriteFileBytes(folder.File("Orvane_Logo_RGB.png"), "not an image");
  CDlgAbout page;
  page.resize(600, 500);
  EXPECT_FALSE(page.grab().toImage().isNull());
}

TEST(DlgAboutPage, ButtonsHandTheirTargetsToTheDesktop) {
  CProgramFolder folder;
  CDlgAbout page;
  std::vector<QUrl> opened;
  bool started = true;
  page.SetUrlOpener([&](const QUrl& url) {
    opened.push_back(url);
    return started;
  });
  std::vector<QString> messages;
  page.SetMessageBox([&](QWidget*, const QString& text) { messages.push_back(text); });
  const auto clickAll = [&] {
    for (const char* name : {"feedback", "help", "download", "extent"})
      QTest::mouseClick(page.findChild<QPushButton*>(QString::fromUtf8(name)), Qt::LeftButton);
  };
  clickAll();
  EXPECT_TRUE(messages.empty());
  // Without a program to start, each says where to go by hand.
  started = false;
  clickAll();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_TRUE(messages[0].endsWith("by hand:\nfeedback@marevert.example.org; support@marevert.example.org"));
  EXPECT_EQ(messages[1], "No program could be started to open the user manual. Open it by hand:\n" +
                             QString::fromStdString(folder.Folder() + "Marevert_userManual.pdf"));
  EXPECT_TRUE(messages[2].endsWith("by hand:\nhttps://marevert.example.org/"));
  EXPECT_TRUE(messages[3].endsWith("by hand:\n" + QString::fromStdString(folder.Folder() + "GridExtent")));
  ASSERT_EQ(opened.size(), 8u);
  EXPECT_EQ(opened[0].scheme(), "mailto");
  EXPECT_EQ(opened[0].path(QUrl::FullyDecoded), "feedback@marevert.example.org; support@marevert.example.org");
  EXPECT_EQ(opened[0].query(QUrl::FullyDecoded), "subject=Marevert enquiry");
  EXPECT_EQ(opened[1], QUrl::fromLocalFile(QString::fromStdString(folder.Folder() + "Marevert_userManual.pdf")));
  EXPECT_EQ(opened[2], QUrl("https://marevert.example.org/"));
  EXPECT_EQ(opened[3], QUrl::fromLocalFile(QString::fromStdString(folder.Folder() + "GridExtent")));
}

TEST(DlgAboutPage, FeedbackCaptionListsBothAddressesOverSeveralLines) {
  EXPECT_EQ(CDlgAbout::FeedbackCaption(),
            "Send feedback/question email\n(feedback@marevert.example.org or\nsupport@marevert.example.org)");
  CDlgAbout page;
  EXPECT_TRUE(page.findChild<QLabel*>("version")->text().contains(QStringLiteral(MAREVERT_VERSION_TEXT)));
  EXPECT_FALSE(page.findChild<QLabel*>("credit")->text().isEmpty());
}

}  // namespace

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include "core/doc/RtfDocument.h"
#include "gui/windows/DlgDisclaimer.h"
#include "gui/windows/RtfReader.h"
#include "support/QtTestUtil.h"
#include "support/TestSupport.h"

namespace {

// Records the links the dialog opens instead of starting a browser.
class CLinkRecorder {
 public:
  CLinkRecorder() {
    m_previous = CDlgDisclaimer::SetLinkOpener([this](const QString& link) { m_links.push_back(link); });
  }
  ~CLinkRecorder() { CDlgDisclaimer::SetLinkOpener(m_previous); }
  QStringList m_links;

 private:
  CDlgDisclaimer::CLinkOpener m_previous;
};

// Enter presses no button; Decline (or OK) closes the dialog unaccepted.
void ExpectOnlyDeclineCloses(CDlgDisclaimer& dialog) {
  PressKey(&dialog, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  dialog.DeclineButton()->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.IsAccepted());
}

void Mouse(QTextBrowser* view, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
  QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &event);
}

// The viewport position of the middle of the first occurrence of `text`.
QPoint PointOf(QTextBrowser* view, const QString& text) {
  QTextCursor cursor = view->document()->find(text);
  EXPECT_FALSE(cursor.isNull()) << text.toStdString();
  cursor.setPosition(cursor.selectionStart() + static_cast<int>(text.size()) / 2);
  return view->cursorRect(cursor).center();
}

const char kLinkDocument[] =
    R"({\rtf1\ansi Read the {\b terms}.\par Visit {\field{\*\fldinst HYPERLINK "   https://www.example.org/terms"})"
    R"({\fldrslt our terms page}} or www.example.org/help today.\par})";

}  // namespace

TEST(RtfReader, FillsParagraphsFormatsAndAnchors) {
  CRtfDocument rtf = CRtfDocument::Parse(
      R"({\rtf1{\colortbl;\red200\green0\blue0;}\qc\b\fs32 Title\b0\par\pard Body \cf1 red\cf0  and )"
      R"({\field{\*\fldinst HYPERLINK "https://example.org"}{\fldrslt link}}\line next\par})");
  QTextDocument doc;
  CRtfReader::Fill(rtf, doc);
  ASSERT_EQ(doc.blockCount(), 2);
  const QTextBlock title = doc.firstBlock();
  EXPECT_EQ(title.text(), "Title");
  EXPECT_EQ(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(title.begin().fragment().charFormat().fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(title.begin().fragment().charFormat().fontPointSize(), 16.0);
  const QTextBlock body = title.next();
  EXPECT_EQ(body.text(), QString("Body red and link") + QChar::LineSeparator + "next");
  bool red = false, link = false;
  for (auto it = body.begin(); !it.atEnd(); ++it) {
    const QTextCharFormat format = it.fragment().charFormat();
    if (it.fragment().text() == "red") red = format.foreground().color() == QColor(200, 0, 0);
    if (it.fragment().text() == "link") link = format.isAnchor() && format.anchorHref() == "https://example.org";
  }
  EXPECT_TRUE(red);
  EXPECT_TRUE(link);

  doc.setPlainText("kept");
  EXPECT_FALSE(CRtfReader::LoadFile("/nonexistent/folder/Licence.rtf", doc));
  EXPECT_EQ(doc.toPlainText(), "kept");
}

TEST(DlgDisclaimer, TwoButtonModeShowsTheDocumentAndAcceptSetsTheFlag) {
  CProgramFolder folder;
  WriteFileBytes(folder.File("Licence.rtf"), ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/data/Licence.rtf"));
  for (const bool accept : {true, false}) {
    CDlgDisclaimer dialog("Marevert Disclaimer", "Licence.rtf", false);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Marevert Disclaimer");
    EXPECT_TRUE(dialog.AcceptButton()->isVisible() && dialog.AcceptButton()->isEnabled());
    EXPECT_TRUE(dialog.AcceptButton()->isDefault());
    EXPECT_EQ(dialog.DeclineButton()->text(), "Decline");
    EXPECT_TRUE(dialog.View()->isReadOnly());
    EXPECT_TRUE(dialog.View()->toPlainText().contains("not for navigation"));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(dialog.IsAccepted());
    (accept ? dialog.AcceptButton() : dialog.DeclineButton())->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.IsAccepted(), accept);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

TEST(DlgDisclaimer, SingleButtonModeShowsOneOkButton) {
  CProgramFolder folder;
  WriteFileBytes(folder.File("Grid_Expiry_Warning.rtf"),
                 ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/data/Grid_Expiry_Warning.rtf"));
  CDlgDisclaimer dialog("Marevert Grid file expired", "Grid_Expiry_Warning.rtf", true);
  dialog.show();
  EXPECT_TRUE(dialog.AcceptButton()->isHidden());
  EXPECT_EQ(dialog.DeclineButton()->text(), "OK");
  EXPECT_TRUE(dialog.View()->toPlainText().contains("six months"));
  ExpectOnlyDeclineCloses(dialog);  // the hidden default button is not pressed
}

TEST(DlgDisclaimer, MissingDocumentShowsTheFailureTextAndOnlyDeclineWorks) {
  CProgramFolder folder;  // empty
  CDlgDisclaimer dialog("Marevert Disclaimer", "Licence.rtf", false);
  dialog.show();
  EXPECT_EQ(dialog.View()->toPlainText(), "Cannot load message text, please re-install software");
  EXPECT_FALSE(dialog.AcceptButton()->isEnabled());
  ExpectOnlyDeclineCloses(dialog);
}

TEST(DlgDisclaimer, EscapeAndOtherClosesAreIgnored) {
  CProgramFolder folder;
  WriteFileBytes(folder.File("Licence.rtf"), R"({\rtf1 Terms\par})");
  CDlgDisclaimer dialog("Marevert Disclaimer", "Licence.rtf", false);
  dialog.show();
  PressKey(&dialog, Qt::Key_Escape);
  PressKey(dialog.View(), Qt::Key_Escape);
  dialog.reject();
  dialog.accept();
  dialog.close();
  QApplication::processEvents();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(dialog.IsAccepted());
  PressKey(&dialog, Qt::Key_Return);  // Enter presses the default button, Accept
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(dialog.IsAccepted());
}

TEST(DlgDisclaimer, LinksOpenOnceOnALeftPressWithoutLeadingBlanks) {
  CProgramFolder folder;
  WriteFileBytes(folder.File("Licence.rtf"), kLinkDocument);
  CLinkRecorder recorder;
  CDlgDisclaimer dialog("Marevert Disclaimer", "Licence.rtf", false);
  dialog.show();
  QApplication::processEvents();
  QTextBrowser* view = dialog.View();
  const QPoint field = PointOf(view, "our terms page");
  const QPoint detected = PointOf(view, "www.example.org/help");
  const QPoint plain = PointOf(view, "Read the");
  EXPECT_TRUE(view->anchorAt(field).startsWith("   https://"));  // the blanks reach the dialog

  Mouse(view, QEvent::MouseMove, field, Qt::NoButton);
  Mouse(view, QEvent::MouseButtonPress, field, Qt::RightButton);
  Mouse(view, QEvent::MouseButtonRelease, field, Qt::RightButton);
  EXPECT_TRUE(recorder.m_links.isEmpty());

  Mouse(view, QEvent::MouseButtonPress, field, Qt::LeftButton);
  EXPECT_EQ(recorder.m_links, QStringList{"https://www.example.org/terms"});
  Mouse(view, QEvent::MouseButtonRelease, field, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(recorder.m_links.size(), 1);

  Mouse(view, QEvent::MouseButtonPress, detected, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, detected, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonPress, plain, Qt::LeftButton);
  Mouse(view, QEvent::MouseButtonRelease, plain, Qt::LeftButton);
  EXPECT_EQ(recorder.m_links, (QStringList{"https://www.example.org/terms", "www.example.org/help"}));
  EXPECT_TRUE(dialog.isVisible());
}

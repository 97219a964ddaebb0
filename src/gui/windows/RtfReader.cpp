#include "gui/windows/RtfReader.h"

#include <QColor>
#include <QFile>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "core/doc/RtfDocument.h"

namespace {

// RTF measures in twips (1/1440 inch); Qt's text layout in pixels at 96 per inch.
constexpr double kPixelsPerTwip = 96.0 / 1440.0;
// Links look as the platform's rich text views show them: blue and underlined.
const QColor kLinkColour(0, 0, 255);

Qt::Alignment AlignmentOf(ERtfAlign align) {
  switch (align) {
    case ERtfAlign::Centre:
      return Qt::AlignHCenter;
    case ERtfAlign::Right:
      return Qt::AlignRight;
    case ERtfAlign::Justify:
      return Qt::AlignJustify;
    case ERtfAlign::Left:
      break;
  }
  return Qt::AlignLeft;
}

QTextBlockFormat BlockFormatOf(const CRtfParagraph& paragraph) {
  QTextBlockFormat format;
  format.setAlignment(AlignmentOf(paragraph.align));
  format.setLeftMargin(paragraph.leftIndent * kPixelsPerTwip);
  format.setTextIndent(paragraph.firstIndent * kPixelsPerTwip);
  format.setTopMargin(paragraph.spaceBefore * kPixelsPerTwip);
  format.setBottomMargin(paragraph.spaceAfter * kPixelsPerTwip);
  return format;
}

QTextCharFormat CharFormatOf(const CRtfRun& run) {
  QTextCharFormat format;
  format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(run.italic);
  format.setFontUnderline(run.underline);
  if (run.fontSize > 0) format.setFontPointSize(run.fontSize / 2.0);
  if (run.hasColour) format.setForeground(QColor(run.colour.red, run.colour.green, run.colour.blue));
  if (!run.link.empty()) {
    format.setAnchor(true);
    format.setAnchorHref(QString::fromStdString(run.link));
    format.setFontUnderline(true);
    if (!run.hasColour) format.setForeground(kLinkColour);
  }
  return format;
}

}  // namespace

void CRtfReader::Fill(const CRtfDocument& rtf, QTextDocument& doc) {
  doc.clear();
  QTextCursor cursor(&doc);
  bool first = true;
  for (const CRtfParagraph& paragraph : rtf.Paragraphs()) {
    if (first) {
      cursor.setBlockFormat(BlockFormatOf(paragraph));
      first = false;
    } else {
      cursor.insertBlock(BlockFormatOf(paragraph));
    }
    for (const CRtfRun& run : paragraph.runs) {
      QString text = QString::fromStdString(run.text);
      text.replace(QChar('\n'), QChar::LineSeparator);
      cursor.insertText(text, CharFormatOf(run));
    }
  }
}

bool CRtfReader::LoadFile(const QString& path, QTextDocument& doc) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  CRtfDocument rtf = CRtfDocument::Parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  rtf.DetectLinks();
  Fill(rtf, doc);
  return true;
}

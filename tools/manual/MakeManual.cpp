// Renders the user manual from Markdown to PDF with Qt's text layout.
//   make_manual MANUAL.md OUTPUT.pdf
// Images referenced by the Markdown are looked up relative to the Markdown file.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_manual MANUAL.md OUTPUT.pdf\n");
    return 2;
  }
  QFile source(QString::fromLocal8Bit(argv[1]));
  if (!source.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const QString markdown = QString::fromUtf8(source.readAll());

  QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
  writer.setTitle(QStringLiteral("Marevert user manual"));
  writer.setCreator(QStringLiteral("Marevert"));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
  writer.setResolution(300);

  QTextDocument document;
  document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(source).absolutePath() + QStringLiteral("/")));
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(10);
  document.setDefaultFont(font);
  document.setDefaultStyleSheet(QStringLiteral("code, pre { font-family: 'DejaVu Sans Mono'; }"));
  document.setMarkdown(markdown);
  // Lay the text out on the printable page; print() pages it and numbers nothing else.
  document.print(&writer);
  std::printf("wrote %s\n", argv[2]);
  return 0;
}

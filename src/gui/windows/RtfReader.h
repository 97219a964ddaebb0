#pragma once
// Shows RTF documents in Qt text views: turns a CRtfDocument into a QTextDocument
// (paragraph formats, character formats and link anchors).

#include <QString>

class QTextDocument;
class CRtfDocument;

class CRtfReader {
 public:
  // Replaces the content of `doc` with `rtf`. Links become anchors whose href is the
  // link target.
  static void Fill(const CRtfDocument& rtf, QTextDocument& doc);

  // Reads the RTF file at `path` into `doc`, with automatic link detection. False, and
  // `doc` unchanged, when the file cannot be read.
  static bool LoadFile(const QString& path, QTextDocument& doc);
};

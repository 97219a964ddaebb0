#pragma once
// Plain text point files: each line begins with three numbers (two coordinates, then a
// height or depth) separated by white space and/or one comma; only the third number is
// rewritten, everything else of the line is copied as it was.

#include "core/files/FileBase.h"

class CFileText : public CFileBase {
 public:
  bool CanRead(const std::string& path) override;
  std::string GetFormatName() const override { return "Generic text"; }

 protected:
  FileResult Run(Streams& files, const Task& task) override;
};

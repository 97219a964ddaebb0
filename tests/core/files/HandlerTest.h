#pragma once
// The fixture of the survey handler tests: one input file in a scratch folder,
// transformed by a THandler from MSL to LAT on the files test grid, its outputs
// <stem>_LAT<extension> (transformed) and <stem>_MSL<extension> (excluded).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FilesTestSupport.h"
#include "support/TestSupport.h"

template <typename THandler>
class CHandlerTest : public ::testing::Test {
 protected:
  CHandlerTest(std::string stem, std::string extension) : m_stem(std::move(stem)), m_extension(std::move(extension)) {}

  CRunResult Run(const std::string& input, CProcessBase* job = nullptr, int zone = 56) {
    WriteFileBytes(m_dir.File(m_stem + m_extension), input);
    return RunHandler(m_handler, m_dir.File(m_stem + m_extension), m_grid.Grid(), m_grid.Msl(), m_grid.Lat(), job,
                      zone);
  }
  std::string Transformed() const { return ReadFileBytes(Output("LAT")); }
  std::string Excluded() const { return ReadFileBytes(Output("MSL")); }
  bool HasTransformed() const { return std::filesystem::exists(Output("LAT")); }
  bool HasExcluded() const { return std::filesystem::exists(Output("MSL")); }

  CFilesTestGrid m_grid;
  CScratchDir m_dir;
  THandler m_handler;

 private:
  std::string Output(const std::string& ref) const { return m_dir.File(m_stem + "_" + ref + m_extension); }

  std::string m_stem, m_extension;
};

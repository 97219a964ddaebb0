#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "core/common/PathUtil.h"
#include "core/map/MapData.h"
#include "support/ClassWideValues.h"

CScratchDir::CScratchDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    m_path = base / ("marevert-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(m_path)) break;
  }
}

CScratchDir::~CScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> CScratchDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_path))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

CProgramFolder::CProgramFolder() {
  CMapData::Release();
  SetProgramFolderOverride(Path().string());
}

CProgramFolder::~CProgramFolder() {
  SetProgramFolderOverride("");
  CMapData::Release();
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CScopedEnv::CScopedEnv(const char* name, const char* value) : m_name(name) {
  const char* previous = std::getenv(name);
  m_hadValue = previous != nullptr;
  if (m_hadValue) m_previous = previous;
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

CScopedEnv::~CScopedEnv() {
  if (m_hadValue)
    setenv(m_name.c_str(), m_previous.c_str(), 1);
  else
    unsetenv(m_name.c_str());
}

CScopedLocale::CScopedLocale(const char* name) : m_previous(setlocale(LC_ALL, nullptr)) {
  if (setlocale(LC_ALL, name) == nullptr) ADD_FAILURE() << "locale " << name << " missing: scripts/setup.sh makes it";
}

CScopedLocale::~CScopedLocale() { setlocale(LC_ALL, m_previous.c_str()); }

CClassicThreadLocale::CClassicThreadLocale()
    : m_classic(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))), m_previous(uselocale(m_classic)) {}

CClassicThreadLocale::~CClassicThreadLocale() {
  uselocale(m_previous);
  freelocale(m_classic);
}

namespace {

class CClassWideValuesCheck : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { m_saved = std::make_unique<CClassWideValues>(); }
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (const std::string changed = m_saved->Changed(); !changed.empty())
      ADD_FAILURE() << "The test left class-wide values changed:" << changed;
    m_saved.reset();
  }
  std::unique_ptr<CClassWideValues> m_saved;
};

}  // namespace

void CheckClassWideValuesAfterEachTest() {
  ::testing::UnitTest::GetInstance()->listeners().Append(new CClassWideValuesCheck);
}

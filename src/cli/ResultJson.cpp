#include "cli/ResultJson.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "core/common/NumberText.h"
#include "core/common/StagedFile.h"

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

constexpr const char* kFormat = "marevert transform result";
constexpr int kVersion = 1;

// Separations in metres as "%.2f" gives them, as every height the command line prints.
ordered_json OutcomeJson(const CFileOutcome& outcome) {
  const CSeparationStats& separation = outcome.separation;
  return {{"path", outcome.path},
          {"format", outcome.format},
          {"result", outcome.result},
          {"message", outcome.message},
          {"notes", outcome.notes},
          {"transformed", outcome.transformed},
          {"outside", outcome.outside},
          {"separation", separation.Count() == 0 ? ordered_json(nullptr)
                                                 : ordered_json{{"min", RoundFixed2(separation.Min())},
                                                                {"max", RoundFixed2(separation.Max())},
                                                                {"mean", RoundFixed2(separation.Mean())}}},
          {"seconds", outcome.seconds}};
}

// The value of `key`, which must be a whole number (not negative when `count`).
const json& WholeNumber(const json& item, const char* key, bool count) {
  const json& value = item.at(key);
  if (!(count ? value.is_number_unsigned() : value.is_number_integer()))
    throw std::invalid_argument(std::string("\"") + key + "\" is not a whole number" + (count ? " of 0 or more" : ""));
  return value;
}

}  // namespace

bool WriteResultJson(const std::string& path, const CTransformResult& result, std::string& error) {
  ordered_json results = ordered_json::array();
  for (const CFileOutcome& outcome : result.outcomes) results.push_back(OutcomeJson(outcome));
  const ordered_json document{
      {"format", kFormat},
      {"version", kVersion},
      {"from", result.from},
      {"to", result.to},
      {"block_shift", result.blockShift ? ordered_json(*result.blockShift) : ordered_json(nullptr)},
      {"grid", result.grid},
      {"sign", result.sign},
      {"files", result.files},
      {"interrupted", result.interrupted},
      {"results", results}};
  std::string text;
  try {
    text = document.dump(2) + "\n";
  } catch (const ordered_json::exception& e) {
    error = e.what();
    return false;
  }
  CStagedFile staged(path);
  std::ofstream out(staged.GetTempPath(), std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    error = "cannot write " + staged.GetTempPath();
    return false;
  }
  return staged.Commit(error);
}

bool ReadResultJson(const std::string& path, CTransformResult& result, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open the file";
    return false;
  }
  try {
    const json document = json::parse(in);
    if (document.at("format") != kFormat || document.at("version") != kVersion) {
      error = "not a marevert transform result of version " + std::to_string(kVersion);
      return false;
    }
    result = CTransformResult();
    document.at("from").get_to(result.from);
    document.at("to").get_to(result.to);
    if (const json& shift = document.at("block_shift"); !shift.is_null()) result.blockShift = shift.get<double>();
    document.at("grid").get_to(result.grid);
    WholeNumber(document, "sign", false).get_to(result.sign);
    document.at("files").get_to(result.files);
    document.at("interrupted").get_to(result.interrupted);
    const json& results = document.at("results");
    if (!results.is_array() || results.size() > result.files.size()) {
      error = "more results than files";
      return false;
    }
    for (const json& item : results) {
      CFileOutcome& outcome = result.outcomes.emplace_back();
      item.at("path").get_to(outcome.path);
      item.at("format").get_to(outcome.format);
      WholeNumber(item, "result", false).get_to(outcome.result);
      item.at("message").get_to(outcome.message);
      item.at("notes").get_to(outcome.notes);
      WholeNumber(item, "transformed", true).get_to(outcome.transformed);
      WholeNumber(item, "outside", true).get_to(outcome.outside);
      if (outcome.path != result.files[result.outcomes.size() - 1]) {
        error = "the result for " + outcome.path + " is not that of the run's next file";
        return false;
      }
    }
  } catch (const std::exception& e) {  // a parse or type error of nlohmann::json, or WholeNumber's
    error = e.what();
    return false;
  }
  return true;
}

#pragma once
// The input files of one batch, in list order, and the rule that no output of the batch
// may replace one of them: not the transformed or excluded file of any file, nor the
// batch log.

#include <set>
#include <string>
#include <vector>

class CBatchInputs {
 public:
  explicit CBatchInputs(const std::vector<std::string>& files);

  const std::vector<std::string>& Files() const { return m_files; }
  // Whether writing `output` would replace an input of the batch. A name that resolves
  // (links, "." and "..") to an input is refused; so is an existing file that is a hard
  // link to one.
  bool IsInput(const std::string& output) const;

 private:
  const std::vector<std::string>& m_files;
  std::set<std::string> m_canonical;
};

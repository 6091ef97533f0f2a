#include "memory_view.h"

namespace testing_support {

std::vector<std::string> OldNames(const RenameJob& job) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < job.oldCount(); ++i) names.push_back(job.row(i).oldName);
  return names;
}

std::vector<std::string> NewNames(const RenameJob& job) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < job.newCount(); ++i) names.push_back(job.row(i).newName);
  return names;
}

}  // namespace testing_support

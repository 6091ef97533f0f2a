#include "rename/rename_method.h"

const std::array<MethodInfo, 3> kMethods = {{
    {RenameMethod::kAdd, 0, true, false},
    {RenameMethod::kReplace, 1, true, true},
    {RenameMethod::kDelete, 2, false, true},
}};

RenameMethod MethodFromStored(int stored) {
  for (const MethodInfo& info : kMethods) {
    if (info.stored == stored) return info.method;
  }
  return RenameMethod::kNone;
}

int StoredMethod(RenameMethod method) {
  for (const MethodInfo& info : kMethods) {
    if (info.method == method) return info.stored;
  }
  return -1;
}

namespace {
const MethodInfo* InfoOf(RenameMethod method) {
  for (const MethodInfo& info : kMethods) {
    if (info.method == method) return &info;
  }
  return nullptr;
}
}  // namespace

bool MethodNumbers(RenameMethod method) {
  const MethodInfo* info = InfoOf(method);
  return info != nullptr && info->numbers;
}

bool MethodCuts(RenameMethod method) {
  const MethodInfo* info = InfoOf(method);
  return info != nullptr && info->cuts;
}

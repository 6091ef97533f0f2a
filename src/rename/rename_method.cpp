#include "rename/rename_method.h"

const std::array<MethodInfo, 3> kMethods = {{
    {RenameMethod::kAdd, 0, "Add"},
    {RenameMethod::kReplace, 1, "Replace"},
    {RenameMethod::kDelete, 2, "Delete"},
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

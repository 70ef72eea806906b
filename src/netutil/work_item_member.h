// A work item that calls a member function with one argument, copied when the item is built.
#pragma once

#include <utility>

#include "netutil/work_item.h"

namespace NetUtilities {

template <class T, class A>
class WorkItemMember1 : public CWorkItem {
 public:
  using Function = void (T::*)(A);

  // The target must outlive the item, i.e. the queue must be stopped or cleared before it goes.
  WorkItemMember1(T* target, Function function, A argument)
      : target_(target), function_(function), argument_(std::move(argument)) {}

  void Execute() override { (target_->*function_)(argument_); }

 private:
  T* target_;
  Function function_;
  A argument_;
};

}  // namespace NetUtilities

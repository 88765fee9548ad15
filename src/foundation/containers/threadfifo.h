// First-in first-out queue of untyped pointers shared by a producer and a
// consumer thread (the redraw thread is fed through two of them). Push, Pop
// and IsEmpty each hold the list's lock for their whole work, so any thread
// may call them. The queue owns nothing that its pointers point to.
#pragma once

#include "foundation/containers/list.h"

class TThreadFIFO : public TThreadList {
public:
  // Appends item at the end unless it is already queued.
  void Push(void* item);
  // The first item, taken out of the queue; nil when the queue is empty.
  void* Pop();
  bool IsEmpty() const;
};

#include "foundation/containers/threadfifo.h"

void TThreadFIFO::Push(void* item) { Add(item); }

void* TThreadFIFO::Pop() {
  std::lock_guard<std::mutex> guard(lock_);
  if (list_.Count() == 0) return nullptr;
  void* item = list_.Get(0);
  list_.Delete(0);
  return item;
}

bool TThreadFIFO::IsEmpty() const {
  std::lock_guard<std::mutex> guard(lock_);
  return list_.Count() == 0;
}

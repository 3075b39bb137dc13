#include "SdkThreadRegistration.h"

#include <ThreadsCounter.h>

SdkThreadRegistration::SdkThreadRegistration()
{
  const unsigned id = odGetCurrentThreadId();
  ThreadsCounter& counter = odThreadsCounter();
  counter.increase();
  counter.increaseProc(1, &id, ThreadsCounter::kAllAttributes);
  counter.startThreadProc(id);
}

SdkThreadRegistration::~SdkThreadRegistration()
{
  const unsigned id = odGetCurrentThreadId();
  ThreadsCounter& counter = odThreadsCounter();
  counter.stopThreadProc(id);
  counter.decrease();
  counter.decreaseProc(1, &id);
}

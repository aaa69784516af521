#pragma once
#include "Framework/CProgressCtrl.h"

// The job pages' progress bars run from 0 to 100 and stop there: a step
// past the end would wrap the bar round to its start.
namespace PageProgress
{
const int kFull = 100;

inline void StepWithin(CProgressCtrl& bar, int step)
{
    const int next = bar.GetPos() + step;
    bar.SetPos(next > kFull ? kFull : next);
}
}

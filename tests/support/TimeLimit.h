#pragma once

// A test program that runs out of the time CTest gives it is killed without a
// word about where it stood. Shortly before that (QM_TIME_LIMIT seconds from
// its start, set by the test's CMake properties) it fails by itself instead,
// naming the test that was running and the message boxes on show in it and
// in the programs it started.
namespace TimeLimit
{
void Start();
}

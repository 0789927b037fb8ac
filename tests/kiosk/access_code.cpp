// Prints the exam access code of this moment, as the administrator menu shows it: the exam
// session test types it like an invigilator would. Built for the tests only.
#include <iostream>

#include "common/clock.h"
#include "testfile/access_code.h"

int main() {
  examora::SystemClock clock;
  std::cout << examora::MakeAccessCode(clock) << '\n';
  return 0;
}

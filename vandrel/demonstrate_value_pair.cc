#include "demonstrate_value_pair.h"

#include <iostream>

#include "mex.h"
#include "value_pair.h"

void demonstrateValuePair(double a, double b) {
  mexPrintf("\nThe initialized data in object:\n");
  // The allocation exception, if any, leaves the gateway uncaught.
  ValuePair *pair = new ValuePair(0, 0);
  pair->display();
  pair->setData(a, b);
  mexPrintf("After setting the object's data to your input:\n");
  pair->display();
  delete pair;
  std::cout << std::flush;
}

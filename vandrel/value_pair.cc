#include "value_pair.h"

#include "mex.h"

ValuePair::ValuePair(double value1, double value2) : value1(value1), value2(value2) {}

// Holds no resource of its own.
ValuePair::~ValuePair() {}

void ValuePair::display() const {
  mexPrintf("Value1 = %g\n", value1);
  mexPrintf("Value2 = %g\n\n", value2);
}

void ValuePair::setData(double value1, double value2) {
  this->value1 = value1;
  this->value2 = value2;
}

// ValuePair: a plain object holding two values, printed to the host's output.
#ifndef VANDREL_VALUE_PAIR_H
#define VANDREL_VALUE_PAIR_H

class ValuePair {
 public:
  ValuePair(double value1, double value2);
  ~ValuePair();

  // Prints "Value1 = %g\n", then "Value2 = %g\n\n", through mexPrintf.
  void display() const;
  void setData(double value1, double value2);

 private:
  double value1;
  double value2;
};

#endif

#ifndef VANDREL_DEMONSTRATE_VALUE_PAIR_H
#define VANDREL_DEMONSTRATE_VALUE_PAIR_H

// Shows a ValuePair's life: created with zeros, printed, given a and b,
// printed again, deleted. Ends by flushing std::cout.
void demonstrateValuePair(double a, double b);

#endif

// The error raised inside the literal parser and the array builders it
// uses; parseLiteral turns it into its error text.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_LITERAL_ERROR_H
#define STAND_IN_HOST_PLUGIN_CALLER_LITERAL_ERROR_H

#include <stdexcept>
#include <string>

struct LiteralError : std::runtime_error {
  explicit LiteralError(const std::string &what) : std::runtime_error(what) {}
};

#endif

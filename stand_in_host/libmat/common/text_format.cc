#include "common/text_format.h"

#include <cstdio>

std::string formatTextList(const char *pattern, va_list arguments) {
  char text[512];
  std::vsnprintf(text, sizeof text, pattern, arguments);
  return text;
}

std::string formatText(const char *pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  std::string text = formatTextList(pattern, arguments);
  va_end(arguments);
  return text;
}

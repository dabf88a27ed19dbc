// The allocation exception leaves vandrel's gateway unchanged. This program
// replaces the global operator new, for the whole process, with one that
// throws when armed, so that vandrel's own allocation of its object fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "plugin_harness.h"

namespace {
bool failNextAllocation = false;
}

void *operator new(std::size_t size) {
  if (failNextAllocation) {
    failNextAllocation = false;
    throw std::bad_alloc();
  }
  if (void *memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void operator delete(void *memory) noexcept { std::free(memory); }
void operator delete(void *memory, std::size_t) noexcept { std::free(memory); }

namespace {

TEST(VandrelAllocationTest, TheAllocationExceptionLeavesTheGatewayUnchanged) {
  Plugin vandrel("vandrel");
  ASSERT_TRUE(vandrel.loaded()) << vandrel.loadError();
  ArrayPtr a = literal("3");
  ArrayPtr b = literal("4.5");
  const mxArray *inputs[] = {a.get(), b.get()};
  mxArray *outputs[1] = {nullptr};
  std::string printed;
  bool caught = false;
  {
    PrintCapture capture;
    failNextAllocation = true;
    try {
      vandrel.gateway()(0, outputs, 2, inputs);
    } catch (const std::bad_alloc &) {
      caught = true;
    }
    failNextAllocation = false;
    printed = capture.text();
  }
  EXPECT_TRUE(caught);
  // The heading was printed before the object was asked for; nothing after.
  EXPECT_EQ(printed, "\nThe initialized data in object:\n");
  EXPECT_EQ(outputs[0], nullptr);
}

TEST(VandrelAllocationTest, TheHostsGatewayCallLetsItPassToo) {
  Plugin vandrel("vandrel");
  ASSERT_TRUE(vandrel.loaded()) << vandrel.loadError();
  ArrayPtr a = literal("1");
  const mxArray *inputs[] = {a.get(), a.get()};
  mxArray *outputs[1] = {nullptr};
  standin::GatewayError error;
  {
    PrintCapture capture;
    failNextAllocation = true;
    EXPECT_THROW(standin::callGateway(vandrel.gateway(), 0, outputs, 2, inputs, error), std::bad_alloc);
    failNextAllocation = false;
  }
  // The host is usable again afterwards.
  CallResult result = vandrel.call(0, {a.get(), a.get()});
  EXPECT_TRUE(result.returned);
  EXPECT_NE(result.printed.find("Value1 = 1"), std::string::npos);
}

}  // namespace
